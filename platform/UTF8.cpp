#include "UTF8.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>

// The conversions run over the C library's iconv. What iconv does not
// decide the kits' way is done here: an invalid or unmappable character
// becomes one substitute and the conversion goes on after it; a character
// cut off by the end of the source stays unconsumed.

namespace {

// How the bytes of an encoding form characters, to know how many bytes an
// invalid or unmappable character spans.
enum CharShape {
	kSingleByte,
	kEucJp,
	kShiftJis,
	kIso2022Jp,
	kUcs2,
	kEucKr,
	kUtf8
};

struct Encoding {
	const char*	name;
	CharShape	shape;
};

const Encoding kEncodings[] = {
	{"ISO-8859-1", kSingleByte},
	{"ISO-8859-2", kSingleByte},
	{"ISO-8859-3", kSingleByte},
	{"ISO-8859-4", kSingleByte},
	{"ISO-8859-5", kSingleByte},
	{"ISO-8859-6", kSingleByte},
	{"ISO-8859-7", kSingleByte},
	{"ISO-8859-8", kSingleByte},
	{"ISO-8859-9", kSingleByte},
	{"ISO-8859-10", kSingleByte},
	{"MACINTOSH", kSingleByte},
	{"SHIFT_JIS", kShiftJis},
	{"EUC-JP", kEucJp},
	{"ISO-2022-JP", kIso2022Jp},
	{"CP1252", kSingleByte},
	{"UCS-2BE", kUcs2},
	{"KOI8-R", kSingleByte},
	{"CP1251", kSingleByte},
	{"CP866", kSingleByte},
	{"CP437", kSingleByte},
	{"EUC-KR", kEucKr},
	{"ISO-8859-13", kSingleByte},
	{"ISO-8859-14", kSingleByte},
	{"ISO-8859-15", kSingleByte}
};

const uint32 kEncodingCount = sizeof(kEncodings) / sizeof(kEncodings[0]);

// Shift states of ISO-2022-JP kept in the caller's *state.
enum JisMode {
	kJisAscii = 0,
	kJisKanji = 1,
	kJisRoman = 2,
	kJisKatakana = 3
};

// The longest escape sequence that returns ISO-2022-JP to ASCII.
const size_t kJisResetRoom = 3;

// No source byte becomes more than this many output bytes (a half-width
// katakana byte of Shift-JIS becomes 3 bytes of UTF-8; ISO-2022-JP output
// adds escape sequences).
const size_t kMaxExpansion = 4;

// Pieces of source never shorter than this, so that every piece holds at
// least one whole character.
const size_t kMinPiece = 16;


// One iconv descriptor per encoding and direction, opened on first use and
// kept for the thread's life: opening one costs far more than a short
// conversion, and a descriptor must not be shared between threads.
class DescriptorCache {
public:
	DescriptorCache()
	{
		for (uint32 i = 0; i < kEncodingCount; i++)
			fToUtf8[i] = fFromUtf8[i] = kClosed;
	}

	~DescriptorCache()
	{
		for (uint32 i = 0; i < kEncodingCount; i++) {
			if (fToUtf8[i] != kClosed)
				iconv_close(fToUtf8[i]);
			if (fFromUtf8[i] != kClosed)
				iconv_close(fFromUtf8[i]);
		}
	}

	// A descriptor in its initial shift state, or kClosed when the C library
	// cannot convert this encoding.
	iconv_t Get(uint32 encoding, bool toUtf8)
	{
		iconv_t& cd = toUtf8 ? fToUtf8[encoding] : fFromUtf8[encoding];
		if (cd == kClosed) {
			const char* name = kEncodings[encoding].name;
			cd = toUtf8 ? iconv_open("UTF-8", name)
				: iconv_open(name, "UTF-8");
		}
		if (cd != kClosed)
			iconv(cd, NULL, NULL, NULL, NULL);
		return cd;
	}

