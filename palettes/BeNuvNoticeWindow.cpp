#include "BeNuvNoticeWindow.h"

#include <Autolock.h>
#include <Box.h>
#include <Font.h>
#include <InterfaceDefs.h>
#include <Screen.h>
#include <StringView.h>


const float BeNuvNoticeWindow::kTextMargin = 10;


BeNuvNoticeWindow::BeNuvNoticeWindow(const char* text, const BFont* font)
	:
	BWindow(BRect(0, 0, 0, 0), text, B_BORDERED_WINDOW_LOOK,
		B_FLOATING_ALL_WINDOW_FEEL,
		B_NOT_MOVABLE | B_NOT_RESIZABLE | B_NOT_CLOSABLE | B_NOT_ZOOMABLE
			| B_AVOID_FRONT | B_AVOID_FOCUS | B_NOT_MINIMIZABLE,
		B_CURRENT_WORKSPACE)
{
	BAutolock lock(this);

	BStringView* textView = new BStringView(BRect(0, 0, 0, 0), NULL, text,
		B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW);
	if (font != NULL)
		textView->SetFont(font, B_FONT_ALL);
	textView->SetViewColor(B_TRANSPARENT_32_BIT);
	textView->SetHighColor(0, 0, 0, 255);

	textView->ResizeToPreferred();
	float width;
	float height;
	textView->GetPreferredSize(&width, &height);

	textView->MoveTo(kTextMargin, kTextMargin);
	ResizeTo(width + 2 * kTextMargin, height + 2 * kTextMargin);

	BBox* box = new BBox(Bounds(), NULL, B_FOLLOW_LEFT | B_FOLLOW_TOP,
		B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE_JUMP, B_FANCY_BORDER);
	box->SetBorder(B_PLAIN_BORDER);
	box->SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));

	box->AddChild(textView);
	AddChild(box);
}


BeNuvNoticeWindow::~BeNuvNoticeWindow()
{
}


void
BeNuvNoticeWindow::Show()
{
	BRect screen = BScreen(B_MAIN_SCREEN_ID).Frame();
	BRect frame = Frame();
	MoveTo((screen.Width() - frame.Width()) / 2,
		(screen.Height() - frame.Height()) / 2);
	BWindow::Show();
}
