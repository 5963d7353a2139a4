// A palette that stands against a target rectangle (the caret, or the caret
// together with palettes shown before it): just below it, or above it where
// the screen's bottom margin would be crossed.
#ifndef BE_NUV_ADHERE_PALETTE_H
#define BE_NUV_ADHERE_PALETTE_H

#include "BeNuvPalette.h"


class BeNuvAdherePalette : public BeNuvPalette {
public:
	// As BeNuvPalette; the padding starts at 0 and the target at the zero
	// rectangle (0, 0, 0, 0).
								BeNuvAdherePalette(BRect frame,
									const char* title, window_look look,
									window_feel feel, uint32 flags,
									uint32 workspaces);
	virtual						~BeNuvAdherePalette();

	// Each stores its value and places the window again, under the window
	// lock (recursive: a caller may already hold it). When SetTargetFrame
	// returns, Frame() shows the new place. Any thread.
			void				SetPadding(float padding);
			void				SetTargetFrame(BRect targetFrame);

			float				Padding() const;
			BRect				TargetFrame() const;

	// Proposes the palette just below the target, left-aligned with it
	// (padding pixels between them); then, once each and in this order:
	// holds the left edge at 0 (the screen's edge, not the margin); pulls a
	// right edge beyond the screen margin back inside it, but never left of
	// 0 (a palette wider than the screen starts at 0); puts a palette that
	// would cross the bottom margin above the target instead, its bottom
	// edge padding pixels above the target's top; and holds the top edge at
	// 0, so that the frame never starts above or left of the screen.
	virtual	void				FitToScreen();

private:
			float				fPadding;
			BRect				fTargetFrame;
};


#endif	// BE_NUV_ADHERE_PALETTE_H
