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


Result
ToUtf8(uint32 encoding, const std::string& source, int32 room = 1024,
	int32* state = NULL, char substitute = B_SUBSTITUTE)
{
	int32 ownState = 0;
	std::string buffer(room, '\0');
	int32 sourceLength = (int32)source.size();
	int32 destinationLength = room;
	status_t status = convert_to_utf8(encoding, source.data(), &sourceLength,
		&buffer[0], &destinationLength, state != NULL ? state : &ownState,
		substitute);
	return Result{status, sourceLength, buffer.substr(0, destinationLength)};
}


Result
FromUtf8(uint32 encoding, const std::string& source, int32 room = 1024,
	int32* state = NULL, char substitute = B_SUBSTITUTE)
{
	int32 ownState = 0;
	std::string buffer(room, '\0');
	int32 sourceLength = (int32)source.size();
	int32 destinationLength = room;
	status_t status = convert_from_utf8(encoding, source.data(), &sourceLength,
		&buffer[0], &destinationLength, state != NULL ? state : &ownState,
		substitute);
	return Result{status, sourceLength, buffer.substr(0, destinationLength)};
}

const std::string kEucAiu = "\xA4\xA2\xA4\xA4\xA4\xA6";		// あいう
const std::string kUtf8Aiu = "\xE3\x81\x82\xE3\x81\x84\xE3\x81\x86";

}	// namespace


TEST(Utf8Conversion, EucJpConvertsToGoldenUtf8Bytes)
{
	// 漢字 is B4 C1 BB FA in EUC-JP; ｱ (half-width) is 8E B1.
	Result result = ToUtf8(B_EUC_CONVERSION,
		kEucAiu + "A\xB4\xC1\xBB\xFA\x8E\xB1");
	EXPECT_EQ(B_OK, result.status);
	EXPECT_EQ(13, result.consumed);
	EXPECT_EQ(kUtf8Aiu + "A\xE6\xBC\xA2\xE5\xAD\x97\xEF\xBD\xB1",
		result.output);

	Result back = FromUtf8(B_EUC_CONVERSION, result.output);
	EXPECT_EQ(B_OK, back.status);
	EXPECT_EQ(kEucAiu + "A\xB4\xC1\xBB\xFA\x8E\xB1", back.output);
}


TEST(Utf8Conversion, EveryKanaRoundTrips)
{
	// Rows A4 (hiragana) and A5 (katakana) of JIS X 0208, as far as they
	// are assigned.
	for (int row = 0xA4; row <= 0xA5; row++) {
		int last = row == 0xA4 ? 0xF3 : 0xF6;
		for (int cell = 0xA1; cell <= last; cell++) {
			std::string euc = {(char)row, (char)cell};
			Result utf8 = ToUtf8(B_EUC_CONVERSION, euc);
			ASSERT_EQ(3u, utf8.output.size()) << std::hex << row << cell;
			EXPECT_EQ(euc, FromUtf8(B_EUC_CONVERSION, utf8.output).output);
		}
	}
}


TEST(Utf8Conversion, CharacterCutOffByTheEndIsLeftUnconsumed)
{
	Result result = ToUtf8(B_EUC_CONVERSION, kEucAiu + "\xA4");
	EXPECT_EQ(B_OK, result.status);
	EXPECT_EQ(6, result.consumed);
	EXPECT_EQ(kUtf8Aiu, result.output);

	result = ToUtf8(B_EUC_CONVERSION, "\x8F\xB0");
	EXPECT_EQ(B_OK, result.status);
	EXPECT_EQ(0, result.consumed);
	EXPECT_EQ("", result.output);

	result = FromUtf8(B_EUC_CONVERSION, "a\xE3\x81");
	EXPECT_EQ(B_OK, result.status);
	EXPECT_EQ(1, result.consumed);
	EXPECT_EQ("a", result.output);
}


TEST(Utf8Conversion, InvalidOrUnmappableInputBecomesOneSubstituteEach)
{
	// FF is no character; A4 41 is a lead byte without its trail (only the
	// lead is skipped, so the A survives); A9 A1 is well formed but
	// unassigned.
	Result result = ToUtf8(B_EUC_CONVERSION, "\xFF\xA4" "A\xA9\xA1z");
	EXPECT_EQ(6, result.consumed);
	EXPECT_EQ("\x1A\x1A" "A\x1Az", result.output);

	result = ToUtf8(B_EUC_CONVERSION, "\xFFx", 1024, NULL, '?');
	EXPECT_EQ("?x", result.output);

	// An emoji has no EUC-JP form; C0 80 (overlong) and a lone continuation
	// byte are invalid UTF-8.
	result = FromUtf8(B_EUC_CONVERSION,
		"\xF0\x9F\x98\x80" "a\xC0\x80" "b\x80" "c");
	EXPECT_EQ(10, result.consumed);
	EXPECT_EQ("\x1A" "a\x1A\x1A" "b\x1A" "c", result.output);
}


TEST(Utf8Conversion, FullDestinationStopsBeforeAWholeCharacter)
{
	Result result = ToUtf8(B_EUC_CONVERSION, kEucAiu, 7);
	EXPECT_EQ(B_OK, result.status);
	EXPECT_EQ(4, result.consumed);
	EXPECT_EQ(kUtf8Aiu.substr(0, 6), result.output);

	result = ToUtf8(B_EUC_CONVERSION, kEucAiu, 2);
	EXPECT_EQ(0, result.consumed);
	EXPECT_EQ("", result.output);

	// No room for the substitute either.
	result = ToUtf8(B_EUC_CONVERSION, "a\xFF", 1);
	EXPECT_EQ(1, result.consumed);
	EXPECT_EQ("a", result.output);
}


