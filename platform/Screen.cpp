#include "Screen.h"

#include "KitPrivate.h"


BScreen::BScreen(screen_id id)
	: fID(id)
{
}


BScreen::BScreen(BWindow*)
	: fID(B_MAIN_SCREEN_ID)
{
}


BScreen::~BScreen()
{
}


bool
BScreen::IsValid()
{
	return fID.id == B_MAIN_SCREEN_ID.id;
}


screen_id
BScreen::ID()
{
	return fID;
}


BRect
BScreen::Frame()
{
	if (!IsValid())
		return BRect();
	std::lock_guard<std::mutex> lock(BPrivate::KitLock());
	return BPrivate::ScreenFrameLocked();
}


color_space
BScreen::ColorSpace()
{
	return IsValid() ? B_RGB32 : B_NO_COLOR_SPACE;
}
