// What becomes of the text an input method is composing when `nuvim` ends
// with a composition open: it goes into the document as it is shown, less
// the method's markers, so that quitting never loses what is on the screen.
#ifndef COMPOSED_TEXT_H
#define COMPOSED_TEXT_H

#include <string>

class ComposedText {
public:
	// `composed` (UTF-8, as the method sent it) without its markers: the
	// ▽, ▼ or ★ that opens it; inside a registration (★), the cursor | and
	// the ▽ or ▼ of the composition nested in it; and the okuri point * of
	// a kana reading (a * that follows kana after a ▽). "▽かんじ" gives
	// かんじ, "▼漢字" 漢字, "★日本|" 日本, "▽おお*k" おおk, "★に▼本|" に本.
	// Text without a marker comes back as it is.
	static	std::string			WithoutMarkers(const std::string& composed);
};

#endif	// COMPOSED_TEXT_H
