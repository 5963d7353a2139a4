#include <gtest/gtest.h>

#include "Utf8.h"


TEST(Utf8, DecodesShortestFormsAndRefusesTheRest)
{
	uint32_t code = 0;
	EXPECT_EQ(Utf8::Decode("a", 0, code), 1u);
	EXPECT_EQ(code, 0x61u);
	EXPECT_EQ(Utf8::Decode("x\xE3\x81\x82", 1, code), 3u);	// あ
	EXPECT_EQ(code, 0x3042u);
	EXPECT_EQ(Utf8::Decode("\xF4\x8F\xBF\xBF", 0, code), 4u);
	EXPECT_EQ(code, 0x10FFFFu);
	// Overlong, surrogate, above U+10FFFF, a stray continuation byte, a
	// lead byte without its continuation: none is a character, and the
	// code is left as it was.
	for (const char* bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80",
			"\xF4\x90\x80\x80", "\x80", "\xE3\x81", "\xE3\x41\x82"}) {
		code = 7;
		EXPECT_EQ(Utf8::Decode(bad, 0, code), 0u) << bad;
		EXPECT_EQ(code, 7u);
	}
	// Only a well-formed beginning waits for more bytes.
	for (const char* text : {"\xE3\x81", "\xF0\x9F"})
		EXPECT_TRUE(Utf8::IsTruncated(text, 0));
	for (const char* text : {"\xE0\x80", "\xE3\x81\x82", "\xFF"})
		EXPECT_FALSE(Utf8::IsTruncated(text, 0)) << text;
}


TEST(Utf8, OffsetsCountCharactersNotBytes)
{
	const std::string text = "▼漢字a";
	// Byte offsets outside the text are clamped.
	const int kBytes[] = {0, 3, 9, 10, 99, -5};
	const int kCharacters[] = {0, 1, 3, 4, 4, 0};
	for (int i = 0; i < 6; i++)
		EXPECT_EQ(Utf8::CharacterOffset(text, kBytes[i]), kCharacters[i])
			<< kBytes[i];
}
