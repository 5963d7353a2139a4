// Keys, entries and the line format.
#include <gtest/gtest.h>

#include <list>
#include <sstream>
#include <string>

#include "NuvEntry.h"
#include "NuvKey.h"
#include "TestText.h"

namespace {

// EUC-JP text from the UTF-8 literals of this file.
constexpr auto Euc = &nuv_test::Utf8ToEuc;

typedef std::list<std::string> Words;


std::string
Written(const NuvEntry& entry)
{
	std::ostringstream out;
	out << entry;
	return out.str();
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


TEST(NuvEntry, WritesBlocksInOkuriganaByteOrder)
{
	NuvEntry entry;
	entry.stems = {Euc("書"), Euc("描")};
	entry.okuri_blocks[Euc("け")] = {Euc("描")};
	entry.okuri_blocks[Euc("く")] = {Euc("書")};
	EXPECT_EQ(Euc("/書/描/[く/書/]/[け/描/]/"), Written(entry));
	EXPECT_EQ("/", Written(NuvEntry()));
}


TEST(NuvEntry, ListsTooLongForALinearSearchKeepTheFirstOccurrences)
{
	// They go another way than short lists, and must keep the same first
	// occurrences in the same order.
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
