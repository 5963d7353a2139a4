// EUC-JP text helpers and the codecs of candidate text and table fields.
//
// All text is EUC-JP held in std::string. A character code is a 32-bit
// signed int: an ASCII byte (0x00-0x7F) is its own code; a two-byte
// character with bytes b1 b2 has the code b1 * 256 + b2 (bytes unsigned), so
// あ (A4 A2) is 0xA4A2. Only one- and two-byte characters are known: a
// three-byte character (lead byte 0x8F) reads as the two-byte code of its
// first two bytes followed by a character that begins with its third byte.
//
// Every function here works only on its arguments and local storage, so any
// thread may call any of them at any time.
#ifndef NUV_UTILS_H
#define NUV_UTILS_H

#include <cstdint>
#include <string>
#include <vector>

// The opening and closing of the dictionary notation for a candidate that
// holds awkward bytes: "(concat " (eight bytes, the blank included), one
// double-quoted string, ")". They are built before main(); the codecs below
// do not depend on them, so those may run from any static initialiser.
extern const std::string sConcatHead;
extern const std::string sConcatTail;


// Reads the characters of a string one by one.
//
// Holds a read position in the NUL-terminated bytes of `text`; the string
// must outlive the tokenizer and must not change while it is in use.
class EucTokenizer {
public:
								EucTokenizer(const std::string& text)
									: fPosition(reinterpret_cast<const unsigned char*>(
										text.c_str())) {}

	// The next character code, advancing past it. 0 marks the end: the
	// string's terminating NUL, or a NUL byte inside the string. A byte of
	// 0x80 or above followed by a non-NUL byte is returned with that byte as
	// one two-byte code, whatever the second byte is; a byte of 0x80 or above
	// that is the last byte is returned alone. After the end, returns 0 again.
	inline	int32_t				GetChar();

private:
			const unsigned char* fPosition;
};


// Appends characters to a string.
//
// Holds a reference to `target`, which must outlive the combinator.
class EucCombinator {
public:
								EucCombinator(std::string& target)
									: fTarget(target) {}

	// Appends `code`: a code above 255 as two bytes, bits 8-15 then bits
	// 0-7; any other code as the one byte of its bits 0-7.
	inline	void				PutChar(int32_t code);

private:
			std::string&		fTarget;
};


// Static text operations on EUC-JP byte strings. None of them fails:
// malformed input gives the defined result described at each.
class NuvUtils {
public:
	// Kana

	// A new string: `text` with hiragana (0xA4A1-0xA4F3) turned into
	// katakana (the code plus 0x100), and each う followed by ゛ (0xA1AB)
	// joined into ヴ (0xA5F4). Everything else passes unchanged. The text
	// is read with an EucTokenizer, so a NUL byte ends it: the rest is not
	// copied.
	static	std::string			ConvertEucHirakanaToKatakana(
									const std::string& text);

	// A new string: `text` with katakana (0xA5A1-0xA5F3) turned into
	// hiragana and ヴ into the two characters う ゛. ヵ, ヶ and everything
	// else pass unchanged. A NUL byte ends the text, as above.
	static	std::string			ConvertEucKatakanaToHirakana(
									const std::string& text);

	// Characters

	// Removes the last character of `text` in place, as SplitEucString
	// would see it: a byte of 0x80 or above pairs with the byte after it,
	// and a lone high byte at the end is a character of its own. Never
	// leaves half of a two-byte character behind. An empty text stays empty.
	static	void				PopBackEuc(std::string& text);

	// The character codes of `text`, walking from the start: a byte below
	// 0x80 is its own code; a byte of 0x80 or above is paired with the next
	// byte, whatever it is (NUL included); a high byte that is the last byte
	// is dropped.
	static	std::vector<int32_t> SplitEucString(const std::string& text);

	// The string for `codes`: a code above 127 as two bytes, bits 8-15
	// then bits 0-7; any other code as the one byte of its bits 0-7.
	// JoinEucString(SplitEucString(t)) is t, less a dropped lone final byte.
	static	std::string			JoinEucString(
									const std::vector<int32_t>& codes);

	// Codecs

	// `text` as a double-quoted string with backslash escapes: \a \b \t \n
	// \v \f \r \" \\ for their bytes, NUL as \0 (or \000 when an octal digit
	// follows, so that it decodes back), any other byte from 0x01 to 0x1F and
	// 0x7F as a three-digit octal escape (\033), and so is every byte found in
	// `extra` (a NUL-terminated set of bytes, or null for none). Bytes 0x80-
	// 0xFF and all other bytes are written as they are.
	static	std::string			EncodeCString(const std::string& text,
									const char* extra = nullptr);

	// The decoded bytes when `text` is at least two bytes long and begins
	// and ends with a double quote; otherwise `text` unchanged. Understands
	// the escapes of EncodeCString, octal escapes of one to three digits
	// (low eight bits kept) and \x with up to two lower-case hex digits;
	// any other escaped byte stands for itself, and a lone backslash before
	// the closing quote is dropped.
	static	std::string			DecodeCString(const std::string& text);

	// The dictionary notation of a candidate: `text` unchanged when it
	// holds nothing awkward, else sConcatHead, its EncodeCString form with
	// "/" escaped, and sConcatTail. Awkward are control bytes (0x00-0x1F,
	// 0x7F), the double quote, the backslash and the slash anywhere; a "["
	// as the first byte (it would open an okurigana block); a text that is
	// exactly "]" (it would close one); and a text that already looks like
	// the "(concat " form. DecodeElisp(EncodeElisp(t)) == t for every t.
	static	std::string			EncodeElisp(const std::string& text);

	// The decoded candidate when `text` begins with sConcatHead and ends
	// with sConcatTail: DecodeCString of the bytes between them, untrimmed.
	// Any other text is returned unchanged.
	static	std::string			DecodeElisp(const std::string& text);

	// `text` with control bytes made visible for display: 0x00-0x1F as "^"
	// and the byte plus 0x40 (^@, ^A, ^[), 0x7F as one blank.
	static	std::string			ConvertToPrintable(const std::string& text);

	// Encodings of whole files

	// True when every byte of `bytes` belongs to a well-formed EUC-JP
	// character: ASCII, a two-byte character of two bytes 0xA1-0xFE, a
	// half-width katakana (0x8E then 0xA1-0xDF) or a three-byte character
	// (0x8F then two bytes 0xA1-0xFE). Plain ASCII is valid.
	static	bool				IsValidEuc(const std::string& bytes);

	// True when `bytes` is well-formed UTF-8: shortest forms only, no
	// surrogates, nothing above U+10FFFF. Plain ASCII is valid.
	static	bool				IsValidUtf8(const std::string& bytes);
};


// #pragma mark - inline


int32_t
EucTokenizer::GetChar()
{
	int32_t first = *fPosition;
	if (first == 0)
		return 0;
	fPosition++;
	if (first < 0x80 || *fPosition == 0)
		return first;
	return (first << 8) | *fPosition++;
}


void
EucCombinator::PutChar(int32_t code)
{
	if (code > 255)
		fTarget += static_cast<char>((code >> 8) & 0xFF);
	fTarget += static_cast<char>(code & 0xFF);
}


#endif	// NUV_UTILS_H
