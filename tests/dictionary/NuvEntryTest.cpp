// Keys, entries and the line format.
#include <gtest/gtest.h>

#include <list>
#include <sstream>
#include <string>
#include <vector>

#include "NuvEntry.h"
#include "NuvKey.h"
#include "TestText.h"

namespace {

// EUC-JP text from the UTF-8 literals of this file.
constexpr auto Euc = &nuv_test::Utf8ToEuc;

typedef std::list<std::string> Words;


Words
EucWords(std::initializer_list<const char*> words)
{
	Words result;
	for (const char* word : words)
		result.push_back(Euc(word));
	return result;
}


std::string
Written(const NuvEntry& entry)
{
	std::ostringstream out;
	out << entry;
	return out.str();
}


NuvEntry
Parsed(const std::string& utf8Text)
{
	return NuvEntry(Euc(utf8Text).c_str());
}


nuv_candidate
Candidate(const char* reading, const char* okurigana, const char* okuri,
	const char* word)
{
	nuv_candidate c;
	c.reading = Euc(reading);
	c.okurigana = Euc(okurigana);
	c.okuri = okuri;
	c.candidate = Euc(word);
	return c;
}

}	// namespace


TEST(NuvKey, KeyTextSplitsIntoReadingAndOkuriAndSortsOkuriAriFirst)
{
	NuvKey okuriAri(Euc("かk").c_str());
	EXPECT_EQ("\xA4\xAB", okuriAri.reading);	// か is A4 AB
	EXPECT_EQ("k", okuriAri.okuri);

	NuvKey ascii("abc");
	EXPECT_EQ("abc", ascii.reading);
	EXPECT_EQ("", ascii.okuri);

	NuvKey mixed(Euc("あaい").c_str());
	EXPECT_EQ(Euc("あい"), mixed.reading);
	EXPECT_EQ("a", mixed.okuri);

	EXPECT_FALSE(NuvKey(""));
	std::ostringstream out;
	out << okuriAri;
	EXPECT_EQ("\xA4\xAB" "k", out.str());

	// The order puts okuri-ari keys first, then compares reading and okuri.
	const NuvKey& ka = okuriAri;
	NuvKey kt(Euc("かt").c_str());
	NuvKey a(Euc("あ").c_str());
	NuvKey ai(Euc("あい").c_str());
	EXPECT_TRUE(ka < a);
	EXPECT_FALSE(a < ka);
	EXPECT_TRUE(a < ai);
	EXPECT_TRUE(ka < kt);
	EXPECT_FALSE(a < a);
	// bytes compare unsigned: ASCII before EUC-JP
	EXPECT_TRUE(ascii < a);
	EXPECT_TRUE(NuvKey(Euc("あk").c_str()) < ka);
}


TEST(NuvEntry, ParsesMainListAndOkuriganaBlocks)
{
	NuvEntry plain = Parsed("書/描/");
	EXPECT_EQ(EucWords({"書", "描"}), plain.stems);
	EXPECT_TRUE(plain.okuri_blocks.empty());

	// text after the last slash (here a carriage return) is ignored
	EXPECT_EQ(EucWords({"書"}), Parsed("書/描").stems);
	EXPECT_EQ(EucWords({"書"}), Parsed("書/\r").stems);

	NuvEntry blocks = Parsed("書/[く/書/]/描/[け/描/]/[く/掻/]/書/");
	EXPECT_EQ(EucWords({"書", "描", "書"}), blocks.stems);	// duplicates stay
	ASSERT_EQ(2u, blocks.okuri_blocks.size());
	EXPECT_EQ(EucWords({"書", "掻"}), blocks.okuri_blocks[Euc("く")]);
	EXPECT_EQ(EucWords({"描"}), blocks.okuri_blocks[Euc("け")]);

	NuvEntry onlyBlock = Parsed("[く/書/]/");
	EXPECT_FALSE(onlyBlock);
	EXPECT_EQ(1u, onlyBlock.okuri_blocks.size());

	// a block exists only once it holds a word
	EXPECT_TRUE(Parsed("書/[く/]/").okuri_blocks.empty());
	// an empty field inside a block is an empty word
	EXPECT_EQ(Words({""}), Parsed("書/[く//]/").okuri_blocks[Euc("く")]);
	// a semicolon is part of the word
	EXPECT_EQ(EucWords({"書;注"}), Parsed("書;注/").stems);
}


TEST(NuvEntry, EmptyFieldOrUnclosedBlockEmptiesTheEntry)
{
	for (const char* text : {"書//描/", "書/[く/書/", "[く/書/]//",
			"/書/"}) {
		NuvEntry entry = Parsed(text);
		EXPECT_TRUE(entry.stems.empty()) << text;
		EXPECT_TRUE(entry.okuri_blocks.empty()) << text;
	}
	EXPECT_TRUE(NuvEntry("").stems.empty());
	EXPECT_TRUE(NuvEntry("no slash at all").stems.empty());
}


TEST(NuvEntry, WritesBlocksInOkuriganaByteOrder)
{
	NuvEntry entry;
	entry.stems = EucWords({"書", "描"});
	entry.okuri_blocks[Euc("け")] = EucWords({"描"});
	entry.okuri_blocks[Euc("く")] = EucWords({"書"});
	EXPECT_EQ(Euc("/書/描/[く/書/]/[け/描/]/"), Written(entry));
	EXPECT_EQ("/", Written(NuvEntry()));
}


TEST(NuvEntry, FillListsTheOkuriganaBlockFirst)
{
	NuvEntry entry = Parsed("描/書/[く/書/]/");
	nuv_candidate query = Candidate("か", "く", "k", "");
	std::vector<nuv_candidate> out;
	entry.Fill(query, out);
	ASSERT_EQ(2u, out.size());
	EXPECT_EQ(Euc("書"), out[0].candidate);
	EXPECT_EQ(Euc("描"), out[1].candidate);
	EXPECT_EQ(query.reading, out[1].reading);
	EXPECT_EQ(query.okurigana, out[1].okurigana);
	EXPECT_EQ("k", out[1].okuri);

	entry.Fill(Candidate("か", "け", "k", ""), out);
	EXPECT_EQ(4u, out.size());
	NuvEntry().Fill(query, out);
	EXPECT_EQ(4u, out.size());
}


TEST(NuvEntry, MergeAppendsOnlyMissingWordsInTheirOrder)
{
	NuvEntry into = Parsed("B/C/[く/x/]/");
	into.Merge(Parsed("A/B/A/[く/y/x/]/[け/z/]/"));
	EXPECT_EQ(Words({"B", "C", "A"}), into.stems);
	EXPECT_EQ(Words({"x", "y"}), into.okuri_blocks["\xA4\xAF"]);
	EXPECT_EQ(Words({"z"}), into.okuri_blocks[Euc("け")]);

	Words self = {"a", "b"};
	merge_stems(self, self);
	EXPECT_EQ(Words({"a", "b"}), self);

	// Lists too long for a linear search go another way and must keep the
	// same first occurrences.
	Words repeated, firsts;
	for (int i = 0; i < 60; i++)
		repeated.push_back(std::to_string(i % 40));
	for (int i = 0; i < 40; i++)
		firsts.push_back(std::to_string(i));
	NuvEntry entry;
	entry.stems = repeated;
	entry.RemoveDuplicates();
	EXPECT_EQ(firsts, entry.stems);
	Words merged = {"x"};
	merge_stems(merged, repeated);
	firsts.push_front("x");
	EXPECT_EQ(firsts, merged);
}
