#include "NuvUtils.h"

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "RandomText.h"

using std::string;

namespace {

// EUC-JP bytes of the characters used below.
const string kA = "\xA4\xA2";		// あ
const string kKa = "\xA4\xAB";		// か
const string kNa = "\xA4\xCA";		// な
const string kU = "\xA4\xA6";		// う
const string kVoiced = "\xA1\xAB";	// ゛
const string kKataU = "\xA5\xA6";	// ウ
const string kVu = "\xA5\xF4";		// ヴ
const string kKanji = "\xB4\xC1";	// 漢

}	// namespace


TEST(EucTokenizer, ReadsAsciiAndTwoByteCodesThenZero)
{
	string text = "a" + kA + "b";
	EucTokenizer reader(text);
	EXPECT_EQ(0x61, reader.GetChar());
	EXPECT_EQ(0xA4A2, reader.GetChar());
	EXPECT_EQ(0x62, reader.GetChar());
	EXPECT_EQ(0, reader.GetChar());
	EXPECT_EQ(0, reader.GetChar());
}


TEST(EucTokenizer, LoneLeadByteAtEndIsOneCharacter)
{
	string text = "a\xA4";
	EucTokenizer reader(text);
	EXPECT_EQ(0x61, reader.GetChar());
	EXPECT_EQ(0xA4, reader.GetChar());
	EXPECT_EQ(0, reader.GetChar());
}


TEST(EucTokenizer, HighByteTakesAnyFollowingByteAndNulEndsText)
{
	string text("\x80" "a" "\xA4" "\0" "b", 5);
	EucTokenizer reader(text);
	EXPECT_EQ(0x8061, reader.GetChar());
	EXPECT_EQ(0xA4, reader.GetChar());
	EXPECT_EQ(0, reader.GetChar());
}


TEST(EucCombinator, WritesCodesAbove255AsTwoBytesHighFirst)
{
	string out;
	EucCombinator writer(out);
	writer.PutChar(0xA4A2);
	writer.PutChar('a');
	writer.PutChar(0xA4);
	writer.PutChar(0x1234A4A2);	// only bits 0-15 count
	EXPECT_EQ("\xA4\xA2" "a" "\xA4" "\xA4\xA2", out);
}


TEST(NuvUtilsKana, HiraganaToKatakanaJoinsVoicedU)
{
	struct { string in, out; } cases[] = {
		// きゃっと -> キャット
		{ "\xA4\xAD\xA4\xE3\xA4\xC3\xA4\xC8",
			"\xA5\xAD\xA5\xE3\xA5\xC3\xA5\xC8" },
		{ kU + kVoiced + "\xA4\xA1", kVu + "\xA5\xA1" },	// う゛ぁ -> ヴァ
		{ kU + kVoiced + kU + kVoiced, kVu + kVu },
		{ kU + kU + kVoiced, kKataU + kVu },
		{ kU, kKataU },
		{ kVoiced + kKanji + "\xA1\xBC" + "abc", kVoiced + kKanji + "\xA1\xBC"
			+ "abc" },
		{ "\xA4\xF3\xA4\xF4", "\xA5\xF3\xA4\xF4" },	// ん is the last one
		{ "", "" },
	};
	for (const auto& c : cases)
		EXPECT_EQ(c.out, NuvUtils::ConvertEucHirakanaToKatakana(c.in)) << c.in;
}


TEST(NuvUtilsKana, KatakanaToHiraganaSplitsVuAndKeepsSmallKaKe)
{
	EXPECT_EQ(kU + kVoiced + "\xA4\xA1",
		NuvUtils::ConvertEucKatakanaToHirakana(kVu + "\xA5\xA1"));
	EXPECT_EQ("\xA5\xF5\xA5\xF6",
		NuvUtils::ConvertEucKatakanaToHirakana("\xA5\xF5\xA5\xF6"));
	EXPECT_EQ("\xA4\xAB\xA1\xBC",
		NuvUtils::ConvertEucKatakanaToHirakana("\xA5\xAB\xA1\xBC"));
}


