// What becomes of the text an input method is composing when the
// composition ends from outside (`nuvim` quits, the focus moves on the
// desktop): it goes into the document as it is shown, less the method's
// markers, so that what is on the screen is never lost.
#ifndef COMPOSED_TEXT_H
#define COMPOSED_TEXT_H

#include <cstdint>
#include <string>
#include <vector>

class ComposedText {
public:
	// `composed` (UTF-8, as the method sent it) without its markers: the
	// ▽, ▼ or ★ that opens it; inside a registration (★), the cursor | and
	// the ▽ or ▼ of the composition nested in it; and the okuri point * of
	// a kana reading (a * that follows kana after a ▽). "▽かんじ" gives
	// かんじ, "▼漢字" 漢字, "★日本|" 日本, "▽おお*k" おおk, "★に▼本|" に本.
	// Text without a marker comes back as it is. `offsets`, when given,
	// receives for every byte offset of `composed` (its size included)
	// the offset in the result where that byte is or would be.
	static	std::string			WithoutMarkers(const std::string& composed,
									std::vector<int32_t>* offsets = NULL);

	// The romaji of a kana not complete yet in `composed`: the lower-case
	// letters at its end (in a registration, just before the cursor |)
	// that follow kana, a marker, the okuri point * or nothing. Only a
	// kana mode has such letters; the caller asks only in one. "▽かんj"
	// gives "j", "k" "k", "★にky|" "ky", "▽おお*k" "k", "かな" "".
	static	std::string			PendingRomaji(const std::string& composed);
	// `composed` less its PendingRomaji().
	static	std::string			WithoutPendingRomaji(
									const std::string& composed);
};

#endif	// COMPOSED_TEXT_H
