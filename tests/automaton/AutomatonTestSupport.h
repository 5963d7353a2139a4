// Helpers shared by the automaton tests.
#ifndef AUTOMATON_TEST_SUPPORT_H
#define AUTOMATON_TEST_SUPPORT_H

#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "NuvAutomaton.h"
#include "TestText.h"


// The EUC-JP bytes of a UTF-8 literal, so that expectations stay readable.
constexpr auto Euc = &nuv_test::Utf8ToEuc;


// Reads the table file `path` into `automaton`; fails the test when the file
// is missing, since a missing file would read as an empty table.
inline void
ReadTable(NuvAutomaton& automaton, const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	ASSERT_TRUE(in.is_open()) << path;
	automaton.Read(in);
}


// Feeds every byte of `keys`; each must be taken. Returns what was confirmed.
inline std::string
Type(NuvAutomaton& automaton, const std::string& keys)
{
	for (char key : keys) {
		EXPECT_EQ(INPUT_CONSUMED,
			automaton.Input(nuv_input(static_cast<unsigned char>(key))))
			<< "key '" << key << "' of " << keys;
	}
	return automaton.Confirmed();
}


#endif	// AUTOMATON_TEST_SUPPORT_H
