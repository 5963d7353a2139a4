// Helpers shared by the automaton tests.
#ifndef AUTOMATON_TEST_SUPPORT_H
#define AUTOMATON_TEST_SUPPORT_H

#include <iconv.h>

#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "NuvAutomaton.h"


// The EUC-JP bytes of a UTF-8 literal, so that expectations stay readable;
// fails the test when the text cannot be converted.
inline std::string
Euc(std::string in)
{
	iconv_t cd = iconv_open("EUC-JP", "UTF-8");
	std::string out(in.size() * 2 + 4, '\0');
	char* inPointer = &in[0];
	char* outPointer = &out[0];
	size_t inLeft = in.size();
	size_t outLeft = out.size();
	if (cd == reinterpret_cast<iconv_t>(-1)
		|| iconv(cd, &inPointer, &inLeft, &outPointer, &outLeft)
			== static_cast<size_t>(-1))
		ADD_FAILURE() << "cannot convert " << in << " to EUC-JP";
	if (cd != reinterpret_cast<iconv_t>(-1))
		iconv_close(cd);
	out.resize(out.size() - outLeft);
	return out;
}


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