	static const iconv_t kClosed;

private:
	iconv_t	fToUtf8[kEncodingCount];
	iconv_t	fFromUtf8[kEncodingCount];
};

const iconv_t DescriptorCache::kClosed = reinterpret_cast<iconv_t>(-1);


bool
InRange(uint8 byte, uint8 low, uint8 high)
{
	return byte >= low && byte <= high;
}


// Checks the character that starts at p. Returns its length when its bytes
// are well formed (it may still be unmappable); 0 when the bytes are a good
// beginning cut off by the end of the source; -n when they are invalid, n
// being the shortest run to skip (at least 1).
int
CharacterSpan(CharShape shape, const uint8* p, size_t available,
	int32 jisMode)
{
	int length = 1;
	uint8 low[3] = {0, 0, 0};
	uint8 high[3] = {0, 0, 0};
	uint8 b = p[0];

	switch (shape) {
		case kSingleByte:
			return 1;

		case kUcs2:
			return available >= 2 ? 2 : 0;

		case kEucJp:
			if (b < 0x80)
				return 1;
			if (b == 0x8E) {
				length = 2;
				low[0] = 0xA1; high[0] = 0xDF;
			} else if (b == 0x8F) {
				length = 3;
				low[0] = low[1] = 0xA1; high[0] = high[1] = 0xFE;
			} else if (InRange(b, 0xA1, 0xFE)) {
				length = 2;
				low[0] = 0xA1; high[0] = 0xFE;
			} else
				return -1;
			break;

		case kEucKr:
			if (b < 0x80)
				return 1;
			if (!InRange(b, 0xA1, 0xFE))
				return -1;
			length = 2;
			low[0] = 0xA1; high[0] = 0xFE;
			break;

		case kShiftJis:
			if (b < 0x80 || InRange(b, 0xA1, 0xDF))
				return 1;
			if (!InRange(b, 0x81, 0x9F) && !InRange(b, 0xE0, 0xFC))
				return -1;
			if (available < 2)
				return 0;
			if (InRange(p[1], 0x40, 0x7E) || InRange(p[1], 0x80, 0xFC))
				return 2;
			return -1;

		case kIso2022Jp:
			if (b == 0x1B) {
				// An escape sequence that iconv refused is skipped byte by
				// byte; one cut off by the end waits for the rest.
				return available < 3 ? 0 : -1;
			}
			if (jisMode == kJisKanji && b >= 0x21 && b <= 0x7E)
				return available >= 2 ? 2 : 0;
			return 1;

		case kUtf8:
			if (b < 0x80)
				return 1;
			if (InRange(b, 0xC2, 0xDF)) {
				length = 2;
				low[0] = 0x80; high[0] = 0xBF;
			} else if (InRange(b, 0xE0, 0xEF)) {
				length = 3;
				low[0] = b == 0xE0 ? 0xA0 : 0x80;
				high[0] = b == 0xED ? 0x9F : 0xBF;
				low[1] = 0x80; high[1] = 0xBF;
			} else if (InRange(b, 0xF0, 0xF4)) {
				length = 4;
				low[0] = b == 0xF0 ? 0x90 : 0x80;
				high[0] = b == 0xF4 ? 0x8F : 0xBF;
				low[1] = low[2] = 0x80; high[1] = high[2] = 0xBF;
			} else
				return -1;
			break;
	}

	for (int i = 1; i < length; i++) {
		if ((size_t)i >= available)
			return 0;
		if (!InRange(p[i], low[i - 1], high[i - 1]))
			return -i;
	}
	return length;
}


// The ISO-2022-JP shift state after the escape sequences in [p, end),
// starting from mode.
int32
JisModeAfter(const uint8* p, const uint8* end, int32 mode)
{
	for (; p + 2 < end; p++) {
		if (p[0] != 0x1B)
			continue;
		if (p[1] == '$' && (p[2] == '@' || p[2] == 'B'))
			mode = kJisKanji;
		else if (p[1] == '(' && p[2] == 'B')
			mode = kJisAscii;
		else if (p[1] == '(' && p[2] == 'J')
			mode = kJisRoman;
		else if (p[1] == '(' && p[2] == 'I')
			mode = kJisKatakana;
	}
	return mode;
}


const char*
JisEscape(int32 mode)
{
	switch (mode) {
		case kJisKanji:
			return "\x1b$B";
		case kJisRoman:
			return "\x1b(J";
		case kJisKatakana:
			return "\x1b(I";
		default:
			return NULL;
	}
}


thread_local DescriptorCache sDescriptors;


status_t
Convert(uint32 encoding, bool toUtf8, const char* source, int32* sourceLength,
	char* destination, int32* destinationLength, int32* state,
	char substitute)
{
	if (sourceLength == NULL || destinationLength == NULL
		|| (*sourceLength > 0 && source == NULL)
		|| (*destinationLength > 0 && destination == NULL))
		return B_BAD_VALUE;
	if (encoding >= kEncodingCount)
		return B_ERROR;

	iconv_t cd = sDescriptors.Get(encoding, toUtf8);
	if (cd == DescriptorCache::kClosed)
		return B_ERROR;

	const CharShape shape = toUtf8 ? kEncodings[encoding].shape : kUtf8;
	const bool jisSource = toUtf8 && shape == kIso2022Jp;
	const bool jisTarget = !toUtf8 && kEncodings[encoding].shape == kIso2022Jp;
	int32 startMode = state != NULL && jisSource ? *state : kJisAscii;

	const uint8* start = reinterpret_cast<const uint8*>(source);
	char* in = const_cast<char*>(source);
	size_t inLeft = *sourceLength > 0 ? (size_t)*sourceLength : 0;
	char* out = destination;
	size_t room = *destinationLength > 0 ? (size_t)*destinationLength : 0;

	// ISO-2022-JP output always ends back in ASCII, so that each call's
	// output stands alone: keep room for the escape that returns there.
	size_t outLeft = room;
	if (jisTarget)
		outLeft = room > kJisResetRoom ? room - kJisResetRoom : 0;

	if (jisSource) {
		// Put the fresh descriptor into the shift state the last call ended in.
		const char* escape = JisEscape(startMode);
		if (escape != NULL) {
			char* escapeIn = const_cast<char*>(escape);
			size_t escapeLeft = strlen(escape);
			iconv(cd, &escapeIn, &escapeLeft, &out, &outLeft);
		}
	}

	// The substitute is one character of the target encoding.
	char substituteBytes[2] = {substitute, 0};
	size_t substituteLength = 1;
	if (!toUtf8 && kEncodings[encoding].shape == kUcs2) {
		substituteBytes[0] = 0;
		substituteBytes[1] = substitute;
		substituteLength = 2;
	}

	// The source goes to iconv in pieces about as long as the room left can
	// take: the C library, when the output fills up, converts what it was
	// given into a scratch buffer again to find where it stopped, which
	// made each short pass over a long text cost as much as the whole text.
	bool wholeRest = false;
	while (inLeft > 0) {
		size_t piece = inLeft;
		if (!wholeRest && outLeft / kMaxExpansion + kMinPiece < inLeft)
			piece = outLeft / kMaxExpansion + kMinPiece;
		size_t pieceLeft = piece;
		size_t result = iconv(cd, &in, &pieceLeft, &out, &outLeft);
		inLeft -= piece - pieceLeft;
		if (result != (size_t)-1)
			continue;
		if (errno == E2BIG)
			break;
		if (errno == EINVAL && piece < inLeft + (piece - pieceLeft)) {
			// A character cut by the end of the piece, not of the source:
			// the next piece starts with it. Should a piece make no progress
			// at all, hand over the whole rest.
			wholeRest = pieceLeft == piece;
			continue;
		}

		const uint8* here = reinterpret_cast<const uint8*>(in);
		int32 mode = jisSource ? JisModeAfter(start, here, startMode) : 0;
		int span = CharacterSpan(shape, here, inLeft, mode);
		if (span == 0)
			break;
		if (errno == EINVAL && span > 0) {
			// iconv saw an incomplete character that our check finds whole:
			// nothing more can be done with it here.
			break;
		}
		size_t skip = span > 0 ? (size_t)span : (size_t)-span;

		if (jisTarget) {
			// A substitute written in a two-byte shift would read as half a
			// kanji: return to ASCII first.
			iconv(cd, NULL, NULL, &out, &outLeft);
		}
		if (outLeft < substituteLength)
			break;
		memcpy(out, substituteBytes, substituteLength);
		out += substituteLength;
		outLeft -= substituteLength;
		in += skip;
		inLeft -= skip;
	}

	if (jisTarget) {
		outLeft = room - (size_t)(out - destination);
		iconv(cd, NULL, NULL, &out, &outLeft);
	}

	int32 consumed = (int32)(in - source);
	if (jisSource && state != NULL)
		*state = JisModeAfter(start, start + consumed, startMode);
	*sourceLength = consumed;
	*destinationLength = (int32)(out - destination);
	return B_OK;
}

}	// namespace


status_t
convert_to_utf8(uint32 srcEncoding, const char* src, int32* srcLen,
	char* dst, int32* dstLen, int32* state, char substitute)
{
	return Convert(srcEncoding, true, src, srcLen, dst, dstLen, state,
		substitute);
}


status_t
convert_from_utf8(uint32 dstEncoding, const char* src, int32* srcLen,
	char* dst, int32* dstLen, int32* state, char substitute)
{
	return Convert(dstEncoding, false, src, srcLen, dst, dstLen, state,
		substitute);
}
