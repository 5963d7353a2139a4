#include "NuvUtils.h"

#include <algorithm>
#include <cstring>


// The codecs below use these literals rather than the two strings, so that
// they work even when called from another file's static initialisation.
static const char kConcatHead[] = "(concat ";
static const size_t kConcatHeadLength = sizeof(kConcatHead) - 1;
static const char kConcatTail = ')';

const std::string sConcatHead(kConcatHead);
const std::string sConcatTail(1, kConcatTail);

static const char kOctalDigits[] = "01234567";
static const char kHexDigits[] = "0123456789abcdef";

static const int32_t kHiraganaFirst = 0xA4A1;	// ぁ
static const int32_t kHiraganaLast = 0xA4F3;	// ん
static const int32_t kKatakanaFirst = 0xA5A1;	// ァ
static const int32_t kKatakanaLast = 0xA5F3;	// ン
static const int32_t kKatakanaOffset = 0x100;
static const int32_t kHiraganaU = 0xA4A6;		// う
static const int32_t kVoicedMark = 0xA1AB;		// ゛
static const int32_t kKatakanaVu = 0xA5F4;		// ヴ


static inline bool
IsHighByte(unsigned char byte)
{
	return byte >= 0x80;
}


static inline bool
IsOctalDigit(unsigned char byte)
{
	return byte >= '0' && byte <= '7';
}


// #pragma mark - Kana


std::string
NuvUtils::ConvertEucHirakanaToKatakana(const std::string& text)
{
	std::string result;
	result.reserve(text.size());
	EucTokenizer reader(text);
	EucCombinator writer(result);

	int32_t code = reader.GetChar();
	while (code != 0) {
		int32_t next = reader.GetChar();
		if (code == kHiraganaU && next == kVoicedMark) {
			writer.PutChar(kKatakanaVu);
			code = reader.GetChar();
			continue;
		}
		if (code >= kHiraganaFirst && code <= kHiraganaLast)
			writer.PutChar(code + kKatakanaOffset);
		else
			writer.PutChar(code);
		code = next;
	}
	return result;
}


std::string
NuvUtils::ConvertEucKatakanaToHirakana(const std::string& text)
{
	std::string result;
	result.reserve(text.size() + 2);
	EucTokenizer reader(text);
	EucCombinator writer(result);

	for (int32_t code = reader.GetChar(); code != 0;
			code = reader.GetChar()) {
		if (code == kKatakanaVu) {
			writer.PutChar(kHiraganaU);
			writer.PutChar(kVoicedMark);
		} else if (code >= kKatakanaFirst && code <= kKatakanaLast)
			writer.PutChar(code - kKatakanaOffset);
		else
			writer.PutChar(code);
	}
	return result;
}


// #pragma mark - Characters


void
NuvUtils::PopBackEuc(std::string& text)
{
	// Whether the last two bytes form one character depends on how the
	// text pairs up from its start (a stray high byte shifts every pair
	// after it), so walk it; readings are short.
	const size_t size = text.size();
	size_t last = 0;
	for (size_t i = 0; i < size;) {
		last = i;
		if (IsHighByte(text[i]) && i + 1 < size)
			i += 2;
		else
			i++;
	}
	text.erase(last);
}


std::vector<int32_t>
NuvUtils::SplitEucString(const std::string& text)
{
	std::vector<int32_t> codes;
	codes.reserve(text.size());
	const size_t size = text.size();
	for (size_t i = 0; i < size; i++) {
		unsigned char byte = text[i];
		if (!IsHighByte(byte))
			codes.push_back(byte);
		else if (i + 1 < size) {
			codes.push_back(byte << 8 | static_cast<unsigned char>(text[i + 1]));
			i++;
		}
	}
	return codes;
}


std::string
NuvUtils::JoinEucString(const std::vector<int32_t>& codes)
{
	std::string text;
	text.reserve(codes.size() * 2);
	for (int32_t code : codes) {
		if (code > 127)
			text += static_cast<char>((code >> 8) & 0xFF);
		text += static_cast<char>(code & 0xFF);
	}
	return text;
}


