// The screen; only the main screen exists. Its size is the host's
// (HeadlessDisplay::SetScreenSize), 1024 x 768 by default. Any thread.
#ifndef _SCREEN_H
#define _SCREEN_H

#include <GraphicsDefs.h>
#include <Rect.h>

class BWindow;

class BScreen {
public:
	BScreen(screen_id id = B_MAIN_SCREEN_ID);
	BScreen(BWindow* window);
	~BScreen();

	// False for any screen but the main one.
	bool IsValid();
	screen_id ID();
	// (0, 0, width - 1, height - 1); an invalid screen gives BRect().
	BRect Frame();
	color_space ColorSpace();

private:
	screen_id	fID;
};

#endif	// _SCREEN_H
