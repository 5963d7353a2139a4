#include "NuvUtils.h"

#include <random>
#include <regex>
#include <string>

#include <gtest/gtest.h>

using std::string;

namespace {

// EUC-JP bytes of the characters used below.
const string kA = "\xA4\xA2";		// あ
const string kKa = "\xA4\xAB";		// か
const string kU = "\xA4\xA6";		// う
const string kVoiced = "\xA1\xAB";	// ゛
const string kKataU = "\xA5\xA6";	// ウ
const string kVu = "\xA5\xF4";		// ヴ


}	// namespace


TEST(NuvUtilsKana, HiraganaToKatakanaJoinsVoicedU)
{
	// Towards katakana unless `back`.
	const struct { bool back; string in, out; } cases[] = {
		// きゃっと -> キャット
		{ false, "\xA4\xAD\xA4\xE3\xA4\xC3\xA4\xC8",
			"\xA5\xAD\xA5\xE3\xA5\xC3\xA5\xC8" },
		{ false, kU + kVoiced + "\xA4\xA1", kVu + "\xA5\xA1" },	// う゛ぁ -> ヴァ
		{ false, kU + kVoiced + kU + kVoiced, kVu + kVu },
		{ false, kU + kU + kVoiced, kKataU + kVu },
		// ゛ alone, kanji, ー, ASCII and a trailing lone byte pass unchanged
		{ false, kVoiced + "\xB4\xC1\xA1\xBC" "abc\xA4",
			kVoiced + "\xB4\xC1\xA1\xBC" "abc\xA4" },
		{ false, kA + string(1, '\0') + kA, "\xA5\xA2" },
		{ false, "", "" },
		// ヴァ -> う゛ぁ; ヵヶ stay; カー -> かー
		{ true, kVu + "\xA5\xA1", kU + kVoiced + "\xA4\xA1" },
		{ true, "\xA5\xF5\xA5\xF6", "\xA5\xF5\xA5\xF6" },
		{ true, "\xA5\xAB\xA1\xBC", "\xA4\xAB\xA1\xBC" },
	};
	for (const auto& c : cases) {
		EXPECT_EQ(c.out, c.back ? NuvUtils::ConvertEucKatakanaToHirakana(c.in)
			: NuvUtils::ConvertEucHirakanaToKatakana(c.in)) << c.in;
	}
}


TEST(NuvUtilsCharacters, PopBackEucNeverSplitsATwoByteCharacter)
{
	// Fault: judged by its last two bytes alone, あ followed by a lone lead
	// byte lost the lone byte and the second half of あ.
	const struct { string in, out; } cases[] = {
		{ kA + "\xA4", kA }, { kKa + kA, kKa }, { kKa + "a", kKa },
		{ "a", "" }, { "", "" }, { kKa + "\x80" "a", kKa },
	};
	for (auto c : cases) {
		NuvUtils::PopBackEuc(c.in);
		EXPECT_EQ(c.out, c.in);
	}
}


// Settings files saved as UTF-8 by an editor must be told apart from EUC-JP,
// and byte soup from both.
TEST(NuvUtilsEncodings, TellsEucFromUtf8AndFromNeither)
{
	const std::string ascii = "kanji /abc/\n";
	const std::string euc = "\xA4\xAB\xA4\xF3 /\xB4\xC1/ \x8E\xB6 \x8F\xB0\xA1";
	const std::string utf8 = "\xE3\x81\x8B\xE3\x82\x93 /\xE6\xBC\xA2/ \xF0\x9F\x98\x80";
	EXPECT_TRUE(NuvUtils::IsValidEuc(ascii));
	EXPECT_TRUE(NuvUtils::IsValidUtf8(ascii));
	EXPECT_TRUE(NuvUtils::IsValidEuc(euc));
	EXPECT_FALSE(NuvUtils::IsValidUtf8(euc));
	EXPECT_TRUE(NuvUtils::IsValidUtf8(utf8));
	EXPECT_FALSE(NuvUtils::IsValidEuc(utf8));

	// Cut characters, stray bytes, overlong forms and surrogates.
	for (const char* bad : {"\xA4", "\x8E\xE0", "\x8F\xB0", "\x80\xA1"})
		EXPECT_FALSE(NuvUtils::IsValidEuc(bad)) << bad;
	for (const char* bad : {"\xE3\x81", "\xC0\xAF", "\xE0\x80\xAF",
			"\xED\xA0\x80", "\xF4\x90\x80\x80", "\xFF"})
		EXPECT_FALSE(NuvUtils::IsValidUtf8(bad)) << bad;
}


// The check of whole files skips ASCII and counts runs of high bytes 64 at a
// time; checked here beside the grammar of the characters, over text made
// mostly of well-formed characters so that both answers occur, with runs
// across the 64-byte blocks and the rarer forms (half-width katakana,
// three-byte characters) between them.
TEST(NuvUtilsEncodings, WholeFileCheckAgreesWithTheCharacterGrammar)
{
	// ASCII, two bytes A1-FE, 8E and A1-DF, 8F and two bytes A1-FE.
	const std::regex characters("([\\x00-\\x7F]|[\\xA1-\\xFE]{2}"
		"|\\x8E[\\xA1-\\xDF]|\\x8F[\\xA1-\\xFE]{2})*");
	static const char* const kPieces[] = {"a", "  /", "\xA4\xA2",
		"\xB4\xC1\xBB\xFA", "\xFE\xA1", "\x8E\xB1", "\x8F\xB0\xA1"};
	static const char* const kFaults[] = {"\xA4", "\x8E\xE0", "\xA0", "\xFF",
		"\x80", "\x8F\xA1"};
	std::mt19937 random(2024);
	int valid = 0;
	for (int round = 0; round < 4000; round++) {
		std::string text;
		const size_t length = random() % 300;
		while (text.size() < length) {
			text += random() % 400 == 0 ? kFaults[random() % 6]
				: kPieces[random() % 7];
		}
		if (random() % 3 == 0 && !text.empty())
			text.erase(random() % text.size(), 1);
		const bool expected = std::regex_match(text, characters);
		ASSERT_EQ(expected, NuvUtils::IsValidEuc(text)) << round;
		valid += expected;
	}
	EXPECT_GT(valid, 500);
	EXPECT_LT(valid, 3500);
}
