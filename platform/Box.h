// A view drawing a border around its children.
#ifndef _BOX_H
#define _BOX_H

#include <string>

#include <View.h>

class BBox : public BView {
public:
	BBox(BRect frame, const char* name = NULL,
		uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
		uint32 flags = B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE_JUMP,
		border_style border = B_FANCY_BORDER);
	virtual ~BBox();

	virtual void SetBorder(border_style border);
	border_style Border() const;

	void SetLabel(const char* label);
	const char* Label() const;

private:
	border_style	fBorder;
	std::string		fLabel;
};

#endif	// _BOX_H
