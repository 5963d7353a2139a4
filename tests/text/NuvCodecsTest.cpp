#include "NuvUtils.h"

#include <string>

#include <gtest/gtest.h>

using std::string;

namespace {

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
