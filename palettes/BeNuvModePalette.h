// The input-mode indicator: a small floating window in the bottom-right
// corner of the screen showing a label for the current mode ("かな",
// "カナ", "NUV", ...). The user may drag it; it is kept 20 pixels inside the
// screen.
#ifndef BE_NUV_MODE_PALETTE_H
#define BE_NUV_MODE_PALETTE_H

#include "BeNuvPalette.h"
#include "NuvTypes.h"

class BStringView;


class BeNuvModePalette : public BeNuvPalette {
public:
	// A hidden palette "NUV Mode Palette" far outside the screen (all edges
	// at 10000) with an empty label in the bold font; the first SetMode
	// brings it to the bottom-right corner. Its creator runs it and shows
	// or hides it.
								BeNuvModePalette();
	virtual						~BeNuvModePalette();

	// Shows the label of `mode`, sizes the window to the label plus 3
	// pixels each way and keeps it on screen. Takes the window lock; any
	// thread.
			void				SetMode(nuv_mode mode);

	// Moves the window the least needed to lie 20 pixels inside every
	// screen edge, testing left, right, top, bottom in that order (so a
	// window larger than the screen keeps its right and bottom edges in).
	// When the screen has changed since the last placement, a window that
	// reached the old right (or bottom) margin is first moved to the new
	// one, so that the corner palette follows the corner.
	virtual	void				FitToScreen();

	// The EUC-JP label of `mode`: "" for MODE_NONE and any unknown value.
	static	const char*			Label(int32 mode);

	static	const float			kLabelMargin;
	static	const float			kExtraSize;

private:
			BStringView*		fLabelView;
	// The screen of the last placement; invalid before the first.
			BRect				fScreenFrame;
};


#endif	// BE_NUV_MODE_PALETTE_H