TEST(NuvUtilsKana, EveryHiraganaRoundTripsThroughKatakana)
{
	for (int code = 0xA4A1; code <= 0xA4F3; code++) {
		string hiragana = NuvUtils::JoinEucString({ 'x', code, 'y' });
		string katakana = NuvUtils::ConvertEucHirakanaToKatakana(hiragana);
		EXPECT_EQ(NuvUtils::JoinEucString({ 'x', code + 0x100, 'y' }),
			katakana);
		EXPECT_EQ(hiragana, NuvUtils::ConvertEucKatakanaToHirakana(katakana));
	}
}


TEST(NuvUtilsKana, MalformedTextKeepsLoneByteAndStopsAtNul)
{
	EXPECT_EQ("\xA5\xA2\xA4", NuvUtils::ConvertEucHirakanaToKatakana(kA
		+ "\xA4"));
	EXPECT_EQ("\x80" "a", NuvUtils::ConvertEucKatakanaToHirakana("\x80" "a"));
	EXPECT_EQ("\xA5\xA2", NuvUtils::ConvertEucHirakanaToKatakana(kA
		+ string(1, '\0') + kA));
}


TEST(NuvUtilsCharacters, PopBackEucRemovesOneWholeCharacter)
{
	struct { string in, out; } cases[] = {
		{ kKa + kNa, kKa },
		{ kKa + "a", kKa },
		{ "a", "" },
		{ "", "" },
		{ "a\xA4", "a" },
		// A stray high byte pairs with what follows, as in SplitEucString.
		{ kKa + "\x80" "a", kKa },
	};
	for (auto& c : cases) {
		NuvUtils::PopBackEuc(c.in);
		EXPECT_EQ(c.out, c.in);
	}
}


TEST(NuvUtilsCharacters, PopBackEucNeverSplitsATwoByteCharacter)
{
	// Fault: judging by the last two bytes alone, あ followed by a lone lead
	// byte lost the lone byte and the second half of あ.
	string text = kA + "\xA4";
	NuvUtils::PopBackEuc(text);
	EXPECT_EQ(kA, text);

	// Model: popping removes exactly the last code of SplitEucString (or
	// only the dropped lone byte).
	std::mt19937 random(7);
	for (int i = 0; i < 2000; i++) {
		string original = RandomText(random, 12);
		string popped = original;
		NuvUtils::PopBackEuc(popped);
		std::vector<int32_t> before = NuvUtils::SplitEucString(original);
		std::vector<int32_t> after = NuvUtils::SplitEucString(popped);
		ASSERT_EQ(original.compare(0, popped.size(), popped), 0);
		if (original.empty())
			EXPECT_TRUE(popped.empty());
		else if (NuvUtils::JoinEucString(before) != original)
			EXPECT_EQ(before, after) << "only the lone byte goes";
		else {
			before.pop_back();
			EXPECT_EQ(before, after);
		}
	}
}


TEST(NuvUtilsCharacters, SplitAndJoinAreInverse)
{
	std::vector<int32_t> codes = NuvUtils::SplitEucString("a" + kKa + "b");
	EXPECT_EQ((std::vector<int32_t>{ 0x61, 0xA4AB, 0x62 }), codes);
	EXPECT_EQ("a" + kKa + "b", NuvUtils::JoinEucString(codes));

	EXPECT_EQ((std::vector<int32_t>{ 0x61 }), NuvUtils::SplitEucString(
		"a\xA4"));
	string nulSecond("\xA4\0", 2);
	EXPECT_EQ((std::vector<int32_t>{ 0xA400 }),
		NuvUtils::SplitEucString(nulSecond));
	EXPECT_EQ(nulSecond, NuvUtils::JoinEucString({ 0xA400 }));
}
