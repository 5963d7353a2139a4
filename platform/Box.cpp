#include "Box.h"


BBox::BBox(BRect frame, const char* name, uint32 resizingMode, uint32 flags,
	border_style border)
	: BView(frame, name, resizingMode, flags),
	  fBorder(border)
{
}


BBox::~BBox()
{
}


void
BBox::SetBorder(border_style border)
{
	_Touched();
	fBorder = border;
	_Changed();
}


border_style
BBox::Border() const
{
	return fBorder;
}


void
BBox::SetLabel(const char* label)
{
	_Touched();
	fLabel = label != NULL ? label : "";
	_Changed();
}


const char*
BBox::Label() const
{
	return fLabel.empty() ? NULL : fLabel.c_str();
}
