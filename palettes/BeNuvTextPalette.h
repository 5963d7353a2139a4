// A caret palette showing lines of text (the candidate list, the
// registration prompt, the purge prompt): one string view per line, stacked
// from the top in the plain font.
#ifndef BE_NUV_TEXT_PALETTE_H
#define BE_NUV_TEXT_PALETTE_H

#include <string>
#include <vector>

#include "BeNuvAdherePalette.h"


class BeNuvTextPalette : public BeNuvAdherePalette {
public:
	// A hidden, empty palette titled `title` at (0, 0, 0, 0) that floats
	// above all applications on every workspace, never takes the focus and
	// cannot be moved, resized, closed or minimised; padding 8. Its creator
	// runs it and shows or hides it.
								BeNuvTextPalette(const char* title);
	virtual						~BeNuvTextPalette();

	// Replaces the content by `lines` (EUC-JP; control bytes are shown in
	// their visible form): each line at x = 2, the first at y = 2 and each
	// next one 2 pixels below the one before; the window is then 3 pixels
	// wider than the widest line and ends 2 pixels below the last one (3 x 2
	// with no lines). The resize places the palette again. Takes the window
	// lock; any thread.
			void				SetText(const std::vector<std::string>& lines);

	static	const float			kLeftMargin;
	static	const float			kTopMargin;
	static	const float			kLineGap;
	static	const float			kExtraWidth;
	static	const float			kPadding;
};


#endif	// BE_NUV_TEXT_PALETTE_H
