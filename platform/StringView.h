// A view showing one line of UTF-8 text.
//
// Its preferred size is the text's width in the view's font and one line
// height, ceil(ascent + descent + leading), both from the metrics in
// HeadlessDisplay.h (or a size the host set for that exact text).
#ifndef _STRING_VIEW_H
#define _STRING_VIEW_H

#include <string>

#include <View.h>

class BStringView : public BView {
public:
	BStringView(BRect frame, const char* name, const char* text,
		uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
		uint32 flags = B_WILL_DRAW);
	virtual ~BStringView();

	// Copies text; NULL means "".
	void SetText(const char* text);
	// Never NULL.
	const char* Text() const;

	void SetAlignment(alignment flag);
	alignment Alignment() const;

	virtual void GetPreferredSize(float* width, float* height);

private:
	std::string		fText;
	alignment		fAlignment;
};

#endif	// _STRING_VIEW_H
