#include "BeNuvAdherePalette.h"

#include <Autolock.h>
#include <Screen.h>


BeNuvAdherePalette::BeNuvAdherePalette(BRect frame, const char* title,
	window_look look, window_feel feel, uint32 flags, uint32 workspaces)
	:
	BeNuvPalette(frame, title, look, feel, flags, workspaces),
	fPadding(0),
	fTargetFrame(0, 0, 0, 0)
{
}


BeNuvAdherePalette::~BeNuvAdherePalette()
{
}


void
BeNuvAdherePalette::SetPadding(float padding)
{
	BAutolock lock(this);
	if (!lock.IsLocked())
		return;
	fPadding = padding;
	FitToScreen();
}


void
BeNuvAdherePalette::SetTargetFrame(BRect targetFrame)
{
	BAutolock lock(this);
	if (!lock.IsLocked())
		return;
	fTargetFrame = targetFrame;
	FitToScreen();
}


float
BeNuvAdherePalette::Padding() const
{
	return fPadding;
}


BRect
BeNuvAdherePalette::TargetFrame() const
{
	return fTargetFrame;
}


void
BeNuvAdherePalette::FitToScreen()
{
	BAutolock lock(this);
	if (!lock.IsLocked())
		return;

	BRect usable = BScreen(B_MAIN_SCREEN_ID).Frame();
	usable.InsetBy(kScreenMargin, kScreenMargin);

	BRect frame = Bounds();
	frame.OffsetTo(fTargetFrame.left, fTargetFrame.bottom + fPadding);
	if (frame.left < 0)
		frame.OffsetTo(0, frame.top);
	if (frame.right > usable.right)
		frame.OffsetBy(usable.right - frame.right, 0);
	// A palette wider than the screen would now start left of it: its
	// beginning is what is read first, so it starts at the screen's edge.
	if (frame.left < 0)
		frame.OffsetTo(0, frame.top);
	if (frame.bottom > usable.bottom) {
		frame.OffsetTo(frame.left,
			fTargetFrame.top - fPadding - frame.Height());
	}
	// Above a target near the top it would leave the screen: it stops at
	// the screen's top edge, over the target rather than off the screen.
	if (frame.top < 0)
		frame.OffsetTo(frame.left, 0);
	MoveTo(frame.left, frame.top);
}
