#include "StringView.h"

#include <cmath>

#include "KitPrivate.h"


BStringView::BStringView(BRect frame, const char* name, const char* text,
	uint32 resizingMode, uint32 flags)
	: BView(frame, name, resizingMode, flags),
	  fText(text != NULL ? text : ""),
	  fAlignment(B_ALIGN_LEFT)
{
}


BStringView::~BStringView()
{
}


void
BStringView::SetText(const char* text)
{
	_Touched();
	fText = text != NULL ? text : "";
	_Changed();
}


const char*
BStringView::Text() const
{
	return fText.c_str();
}


void
BStringView::SetAlignment(alignment flag)
{
	_Touched();
	fAlignment = flag;
	_Changed();
}


alignment
BStringView::Alignment() const
{
	return fAlignment;
}


void
BStringView::GetPreferredSize(float* width, float* height)
{
	float overrideWidth;
	float overrideHeight;
	bool overridden = BPrivate::TextSizeOverride(fText.c_str(), &overrideWidth,
		&overrideHeight);

	if (width != NULL)
		*width = overridden ? overrideWidth : StringWidth(fText.c_str());
	if (height != NULL) {
		if (overridden)
			*height = overrideHeight;
		else {
			font_height fontHeight;
			GetFontHeight(&fontHeight);
			*height = std::ceil(fontHeight.ascent + fontHeight.descent
				+ fontHeight.leading);
		}
	}
}
