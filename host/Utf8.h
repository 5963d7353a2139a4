// UTF-8, as the hosts read it from key scripts, terminals and the method's
// events: well-formed, shortest-form characters up to U+10FFFF, no
// surrogates.
#ifndef UTF8_H
#define UTF8_H

#include <cstddef>
#include <cstdint>
#include <string>

class Utf8 {
public:
	// The length of the character that starts at `text[at]` (which must
	// exist), with its code in `code`; 0, and `code` untouched, when the
	// bytes there are not a complete, well-formed character.
	static	size_t				Decode(const std::string& text, size_t at,
									uint32_t& code);
	// True when the bytes from `text[at]` to the end are the beginning of a
	// well-formed character that more bytes would complete.
	static	bool				IsTruncated(const std::string& text,
									size_t at);

	static	bool				IsContinuationByte(char c)
									{ return (static_cast<unsigned char>(c)
										& 0xC0) == 0x80; }
	// The number of characters in the first `bytes` bytes of `text`
	// (clamped to the text).
	static	int32_t				CharacterOffset(const std::string& text,
									int32_t bytes);
};

#endif	// UTF8_H
