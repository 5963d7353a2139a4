// A borderless floating window that shows one line of text in the middle of
// the screen, such as the start-up notice while the dictionaries load.
#ifndef BE_NUV_NOTICE_WINDOW_H
#define BE_NUV_NOTICE_WINDOW_H

#include <Window.h>

class BFont;


class BeNuvNoticeWindow : public BWindow {
public:
	// A hidden window titled `text` (UTF-8) holding a panel-coloured box with
	// the text 10 pixels in from its left and top edges, and 10 pixels of
	// box to its right and below. `font` (NULL: the plain font) is copied.
	// The creator shows it, and closes it by locking it and calling Quit.
								BeNuvNoticeWindow(const char* text,
									const BFont* font);
	virtual						~BeNuvNoticeWindow();

	// Centres the window on the main screen (fractions kept), then shows it.
	virtual	void				Show();

	static	const float			kTextMargin;
};


#endif	// BE_NUV_NOTICE_WINDOW_H
