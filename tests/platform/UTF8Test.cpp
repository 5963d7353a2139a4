// Conversions between UTF-8 and the other encodings, EUC-JP above all.
#include <UTF8.h>

#include <gtest/gtest.h>

#include <iconv.h>

#include <random>
#include <string>


namespace {

struct Result {
	status_t	status;
	int32		consumed;
	std::string	output;
};


// Converts `source` into a buffer of `room` bytes, to UTF-8 or from it.
Result
Convert(bool toUtf8, uint32 encoding, const std::string& source,
	int32 room = 1024, int32* state = NULL, char substitute = B_SUBSTITUTE)
{
	int32 ownState = 0;
	std::string buffer(room, '\0');
	int32 sourceLength = (int32)source.size();
	int32 destinationLength = room;
	status_t status = (toUtf8 ? convert_to_utf8 : convert_from_utf8)(
		encoding, source.data(), &sourceLength, &buffer[0], &destinationLength,
		state != NULL ? state : &ownState, substitute);
	return Result{status, sourceLength, buffer.substr(0, destinationLength)};
}

const std::string kEucAiu = "\xA4\xA2\xA4\xA4\xA4\xA6";		// あいう
const std::string kUtf8Aiu = "\xE3\x81\x82\xE3\x81\x84\xE3\x81\x86";

}	// namespace


TEST(Utf8Conversion, TextsConvertBothWays)
{
	// あいうA漢字ｱ (half-width) in EUC-JP, then kana in other encodings.
	const struct {
		uint32		encoding;
		std::string	utf8;
		std::string	other;
	} kTexts[] = {
		{B_EUC_CONVERSION, kUtf8Aiu + "A\xE6\xBC\xA2\xE5\xAD\x97\xEF\xBD\xB1",
			kEucAiu + "A\xB4\xC1\xBB\xFA\x8E\xB1"},
		{B_SJIS_CONVERSION, "\xE3\x81\x82", "\x82\xA0"},
		{B_ISO1_CONVERSION, "\xC3\xA9", "\xE9"},
		{B_UNICODE_CONVERSION, "\xE3\x81\x82", std::string("\x30\x42", 2)},
	};
	for (const auto& text : kTexts) {
		SCOPED_TRACE(text.encoding);
		Result utf8 = Convert(true, text.encoding, text.other);
		EXPECT_EQ(B_OK, utf8.status);
		EXPECT_EQ((int32)text.other.size(), utf8.consumed);
		EXPECT_EQ(text.utf8, utf8.output);
		EXPECT_EQ(text.other, Convert(false, text.encoding, text.utf8).output);
	}

	// Rows A4 (hiragana) and A5 (katakana) of JIS X 0208, as far as they
	// are assigned.
	for (int row = 0xA4; row <= 0xA5; row++) {
		for (int cell = 0xA1; cell <= (row == 0xA4 ? 0xF3 : 0xF6); cell++) {
			std::string euc = {(char)row, (char)cell};
			Result utf8 = Convert(true, B_EUC_CONVERSION, euc);
			ASSERT_EQ(3u, utf8.output.size()) << std::hex << row << cell;
			EXPECT_EQ(euc, Convert(false, B_EUC_CONVERSION, utf8.output).output);
		}
	}
}


