#include "BeNuvModePalette.h"

#include <Autolock.h>
#include <Font.h>
#include <Screen.h>
#include <StringView.h>

#include "BeNuvUtils.h"
#include "NuvContract.h"


const float BeNuvModePalette::kLabelMargin = 2;
const float BeNuvModePalette::kExtraSize = 3;


BeNuvModePalette::BeNuvModePalette()
	:
	BeNuvPalette(BRect(10000, 10000, 10000, 10000), NuvContract::kModePaletteTitle,
		kPaletteLook, B_FLOATING_ALL_WINDOW_FEEL,
		B_NOT_RESIZABLE | B_NOT_CLOSABLE | B_NOT_ZOOMABLE | B_AVOID_FRONT
			| B_AVOID_FOCUS | B_NOT_MINIMIZABLE,
		B_ALL_WORKSPACES),
	fLabelView(NULL),
	fScreenFrame()
{
	BAutolock lock(this);
	fLabelView = new BStringView(BRect(kLabelMargin, kLabelMargin, 0, 0), "",
		"", 0, B_WILL_DRAW);
	fLabelView->SetFont(be_bold_font, B_FONT_ALL);
	AddChild(fLabelView);
}


BeNuvModePalette::~BeNuvModePalette()
{
}


const char*
BeNuvModePalette::Label(int32 mode)
{
	switch (mode) {
		case MODE_HIRAKANA:
			return "\xA4\xAB\xA4\xCA";		// かな
		case MODE_KATAKANA:
			return "\xA5\xAB\xA5\xCA";		// カナ
		case MODE_ASCII:
			return "NUV";
		case MODE_ZENEI:
			return "\xC1\xB4\xB1\xD1";		// 全英
		case MODE_ABBREV:
			return "a\xA4\xA2";				// aあ
		case MODE_TC:
			return "TC";
		case MODE_TUT:
			return "TUT";
		default:
			return "";
	}
}


void
BeNuvModePalette::SetMode(nuv_mode mode)
{
	const char* label = Label(mode);

	BAutolock lock(this);
	if (!lock.IsLocked())
		return;
	fLabelView->SetText(BeNuvUtils::ConvertEucToUtf8(label).c_str());
	fLabelView->ResizeToPreferred();
	BRect labelFrame = fLabelView->Frame();
	ResizeTo(labelFrame.Width() + kExtraSize, labelFrame.Height() + kExtraSize);
	FitToScreen();
}


void
BeNuvModePalette::FitToScreen()
{
	BAutolock lock(this);
	if (!lock.IsLocked())
		return;

	const BRect screen = BScreen(B_MAIN_SCREEN_ID).Frame();
	BRect usable = screen;
	usable.InsetBy(kScreenMargin, kScreenMargin);

	BRect frame = Frame();
	if (fScreenFrame.IsValid() && fScreenFrame != screen) {
		// A palette that stood against the right or bottom margin of the
		// screen before stays against it on the new one: the indicator in
		// the corner is found in the corner again after any resize.
		BRect previous = fScreenFrame;
		previous.InsetBy(kScreenMargin, kScreenMargin);
		if (frame.right >= previous.right)
			frame.OffsetBy(usable.right - frame.right, 0);
		if (frame.bottom >= previous.bottom)
			frame.OffsetBy(0, usable.bottom - frame.bottom);
	}
	fScreenFrame = screen;
	if (frame.left < usable.left)
		frame.OffsetBy(usable.left - frame.left, 0);
	if (frame.right > usable.right)
		frame.OffsetBy(usable.right - frame.right, 0);
	if (frame.top < usable.top)
		frame.OffsetBy(0, usable.top - frame.top);
	if (frame.bottom > usable.bottom)
		frame.OffsetBy(0, usable.bottom - frame.bottom);
	MoveTo(frame.left, frame.top);
}
