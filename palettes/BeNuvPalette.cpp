#include "BeNuvPalette.h"


BeNuvPalette::BeNuvPalette(BRect frame, const char* title, window_look look,
	window_feel feel, uint32 flags, uint32 workspaces)
	:
	BWindow(frame, title, look, feel, flags, workspaces)
{
}


BeNuvPalette::~BeNuvPalette()
{
}


void
BeNuvPalette::FrameResized(float, float)
{
	FitToScreen();
}


void
BeNuvPalette::ScreenChanged(BRect, color_space)
{
	FitToScreen();
}