TEST(Utf8Conversion, CutBadAndUnmappableInputAndFullBuffers)
{
	const struct {
		bool		toUtf8;
		uint32		encoding;
		std::string	source;
		status_t	status;
		int32		consumed;
		std::string	output;
		int32		room = 1024;
		char		substitute = 0x1A;
	} kCases[] = {
		// a character cut off by the end is left unconsumed
		{true, B_EUC_CONVERSION, kEucAiu + "\xA4", B_OK, 6, kUtf8Aiu},
		{true, B_EUC_CONVERSION, "\x8F\xB0", B_OK, 0, ""},
		{false, B_EUC_CONVERSION, "a\xE3\x81", B_OK, 1, "a"},
		// FF is no character; A4 41 is a lead byte without its trail (only
		// the lead is skipped); A9 A1 is well formed but unassigned
		{true, B_EUC_CONVERSION, "\xFF\xA4" "A\xA9\xA1z", B_OK, 6,
			"\x1A\x1A" "A\x1Az"},
		{true, B_EUC_CONVERSION, "\xFFx", B_OK, 2, "?x", 1024, '?'},
		// an emoji has no EUC-JP form; C0 80 (overlong) and a lone
		// continuation byte are invalid UTF-8
		{false, B_EUC_CONVERSION, "\xF0\x9F\x98\x80" "a\xC0\x80" "b\x80"
			"c", B_OK, 10, "\x1A" "a\x1A\x1A" "b\x1A" "c"},
		// in UCS-2 the substitute is a whole two-byte character
		{false, B_UNICODE_CONVERSION, "\xF0\x9F\x98\x80", B_OK, 4,
			std::string("\x00\x1A", 2)},
		// a full destination stops before a whole character, or before the
		// substitute
		{true, B_EUC_CONVERSION, kEucAiu, B_OK, 4, kUtf8Aiu.substr(0, 6), 7},
		{true, B_EUC_CONVERSION, kEucAiu, B_OK, 0, "", 2},
		{true, B_EUC_CONVERSION, "a\xFF", B_OK, 1, "a", 1},
		{true, B_EUC_CONVERSION, "", B_OK, 0, ""},
		// unknown encodings
		{true, 99, "a", B_ERROR, 0, ""},
		{false, 24, "a", B_ERROR, 0, ""},
	};
	for (const auto& c : kCases) {
		SCOPED_TRACE(c.source);
		Result result = Convert(c.toUtf8, c.encoding, c.source, c.room, NULL,
			c.substitute);
		EXPECT_EQ(c.status, result.status);
		if (c.status == B_OK) {
			EXPECT_EQ(c.consumed, result.consumed);
			EXPECT_EQ(c.output, result.output);
		}
	}

	char buffer[4];
	int32 length = 4;
	int32 state = 0;
	EXPECT_EQ(B_BAD_VALUE, convert_to_utf8(B_EUC_CONVERSION, "a", NULL,
		buffer, &length, &state));
}


// The model: one conversion of the whole text, and for valid text the C
// library's. Passes through a small buffer, handing the rest back each time
// as a caller does, must give the same bytes, whatever mix of valid, invalid
// and cut characters.
TEST(Utf8Conversion, PassesThroughASmallBufferMatchOneConversion)
{
	iconv_t reference = iconv_open("UTF-8", "EUC-JP");
	ASSERT_NE((iconv_t)-1, reference);
	std::mt19937 random(5);
	const std::string pieces[] = {"a", "\xA4\xA2", "\xB4\xC1", "\x8E\xB1",
		"\x8F\xB0\xA1", "\xFF", "\xA4", "\xA9\xA1"};
	for (int round = 0; round < 220; round++) {
		// every tenth round a long valid text
		const bool valid = round % 10 == 0;
		std::string text;
		int count = valid ? 500 + random() % 3000 : random() % 40;
		for (int i = 0; i < count; i++)
			text += pieces[random() % (valid ? 5 : 8)];

		std::string whole = Convert(true, B_EUC_CONVERSION, text,
			text.size() * 3 + 8).output;
		if (valid) {
			std::string expected(text.size() * 3, '\0');
			char* in = &text[0];
			size_t inLeft = text.size();
			char* out = &expected[0];
			size_t outLeft = expected.size();
			ASSERT_NE((size_t)-1, iconv(reference, &in, &inLeft, &out,
				&outLeft));
			expected.resize(expected.size() - outLeft);
			EXPECT_EQ(expected, whole) << "round " << round;
		}

		int32 room = valid ? (int32)(7 + random() % 600) : 7;
		std::string passes;
		size_t done = 0;
		while (done < text.size()) {
			Result pass = Convert(true, B_EUC_CONVERSION, text.substr(done),
				room);
			if (pass.consumed == 0)
				break;
			passes += pass.output;
			done += pass.consumed;
		}
		EXPECT_EQ(whole, passes) << "round " << round << ", room " << room;
	}
	iconv_close(reference);
}


TEST(Utf8Conversion, JisShiftStateCarriesOverBetweenCalls)
{
	int32 state = 0;
	Result first = Convert(true, B_JIS_CONVERSION, "\x1B$B\x24\x22", 1024,
		&state);
	EXPECT_EQ(5, first.consumed);
	EXPECT_EQ("\xE3\x81\x82", first.output);

	Result second = Convert(true, B_JIS_CONVERSION, "\x24\x24\x1B(Bq", 1024,
		&state);
	EXPECT_EQ(6, second.consumed);
	EXPECT_EQ("\xE3\x81\x84q", second.output);
	EXPECT_EQ(0, state);

	// Output always returns to ASCII, so each call's bytes stand alone.
	Result jis = Convert(false, B_JIS_CONVERSION, "a\xE3\x81\x82" "b", 1024,
		&state);
	EXPECT_EQ("a\x1B$B\x24\x22\x1B(Bb", jis.output);
	EXPECT_EQ(0, state);
}
