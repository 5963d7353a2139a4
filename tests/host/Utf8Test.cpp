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
	EXPECT_TRUE(Utf8::IsTruncated("\xE3\x81", 0));
	EXPECT_TRUE(Utf8::IsTruncated("\xF0\x9F", 0));
	EXPECT_FALSE(Utf8::IsTruncated("\xE0\x80", 0));
	EXPECT_FALSE(Utf8::IsTruncated("\xE3\x81\x82", 0));
	EXPECT_FALSE(Utf8::IsTruncated("\xFF", 0));
}


TEST(Utf8, OffsetsCountCharactersNotBytes)
{
	const std::string text = "▼漢字a";
	EXPECT_EQ(Utf8::CharacterOffset(text, 0), 0);
	EXPECT_EQ(Utf8::CharacterOffset(text, 3), 1);
	EXPECT_EQ(Utf8::CharacterOffset(text, 9), 3);
	EXPECT_EQ(Utf8::CharacterOffset(text, 10), 4);
	// Outside the text: clamped.
	EXPECT_EQ(Utf8::CharacterOffset(text, 99), 4);
	EXPECT_EQ(Utf8::CharacterOffset(text, -5), 0);
}