TEST(Utf8Conversion, BadArgumentsAndEmptySource)
{
	EXPECT_EQ(B_ERROR, ToUtf8(99, "a").status);
	EXPECT_EQ(B_ERROR, FromUtf8(24, "a").status);

	Result empty = ToUtf8(B_EUC_CONVERSION, "");
	EXPECT_EQ(B_OK, empty.status);
	EXPECT_EQ(0, empty.consumed);
	EXPECT_EQ("", empty.output);

	char buffer[4];
	int32 length = 4;
	int32 state = 0;
	EXPECT_EQ(B_BAD_VALUE, convert_to_utf8(B_EUC_CONVERSION, "a", NULL,
		buffer, &length, &state));
}


TEST(Utf8Conversion, PassesThroughASmallBufferMatchOneConversion)
{
	// The model: one conversion of the whole text. Passes through a 7-byte
	// buffer, handing the rest back each time as a caller does, must give
	// the same bytes, whatever mix of valid, invalid and cut characters.
	std::mt19937 random(5);
	const std::string pieces[] = {"a", "\xA4\xA2", "\xB4\xC1", "\x8E\xB1",
		"\xFF", "\xA4", "\xA9\xA1", "\x8F\xB0\xA1"};
	for (int round = 0; round < 200; round++) {
		std::string text;
		int count = random() % 40;
		for (int i = 0; i < count; i++)
			text += pieces[random() % 8];

		std::string whole = ToUtf8(B_EUC_CONVERSION, text, 4096).output;
		std::string passes;
		size_t done = 0;
		while (done < text.size()) {
			Result pass = ToUtf8(B_EUC_CONVERSION, text.substr(done), 7);
			if (pass.consumed == 0)
				break;
			passes += pass.output;
			done += pass.consumed;
		}
		EXPECT_EQ(whole, passes) << "round " << round;
	}
}


TEST(Utf8Conversion, LongValidTextMatchesTheCLibraryInAnyPassSize)
{
	// The model: the C library converting the whole text in one call. Long
	// texts go to it in pieces, cut anywhere, and come out the same.
	iconv_t reference = iconv_open("UTF-8", "EUC-JP");
	ASSERT_NE((iconv_t)-1, reference);
	std::mt19937 random(7);
	const std::string pieces[] = {"a", "\xA4\xA2", "\xB4\xC1", "\x8E\xB1",
		"\x8F\xB0\xA1"};
	for (int round = 0; round < 20; round++) {
		std::string text;
		int count = 500 + random() % 3000;
		for (int i = 0; i < count; i++)
			text += pieces[random() % 5];

		std::string expected(text.size() * 3, '\0');
		char* in = &text[0];
		size_t inLeft = text.size();
		char* out = &expected[0];
		size_t outLeft = expected.size();
		ASSERT_NE((size_t)-1, iconv(reference, &in, &inLeft, &out, &outLeft));
		expected.resize(expected.size() - outLeft);

		int32 room = (int32)(7 + random() % 600);
		std::string passes;
		size_t done = 0;
		while (done < text.size()) {
			Result pass = ToUtf8(B_EUC_CONVERSION, text.substr(done), room);
			ASSERT_GT(pass.consumed, 0);
			passes += pass.output;
			done += pass.consumed;
		}
		EXPECT_EQ(expected, passes) << "round " << round << ", room " << room;
	}
	iconv_close(reference);
}


TEST(Utf8Conversion, JisShiftStateCarriesOverBetweenCalls)
{
	int32 state = 0;
	Result first = ToUtf8(B_JIS_CONVERSION, "\x1B$B\x24\x22", 1024, &state);
	EXPECT_EQ(5, first.consumed);
	EXPECT_EQ("\xE3\x81\x82", first.output);
	EXPECT_NE(0, state);

	Result second = ToUtf8(B_JIS_CONVERSION, "\x24\x24\x1B(Bq", 1024, &state);
	EXPECT_EQ(6, second.consumed);
	EXPECT_EQ("\xE3\x81\x84q", second.output);
	EXPECT_EQ(0, state);

	// Output always returns to ASCII, so each call's bytes stand alone.
	state = 0;
	Result jis = FromUtf8(B_JIS_CONVERSION, "a\xE3\x81\x82" "b", 1024, &state);
	EXPECT_EQ("a\x1B$B\x24\x22\x1B(Bb", jis.output);
	EXPECT_EQ(0, state);
}


TEST(Utf8Conversion, OtherEncodingsUseTheirOwnBytes)
{
	EXPECT_EQ("\x82\xA0", FromUtf8(B_SJIS_CONVERSION, "\xE3\x81\x82").output);
	EXPECT_EQ("\xE9", FromUtf8(B_ISO1_CONVERSION, "\xC3\xA9").output);
	EXPECT_EQ(std::string("\x30\x42", 2),
		FromUtf8(B_UNICODE_CONVERSION, "\xE3\x81\x82").output);
	// In UCS-2 the substitute is a whole two-byte character.
	EXPECT_EQ(std::string("\x00\x1A", 2),
		FromUtf8(B_UNICODE_CONVERSION, "\xF0\x9F\x98\x80").output);
	EXPECT_EQ("\xC3\xA9", ToUtf8(B_ISO1_CONVERSION, "\xE9").output);
}