// #pragma mark - Codecs


static void
AppendOctalEscape(std::string& out, unsigned char byte)
{
	out += '\\';
	out += kOctalDigits[byte >> 6];
	out += kOctalDigits[(byte >> 3) & 7];
	out += kOctalDigits[byte & 7];
}


// Appends the quoted form of `text`. With `escapeFirst` the first byte is
// written as an octal escape whatever it is.
static void
AppendCString(std::string& out, const std::string& text, const char* extra,
	bool escapeFirst)
{
	out += '"';
	const size_t size = text.size();
	for (size_t i = 0; i < size; i++) {
		const unsigned char byte = text[i];
		if (i == 0 && escapeFirst) {
			AppendOctalEscape(out, byte);
			continue;
		}
		switch (byte) {
			case 0x00:
				// "\0" followed by an octal digit would read as one longer
				// escape, so spell NUL out in full there.
				if (i + 1 < size && IsOctalDigit(text[i + 1]))
					out += "\\000";
				else
					out += "\\0";
				continue;
			case 0x07: out += "\\a"; continue;
			case 0x08: out += "\\b"; continue;
			case 0x09: out += "\\t"; continue;
			case 0x0A: out += "\\n"; continue;
			case 0x0B: out += "\\v"; continue;
			case 0x0C: out += "\\f"; continue;
			case 0x0D: out += "\\r"; continue;
			case '"': out += "\\\""; continue;
			case '\\': out += "\\\\"; continue;
			default:
				break;
		}
		if (byte < 0x20 || byte == 0x7F
			|| (extra != nullptr && std::strchr(extra, byte) != nullptr))
			AppendOctalEscape(out, byte);
		else
			out += static_cast<char>(byte);
	}
	out += '"';
}


std::string
NuvUtils::EncodeCString(const std::string& text, const char* extra)
{
	std::string out;
	out.reserve(text.size() + 2);
	AppendCString(out, text, extra, false);
	return out;
}


// The bytes that DecodeCString makes of the quoted body `body`.
static std::string
DecodeBody(const char* body, size_t size)
{
	const char* end = body + size;
	if (std::memchr(body, '\\', size) == nullptr)
		return std::string(body, size);

	enum { kPlain, kEscape, kOctal, kHex } state = kPlain;
	int value = 0;
	int count = 0;
	std::string out;
	out.reserve(size);

	for (const char* cursor = body; cursor < end;) {
		const unsigned char byte = *cursor;
		switch (state) {
			case kPlain:
				if (byte == '\\')
					state = kEscape;
				else
					out += static_cast<char>(byte);
				cursor++;
				break;

			case kEscape:
				if (IsOctalDigit(byte)) {
					// the digit is read again as the escape's first digit
					state = kOctal;
					value = 0;
					count = 0;
					break;
				}
				cursor++;
				if (byte == 'x') {
					state = kHex;
					value = 0;
					count = 0;
					break;
				}
				switch (byte) {
					case 'a': out += '\a'; break;
					case 'b': out += '\b'; break;
					case 'f': out += '\f'; break;
					case 'n': out += '\n'; break;
					case 'r': out += '\r'; break;
					case 't': out += '\t'; break;
					case 'v': out += '\v'; break;
					default: out += static_cast<char>(byte); break;
				}
				state = kPlain;
				break;

			case kOctal:
				if (IsOctalDigit(byte)) {
					value = value * 8 + (byte - '0');
					cursor++;
					if (++count < 3)
						break;
				}
				out += static_cast<char>(value & 0xFF);
				state = kPlain;
				break;

			case kHex:
			{
				const char* digit = byte != 0
					? std::strchr(kHexDigits, byte) : nullptr;
				if (digit != nullptr) {
					value = value * 16 + static_cast<int>(digit - kHexDigits);
					cursor++;
					if (++count < 2)
						break;
				}
				out += static_cast<char>(value & 0xFF);
				state = kPlain;
				break;
			}
		}
	}

	// An escape cut short by the closing quote still gives its value; a lone
	// backslash there gives nothing.
	if (state == kOctal || state == kHex)
		out += static_cast<char>(value & 0xFF);
	return out;
}


