#include "BeNuvUtils.h"

#include <string>

#include <gtest/gtest.h>

using std::string;


TEST(BeNuvUtils, ConvertsBothWaysAcrossPassBoundariesAndPastBadBytes)
{
	auto Repeat = [](const string& piece, int count) {
		string text;
		for (int i = 0; i < count; i++)
			text += piece;
		return text;
	};

	// a, あ (A4 A2), 漢 (B4 C1), ー (A1 BC)
	const string euc = "a\xA4\xA2\xB4\xC1\xA1\xBC";
	const string utf8 = "a\xE3\x81\x82\xE6\xBC\xA2\xE3\x83\xBC";
	EXPECT_EQ(utf8, BeNuvUtils::ConvertEucToUtf8(euc));
	EXPECT_EQ(euc, BeNuvUtils::ConvertUtf8ToEuc(utf8));
	EXPECT_EQ("", BeNuvUtils::ConvertEucToUtf8(""));
	EXPECT_EQ("", BeNuvUtils::ConvertUtf8ToEuc(""));

	// 256 is not a multiple of 3, nor is 255 of 2: in both directions a pass
	// fills its buffer up to a character that no longer fits.
	const string longEuc = "a" + Repeat("\xA4\xA2", 300) + "z";
	const string longUtf8 = "a" + Repeat("\xE3\x81\x82", 300) + "z";
	EXPECT_EQ(longUtf8, BeNuvUtils::ConvertEucToUtf8(longEuc));
	EXPECT_EQ(longEuc, BeNuvUtils::ConvertUtf8ToEuc(longUtf8));

	// Each bad character becomes one substitute. Fault: a pass that consumed
	// nothing was repeated without end.
	EXPECT_EQ("\xE3\x81\x82\x1A", BeNuvUtils::ConvertEucToUtf8("\xA4\xA2\xA4"));
	EXPECT_EQ("\xA4\xA2\x1A", BeNuvUtils::ConvertUtf8ToEuc(
		"\xE3\x81\x82\xE3\x81"));
	EXPECT_EQ("\x1A", BeNuvUtils::ConvertEucToUtf8("\xA4"));

	// An unconvertible character inside the text keeps the rest: U+1F600
	// has no EUC-JP form.
	EXPECT_EQ("a\x1A" "b", BeNuvUtils::ConvertUtf8ToEuc(
		"a\xF0\x9F\x98\x80" "b"));
	string text = "a\xFF" + Repeat("\xA4\xA2", 200);
	EXPECT_EQ("a\x1A" + Repeat("\xE3\x81\x82", 200),
		BeNuvUtils::ConvertEucToUtf8(text));
}
