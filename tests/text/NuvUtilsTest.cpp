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

const string kNul(1, '\0');

string
Quoted(const string& text)
{
	return "\"" + text + "\"";
}


string
Concat(const string& quotedBody)
{
	return "(concat " + Quoted(quotedBody) + ")";
}

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
		{ false, kA + kNul + kA, "\xA5\xA2" },
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


TEST(NuvCodecs, EncodeCStringWritesEachEscape)
{
	const string text = kNul + "\a\b\t\n\v\f\r\"\\\x01\x1B\x1F\x7F/a\xA4\xA2 ;";
	EXPECT_EQ(Quoted("\\0\\a\\b\\t\\n\\v\\f\\r\\\"\\\\\\001\\033\\037\\177"
		"\\057a\xA4\xA2 ;"), NuvUtils::EncodeCString(text, "/"));
	EXPECT_EQ(Quoted("/"), NuvUtils::EncodeCString("/", nullptr));

	// Fault: NUL written as "\0" before "1" made "\01", which reads back as
	// the byte 0x01.
	EXPECT_EQ(Quoted("\\0001\\0007"),
		NuvUtils::EncodeCString(kNul + "1" + kNul + "7"));
	EXPECT_EQ(Quoted("\\08\\0a\\0"),
		NuvUtils::EncodeCString(kNul + "8" + kNul + "a" + kNul));
}


TEST(NuvCodecs, DecodeCStringReadsEscapesAndCutShortOnes)
{
	const struct { string body, out; } cases[] = {
		{ "\\101", "A" }, { "\\1012", "A2" }, { "\\18", "\x01" "8" },
		{ "\\777", "\xFF" }, { "\\7", "\a" }, { "\\0a", kNul + "a" },
		{ "\\x41", "A" }, { "\\x4", "\x04" }, { "\\x", kNul },
		{ "\\xAB", kNul + "AB" }, { "\\x4g", "\x04g" },
		{ "\\q", "q" }, { "a\\", "a" }, { "\\n\\t", "\n\t" },
		{ "\\a\\b\\f\\r\\v\\\"\\\\", "\a\b\f\r\v\"\\" },
		{ "\xA4\xA2/\"", "\xA4\xA2/\"" }, { "", "" },
	};
	for (const auto& c : cases)
		EXPECT_EQ(c.out, NuvUtils::DecodeCString(Quoted(c.body))) << c.body;

	for (const string text : { "", "\"", "\"abc", "abc\"", "\\n", "a\"\\" })
		EXPECT_EQ(text, NuvUtils::DecodeCString(text)) << "not quoted";
}


TEST(NuvCodecs, ElispWritesOnlyAwkwardTextInTheLongForm)
{
	// Fault: a candidate beginning with "[" was written plain and read back
	// as an okurigana block opener; likewise "]" as a block end, and a text
	// shaped like the long form was decoded on reading.
	const struct { string text, written; } cases[] = {
		{ "[", Concat("\\133") },
		{ "[\xA4\xAF", Concat("\\133\xA4\xAF") },
		{ "[a/", Concat("\\133a\\057") },
		{ "]", Concat("\\135") },
		{ "(concat \"x\")", Concat("(concat \\\"x\\\")") },
		{ "(concat )", Concat("(concat )") },
		{ "", "" },
		{ "\xB4\xC1;x (concat y) ]] a[", "\xB4\xC1;x (concat y) ]] a[" },
		{ "a/b", Concat("a\\057b") },
		{ "a\nb", Concat("a\\nb") },
		{ "\"\\", Concat("\\\"\\\\") },
	};
	for (const auto& c : cases) {
		EXPECT_EQ(c.written, NuvUtils::EncodeElisp(c.text));
		EXPECT_EQ(c.text, NuvUtils::DecodeElisp(c.written));
	}

	// Only the whole of one quoted string between head and tail is decoded.
	EXPECT_EQ(Quoted("x") + " ", NuvUtils::DecodeElisp("(concat \"x\" )"));
	EXPECT_EQ("a\" \"b", NuvUtils::DecodeElisp("(concat \"a\" \"b\")"));
	EXPECT_EQ("", NuvUtils::DecodeElisp("(concat )"));
	for (const string text : { "(concat)", "(concat ", "(concat \"a\") ",
			"x(concat \"a\")", "(concat \"a\"" })
		EXPECT_EQ(text, NuvUtils::DecodeElisp(text));
}


TEST(NuvCodecs, ConvertToPrintableShowsControlBytes)
{
	const string text = kNul + "a\x01" "b\x7F" "c\x1B\x1F\xA4\xA2";
	EXPECT_EQ("^@a^Ab c^[^_\xA4\xA2", NuvUtils::ConvertToPrintable(text));
}