std::string
NuvUtils::DecodeCString(const std::string& text)
{
	const size_t size = text.size();
	if (size < 2 || text[0] != '"' || text[size - 1] != '"')
		return text;
	return DecodeBody(text.data() + 1, size - 2);
}


static inline bool
LooksLikeConcat(const std::string& text)
{
	// The head ends in a blank, so a text that starts with it and ends with
	// the tail is at least one byte longer than the head.
	return text.size() > kConcatHeadLength
		&& text.compare(0, kConcatHeadLength, kConcatHead) == 0
		&& text.back() == kConcatTail;
}


std::string
NuvUtils::EncodeElisp(const std::string& text)
{
	// A plain "[" at the start or a plain "]" would read back as an
	// okurigana block opener or end, and a plain text in the notation's own
	// shape would be decoded on reading: all three go in the long form,
	// their bracket as an octal escape.
	const bool escapeFirst = (!text.empty() && text[0] == '[') || text == "]";
	bool awkward = escapeFirst || LooksLikeConcat(text);
	for (size_t i = 0; !awkward && i < text.size(); i++) {
		const unsigned char byte = text[i];
		awkward = byte < 0x20 || byte == 0x7F || byte == '"' || byte == '\\'
			|| byte == '/';
	}
	if (!awkward)
		return text;

	std::string out;
	out.reserve(kConcatHeadLength + text.size() + 8);
	out += kConcatHead;
	AppendCString(out, text, "/", escapeFirst);
	out += kConcatTail;
	return out;
}


std::string
NuvUtils::DecodeElisp(const std::string& text)
{
	if (!LooksLikeConcat(text))
		return text;
	const char* inner = text.data() + kConcatHeadLength;
	const size_t innerSize = text.size() - kConcatHeadLength - 1;
	if (innerSize < 2 || inner[0] != '"' || inner[innerSize - 1] != '"')
		return std::string(inner, innerSize);
	return DecodeBody(inner + 1, innerSize - 2);
}


std::string
NuvUtils::ConvertToPrintable(const std::string& text)
{
	std::string out;
	out.reserve(text.size());
	for (const char c : text) {
		const unsigned char byte = c;
		if (byte < 0x20) {
			out += '^';
			out += static_cast<char>(byte + 0x40);
		} else if (byte == 0x7F)
			out += ' ';
		else
			out += c;
	}
	return out;
}


namespace {

// The byte-by-byte check of the characters that start from `p` on, up to
// the first that ends at or after `limit` (which must not pass `end`):
// where the walk stopped, a character boundary, or NULL on a fault.
const unsigned char*
CheckEucBytes(const unsigned char* p, const unsigned char* limit,
	const unsigned char* end)
{
	while (p < limit) {
		const unsigned char lead = *p;
		// unsigned differences: one comparison for each byte range
		if (lead < 0x80)
			p++;
		else if (lead >= 0xA1 && lead != 0xFF) {
			if (end - p < 2 || static_cast<unsigned char>(p[1] - 0xA1) > 0x5D)
				return NULL;
			p += 2;
		} else if (lead == 0x8E) {
			if (end - p < 2 || static_cast<unsigned char>(p[1] - 0xA1) > 0x3E)
				return NULL;
			p += 2;
		} else if (lead == 0x8F) {
			if (end - p < 3 || static_cast<unsigned char>(p[1] - 0xA1) > 0x5D
				|| static_cast<unsigned char>(p[2] - 0xA1) > 0x5D)
				return NULL;
			p += 3;
		} else
			return NULL;
	}
	return p;
}


// One bit for each of the eight bytes of `word` (byte i, bit i) whose high
// bit is set.
inline uint64_t
HighBitsMask(uint64_t word)
{
	return (((word & 0x8080808080808080ULL) >> 7) * 0x0102040810204080ULL)
		>> 56;
}

}	// namespace


