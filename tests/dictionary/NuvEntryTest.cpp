// Keys, entries and the line format.
#include <gtest/gtest.h>

#include <iterator>
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


TEST(NuvKey, KeysSortOkuriAriFirstThenByReadingAndOkuriUnsigned)
{
	// Bytes compared unsigned: ASCII before EUC-JP. Splitting and writing
	// key texts show in the user dictionary's file.
	const char* const kOrder[] = {"あk", "かk", "かt", "abc", "あ", "あい"};
	for (size_t i = 0; i < std::size(kOrder); i++) {
		const NuvKey key(Euc(kOrder[i]).c_str());
		EXPECT_FALSE(key < key) << kOrder[i];
		for (size_t j = i + 1; j < std::size(kOrder); j++) {
			const NuvKey later(Euc(kOrder[j]).c_str());
			EXPECT_TRUE(key < later) << kOrder[i] << " " << kOrder[j];
			EXPECT_FALSE(later < key) << kOrder[i] << " " << kOrder[j];
		}
	}
}


TEST(NuvEntry, WritesBlocksInOkuriganaByteOrderAndKeepsFirstOccurrences)
{
	NuvEntry entry;
	entry.stems = {Euc("書"), Euc("描")};
	entry.okuri_blocks[Euc("け")] = {Euc("描")};
	entry.okuri_blocks[Euc("く")] = {Euc("書")};
	EXPECT_EQ(Euc("/書/描/[く/書/]/[け/描/]/"), Written(entry));
	EXPECT_EQ("/", Written(NuvEntry()));

	// Lists too long for a linear search take another way, to the same end.
	Words repeated, firsts;
	for (int i = 0; i < 60; i++)
		repeated.push_back(std::to_string(i % 40));
	for (int i = 0; i < 40; i++)
		firsts.push_back(std::to_string(i));
	entry.stems = repeated;
	entry.RemoveDuplicates();
	EXPECT_EQ(firsts, entry.stems);
	Words merged = {"x"};
	merge_stems(merged, repeated);
	firsts.push_front("x");
	EXPECT_EQ(firsts, merged);
}
