#include "Utf8.h"

#include <algorithm>


namespace {

// The length of the character at `text[at]` with its code; 0 when the text
// ends before it is complete, -1 when the bytes there are not UTF-8.
int
Scan(const std::string& text, size_t at, uint32_t& code)
{
	const unsigned char lead = text[at];
	if (lead < 0x80) {
		code = lead;
		return 1;
	}
	int length;
	// The second byte's range rules out overlong forms, surrogates and
	// everything above U+10FFFF.
	unsigned char low = 0x80;
	unsigned char high = 0xBF;
	if (lead >= 0xC2 && lead <= 0xDF)
		length = 2;
	else if (lead >= 0xE0 && lead <= 0xEF) {
		length = 3;
		if (lead == 0xE0)
			low = 0xA0;
		else if (lead == 0xED)
			high = 0x9F;
	} else if (lead >= 0xF0 && lead <= 0xF4) {
		length = 4;
		if (lead == 0xF0)
			low = 0x90;
		else if (lead == 0xF4)
			high = 0x8F;
	} else
		return -1;

	uint32_t value = lead & (0x7F >> length);
	for (int k = 1; k < length; k++) {
		if (at + k >= text.size())
			return 0;
		const unsigned char c = text[at + k];
		if (k == 1 ? (c < low || c > high) : (c & 0xC0) != 0x80)
			return -1;
		value = (value << 6) | (c & 0x3F);
	}
	code = value;
	return length;
}

}	// namespace


size_t
Utf8::Decode(const std::string& text, size_t at, uint32_t& code)
{
	uint32_t value;
	const int length = Scan(text, at, value);
	if (length <= 0)
		return 0;
	code = value;
	return static_cast<size_t>(length);
}


bool
Utf8::IsTruncated(const std::string& text, size_t at)
{
	uint32_t value;
	return Scan(text, at, value) == 0;
}


int32_t
Utf8::CharacterOffset(const std::string& text, int32_t bytes)
{
	int32_t characters = 0;
	const size_t end = bytes < 0 ? 0
		: std::min(text.size(), static_cast<size_t>(bytes));
	for (size_t i = 0; i < end; i++)
		characters += !IsContinuationByte(text[i]);
	return characters;
}