bool
NuvUtils::IsValidEuc(const std::string& bytes)
{
	// The method checks the whole large dictionary at every start; a walk
	// byte by byte mispredicts a branch at every change between ASCII and
	// kanji. Most text holds only ASCII and two-byte characters of bytes
	// 0xA1-0xFE: then it is valid exactly when every run of high bytes is
	// of even length, which is checked 64 bytes at a time with the carries
	// of an addition. Any byte of 0x80-0xA0 or 0xFF sends the text to the
	// byte-by-byte check.
	const unsigned char* const data = reinterpret_cast<const unsigned char*>(
		bytes.data());
	const size_t size = bytes.size();
	const uint64_t kEvenBits = 0x5555555555555555ULL;
	const uint64_t kOddBits = ~kEvenBits;
	const uint64_t kHigh = 0x8080808080808080ULL;
	const uint64_t kLow = 0x7F7F7F7F7F7F7F7FULL;
	uint64_t carry = 0;		// a run of odd length so far reached bit 63
	for (size_t block = 0; block <= size; ) {
		// the last block is padded with ASCII, which ends any run
		unsigned char chunk[64] = {};
		const unsigned char* p = data + block;
		if (size - block < 64) {
			std::memcpy(chunk, p, size - block);
			p = chunk;
		}
		uint64_t high = 0;
		uint64_t rare = 0;
		for (int i = 0; i < 8; i++) {
			uint64_t word;
			std::memcpy(&word, p + 8 * i, 8);
			const uint64_t low = word & kLow;
			// high bytes of 0x80-0xA0 (low seven bits up to 0x20), and 0xFF
			const uint64_t small = ~(low + 0x5F5F5F5F5F5F5F5FULL) & kHigh;
			const uint64_t full = (low + 0x0101010101010101ULL) & kHigh;
			rare |= word & (small | full) & kHigh;
			high |= HighBitsMask(word) << (8 * i);
		}
		if (rare != 0) {
			// Byte by byte through this block, from the lead byte of a
			// character that its start cuts; the walk stops on a boundary.
			const unsigned char* stop = CheckEucBytes(data + block - carry,
				data + std::min(size, block + 64), data + size);
			if (stop == NULL)
				return false;
			block = static_cast<size_t>(stop - data);
			carry = 0;
			if (block == size)
				break;
			continue;
		}

		const uint64_t starts = high & ~(high << 1);
		const uint64_t evenStartMask = kEvenBits ^ carry;
		const uint64_t evenStarts = starts & evenStartMask;
		const uint64_t oddStarts = starts & ~evenStartMask;
		const uint64_t evenCarries = high + evenStarts;
		uint64_t oddCarries = high + oddStarts;
		const uint64_t nextCarry = oddCarries < high ? 1 : 0;
		oddCarries |= carry;
		carry = nextCarry;
		// the first byte after each run, where its parity shows
		const uint64_t oddEnds = ((evenCarries & ~high) & kOddBits)
			| ((oddCarries & ~high) & kEvenBits);
		if (oddEnds != 0)
			return false;
		block += 64;
	}
	return true;
}


bool
NuvUtils::IsValidUtf8(const std::string& bytes)
{
	const size_t size = bytes.size();
	for (size_t i = 0; i < size;) {
		const unsigned char lead = bytes[i];
		if (lead < 0x80) {
			i++;
			continue;
		}
		int length;
		uint32_t code;
		if (lead >= 0xC2 && lead <= 0xDF) {
			length = 2;
			code = lead & 0x1F;
		} else if (lead >= 0xE0 && lead <= 0xEF) {
			length = 3;
			code = lead & 0x0F;
		} else if (lead >= 0xF0 && lead <= 0xF4) {
			length = 4;
			code = lead & 0x07;
		} else
			return false;
		if (i + length > size)
			return false;
		for (int k = 1; k < length; k++) {
			const unsigned char next = bytes[i + k];
			if ((next & 0xC0) != 0x80)
				return false;
			code = (code << 6) | (next & 0x3F);
		}
		// Overlong three- and four-byte forms, surrogates, past U+10FFFF.
		if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000)
				|| (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
			return false;
		i += length;
	}
	return true;
}
