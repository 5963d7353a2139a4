// The base of nuvIM's floating windows: a window that places itself again
// whenever its size or the screen changes.
#ifndef BE_NUV_PALETTE_H
#define BE_NUV_PALETTE_H

#include <Window.h>


// The window look of every palette: a small tab on the left edge. The kits
// do not name it; where it is missing the platform draws its nearest look.
const window_look kPaletteLook = (window_look)25;

// Every palette stays this many pixels inside the screen edges (except the
// left edge of a caret palette, see BeNuvAdherePalette).
const float kScreenMargin = 20;


class BeNuvPalette : public BWindow {
public:
	// Passes everything to BWindow: the palette is created hidden and
	// locked by its creator, who runs it.
								BeNuvPalette(BRect frame, const char* title,
									window_look look, window_feel feel,
									uint32 flags, uint32 workspaces);
	virtual						~BeNuvPalette();

	// Hooks: both place the palette again (FitToScreen). They run on the
	// palette's own thread, which holds the window lock.
	virtual	void				FrameResized(float width, float height);
	virtual	void				ScreenChanged(BRect screenFrame,
									color_space mode);

	// Moves the window to where it belongs on the screen. The caller holds
	// the window lock (or the placement takes it, which is recursive).
	virtual	void				FitToScreen() = 0;
};


#endif	// BE_NUV_PALETTE_H
