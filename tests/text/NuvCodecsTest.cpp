#include "NuvUtils.h"

#include <random>
#include <string>

#include <gtest/gtest.h>

#include "RandomText.h"

using std::string;

namespace {

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


const string kNul(1, '\0');

}	// namespace


TEST(NuvCodecs, ConcatConstantsHaveTheirBytes)
{
	EXPECT_EQ("(concat ", sConcatHead);
	EXPECT_EQ(")", sConcatTail);
}


TEST(NuvCodecs, EncodeCStringWritesEachEscape)
{
	string text = kNul + "\a\b\t\n\v\f\r\"\\" "\x01\x1B\x1F\x7F" "/a"
		"\xA4\xA2 ;";
	EXPECT_EQ(Quoted("\\0\\a\\b\\t\\n\\v\\f\\r\\\"\\\\\\001\\033\\037\\177"
		"\\057a\xA4\xA2 ;"), NuvUtils::EncodeCString(text, "/"));
	EXPECT_EQ(Quoted("/"), NuvUtils::EncodeCString("/", nullptr));
	EXPECT_EQ(Quoted(""), NuvUtils::EncodeCString(""));
}


TEST(NuvCodecs, EncodeCStringSpellsOutNulBeforeAnOctalDigit)
{
	// Fault: NUL written as "\0" before "1" made "\01", which reads back as
	// the byte 0x01.
	EXPECT_EQ(Quoted("\\0001"), NuvUtils::EncodeCString(kNul + "1"));
	EXPECT_EQ(Quoted("\\0007"), NuvUtils::EncodeCString(kNul + "7"));
	EXPECT_EQ(Quoted("\\08\\0a\\0"),
		NuvUtils::EncodeCString(kNul + "8" + kNul + "a" + kNul));
	EXPECT_EQ(kNul + "1", NuvUtils::DecodeCString(
		NuvUtils::EncodeCString(kNul + "1")));
	// files written with the short form keep loading
	EXPECT_EQ(kNul + "a", NuvUtils::DecodeCString(Quoted("\\0a")));
}


TEST(NuvCodecs, DecodeCStringReadsEscapes)
{
	struct { string body, out; } cases[] = {
		{ "\\101", "A" },
		{ "\\1012", "A2" },
		{ "\\18", "\x01" "8" },
		{ "\\777", "\xFF" },
		{ "\\x41", "A" },
		{ "\\x4", "\x04" },
		{ "\\x", kNul },
		{ "\\xAB", kNul + "AB" },
		{ "\\x4g", "\x04g" },
		{ "\\q", "q" },
		{ "a\\", "a" },
		{ "\\n\\t", "\n\t" },
		{ "\\a\\b\\f\\r\\v\\\"\\\\", "\a\b\f\r\v\"\\" },
		{ "\\7", "\x07" },
		{ "\xA4\xA2/\"", "\xA4\xA2/\"" },
	};
	for (const auto& c : cases)
		EXPECT_EQ(c.out, NuvUtils::DecodeCString(Quoted(c.body))) << c.body;
}


TEST(NuvCodecs, DecodeCStringLeavesUnquotedTextAlone)
{
	for (const string& text : { string(""), string("\""), string("\"abc"),
			string("abc\""), string("\\n"), string("a\"\\") })
		EXPECT_EQ(text, NuvUtils::DecodeCString(text));
	EXPECT_EQ("", NuvUtils::DecodeCString("\"\""));
}


TEST(NuvCodecs, EncodeElispKeepsPlainTextAndWrapsAwkwardText)
{
	EXPECT_EQ("", NuvUtils::EncodeElisp(""));
	string plain = "\xB4\xC1\xBB\xFA;comment (concat x) ]] a[";
	EXPECT_EQ(plain, NuvUtils::EncodeElisp(plain));
	EXPECT_EQ(Concat("a\\057b"), NuvUtils::EncodeElisp("a/b"));
	EXPECT_EQ(Concat("a\\nb"), NuvUtils::EncodeElisp("a\nb"));
	EXPECT_EQ(Concat("\\\"\\\\"), NuvUtils::EncodeElisp("\"\\"));
}


TEST(NuvCodecs, EncodeElispWrapsWhatADictionaryReaderWouldMisread)
{
	// Fault: a candidate beginning with "[" was written plain and read back
	// as an okurigana block opener; likewise "]" as a block end, and a text
	// shaped like the long form was decoded on reading.
	EXPECT_EQ(Concat("\\133"), NuvUtils::EncodeElisp("["));
	EXPECT_EQ(Concat("\\133\xA4\xAF"), NuvUtils::EncodeElisp("[\xA4\xAF"));
	EXPECT_EQ(Concat("\\133a\\057"), NuvUtils::EncodeElisp("[a/"));
	EXPECT_EQ(Concat("\\135"), NuvUtils::EncodeElisp("]"));
	EXPECT_EQ(Concat("(concat \\\"x\\\")"),
		NuvUtils::EncodeElisp("(concat \"x\")"));
	EXPECT_EQ(Concat("(concat )"), NuvUtils::EncodeElisp("(concat )"));
	for (const string& text : { string("["), string("]"),
			string("(concat \"x\")"), string("(concat )") })
		EXPECT_EQ(text, NuvUtils::DecodeElisp(NuvUtils::EncodeElisp(text)));
}


TEST(NuvCodecs, DecodeElispUnderstandsOnlyTheWholeLongForm)
{
	EXPECT_EQ("a/b", NuvUtils::DecodeElisp(Concat("a\\057b")));
	EXPECT_EQ(Quoted("x") + " ", NuvUtils::DecodeElisp("(concat \"x\" )"));
	EXPECT_EQ("a\" \"b", NuvUtils::DecodeElisp("(concat \"a\" \"b\")"));
	EXPECT_EQ("", NuvUtils::DecodeElisp("(concat )"));
	for (const string& text : { string("(concat)"), string("(concat "),
			string("(concat \"a\") "), string("x(concat \"a\")"),
			string("(concat \"a\""), string("\xA4\xA2") })
		EXPECT_EQ(text, NuvUtils::DecodeElisp(text));
}


TEST(NuvCodecs, ElispRoundTripsEveryTextAndStaysFieldSafe)
{
	std::mt19937 random(11);
	for (int i = 0; i < 20000; i++) {
		string text = RandomText(random, 10);
		string encoded = NuvUtils::EncodeElisp(text);
		ASSERT_EQ(text, NuvUtils::DecodeElisp(encoded));
		ASSERT_EQ(text, NuvUtils::DecodeCString(
			NuvUtils::EncodeCString(text, "/")));

		// A written candidate must be one field of one line.
		for (char c : encoded) {
			unsigned char byte = c;
			ASSERT_TRUE(byte >= 0x20 && byte != 0x7F && byte != '/')
				<< "byte " << int(byte) << " in " << encoded;
		}
		ASSERT_TRUE(encoded.empty() || (encoded[0] != '[' && encoded != "]"));
	}
}


TEST(NuvCodecs, ConvertToPrintableShowsControlBytes)
{
	string text = kNul + "a\x01" "b\x7F" "c\x1B\x1F\xA4\xA2";
	EXPECT_EQ("^@a^Ab c^[^_\xA4\xA2", NuvUtils::ConvertToPrintable(text));
}
