#include "BeNuvTextPalette.h"

#include <algorithm>

#include <Autolock.h>
#include <Font.h>
#include <StringView.h>

#include "BeNuvUtils.h"
#include "NuvUtils.h"


const float BeNuvTextPalette::kLeftMargin = 2;
const float BeNuvTextPalette::kTopMargin = 2;
const float BeNuvTextPalette::kLineGap = 2;
const float BeNuvTextPalette::kExtraWidth = 3;
const float BeNuvTextPalette::kPadding = 8;


BeNuvTextPalette::BeNuvTextPalette(const char* title)
	:
	BeNuvAdherePalette(BRect(0, 0, 0, 0), title, kPaletteLook,
		B_FLOATING_ALL_WINDOW_FEEL,
		B_NOT_MOVABLE | B_NOT_RESIZABLE | B_NOT_CLOSABLE | B_NOT_ZOOMABLE
			| B_AVOID_FRONT | B_AVOID_FOCUS | B_NOT_MINIMIZABLE,
		B_ALL_WORKSPACES)
{
	SetPadding(kPadding);
}


BeNuvTextPalette::~BeNuvTextPalette()
{
}


void
BeNuvTextPalette::SetText(const std::vector<std::string>& lines)
{
	BAutolock lock(this);
	if (!lock.IsLocked())
		return;

	while (CountChildren() > 0) {
		BView* child = ChildAt(0);
		RemoveChild(child);
		delete child;
	}

	float width = 0;
	float y = kTopMargin;
	for (const std::string& line : lines) {
		std::string text = BeNuvUtils::ConvertEucToUtf8(
			NuvUtils::ConvertToPrintable(line));
		BStringView* view = new BStringView(BRect(0, 0, 0, 0), NULL,
			text.c_str(), 0, B_WILL_DRAW);
		view->SetFont(be_plain_font, B_FONT_ALL);
		AddChild(view);

		view->MoveTo(kLeftMargin, y);
		view->ResizeToPreferred();
		float lineWidth;
		float lineHeight;
		view->GetPreferredSize(&lineWidth, &lineHeight);

		width = std::max(width, lineWidth);
		y += lineHeight + kLineGap;
	}
	ResizeTo(width + kExtraWidth, y);
}
