#include "NuvAutomaton.h"

#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "AutomatonTestSupport.h"


namespace {


const std::string kDataDir = NUV_TEST_DATA_DIR "/automaton/";


int32_t
Key(NuvAutomaton& automaton, int32_t character)
{
	return automaton.Input(nuv_input(character));
}


class AutomatonTest : public testing::Test {
protected:
	void SetUp() override
	{
		ReadTable(fAutomaton, kDataDir + "basic.table");
	}

	NuvAutomaton fAutomaton;
};


}	// namespace


TEST_F(AutomatonTest, KeysConfirmKanaCarryLettersOverAndLeaveTheRestPending)
{
	// Typed one after another into the same automaton.
	const struct {
		const char*	keys;
		const char*	confirmed;
		const char*	pending;
	} kSteps[] = {
		{ "k", "", "k" },
		{ "a", "か", "" },
		{ "kya", "きゃ", "" },
		// carried-over letters are typed again
		{ "kk", "っ", "k" },
		{ "a", "か", "" },
		{ "kkki", "っっき", "" },
		// y is aいb: い, then a and b typed again, which make ば
		{ "y", "いば", "" },
		// n before a key that continues nothing under n: ん, and the key
		// starts afresh from the root
		{ "n", "", "n" },
		{ "k", "ん", "k" },
		{ "ka", "っか", "" },
		{ "nkka", "んっか", "" },
		// pending letters without output are dropped silently
		{ "kn", "", "n" },
		{ "a", "な", "" },
	};
	for (const auto& step : kSteps) {
		EXPECT_EQ(Euc(step.confirmed), Type(fAutomaton, step.keys))
			<< step.keys;
		EXPECT_EQ(step.pending, fAutomaton.Pending()) << step.keys;
		EXPECT_EQ(step.pending[0] == '\0', fAutomaton.IsEmpty());
	}

	Type(fAutomaton, "n");
	fAutomaton.ForceConfirm();
	EXPECT_EQ(Euc("ん"), fAutomaton.Confirmed());
	Type(fAutomaton, "ky");
	fAutomaton.ForceConfirm();
	EXPECT_EQ("", fAutomaton.Confirmed());
	EXPECT_TRUE(fAutomaton.IsEmpty());
}


TEST_F(AutomatonTest, ClearDropsPendingLettersButNotConfirmedText)
{
	for (char key : {'k', 'a', 'n'})
		EXPECT_EQ(INPUT_CONSUMED, Key(fAutomaton, key));
	fAutomaton.Clear();
	EXPECT_TRUE(fAutomaton.IsEmpty());
	EXPECT_EQ(Euc("か"), fAutomaton.Confirmed());
}


TEST_F(AutomatonTest, MissingFileAddsNothingAndInitEmpties)
{
	std::ifstream missing(kDataDir + "no-such.table");
	fAutomaton.Read(missing);
	EXPECT_EQ(Euc("か"), Type(fAutomaton, "ka"));

	// An automaton with no table takes no key and has nothing to undo.
	NuvAutomaton empty;
	std::ifstream alsoMissing(kDataDir + "no-such.table");
	empty.Read(alsoMissing);
	for (int32_t c : {0x00, 0x07, 0x20, 0x61, 0xA4, 0x8281E3})
		EXPECT_EQ(INPUT_IGNORED, Key(empty, c)) << c;
	EXPECT_TRUE(empty.IsEmpty());
	EXPECT_EQ(INPUT_IGNORED, empty.Undo());
	EXPECT_EQ(INPUT_IGNORED, empty.Cancel());

	Type(fAutomaton, "k");
	fAutomaton.Init();
	EXPECT_TRUE(fAutomaton.IsEmpty());
	EXPECT_EQ(INPUT_IGNORED, Key(fAutomaton, 'k'));
}


TEST(NuvAutomaton, MalformedTableGivesDefinedEntries)
{
	NuvAutomaton automaton;
	ReadTable(automaton, kDataDir + "malformed.table");

	// a quote at one end only: the token is taken byte for byte
	EXPECT_EQ(Euc("か"), Type(automaton, "\"ka"));
	EXPECT_EQ(Euc("き"), Type(automaton, "ki\""));
	// the empty key defines nothing: no output out of nothing
	automaton.ForceConfirm();
	EXPECT_EQ("", automaton.Confirmed());
	// a quoted key; its value lacks the closing quote and stays as written
	EXPECT_EQ("\"\\101\\", Type(automaton, "A"));
	// bytes that are no EUC-JP are kept as they are
	EXPECT_EQ(INPUT_CONSUMED, Key(automaton, 0xA4));
	EXPECT_EQ("\xFF\x80", automaton.Confirmed());
	// tab, vertical tab and form feed separate tokens like blanks
	EXPECT_EQ(Euc("み"), Type(automaton, "mi"));
	// a key without a value at the end is ignored
	EXPECT_EQ(INPUT_IGNORED, Key(automaton, 'd'));
}


TEST(NuvAutomaton, OverlongTokensAndKeysSkipTheirPairOnly)
{
	const std::string hugeToken(1 << 20, 'h');
	const std::string longestKey(NuvAutomaton::kMaxKeyLength, 'w');
	const std::string tooLongKey(NuvAutomaton::kMaxKeyLength + 1, 'v');
	std::istringstream in(
		hugeToken + " " + Euc("ひ") + "\n"
		"ka " + hugeToken + "\n"
		+ tooLongKey + " " + Euc("ぶ") + "\n"
		+ longestKey + " " + Euc("わ") + "\n"
		"ki " + Euc("き"));
	NuvAutomaton automaton;
	automaton.Read(in);

	EXPECT_EQ(INPUT_IGNORED, Key(automaton, 'h'));
	EXPECT_EQ(INPUT_IGNORED, Key(automaton, 'v'));
	EXPECT_EQ(Euc("き"), Type(automaton, "ki"));
	Type(automaton, "k");
	EXPECT_EQ(INPUT_IGNORED, Key(automaton, 'a'));
	automaton.Clear();
	EXPECT_EQ(Euc("わ"), Type(automaton, longestKey));
}


TEST(NuvAutomaton, EucBytesNeverSplitATokenWhateverTheLocale)
{
	// A1 A1 is the ideographic space; A0 and 85 are white space in some
	// single-byte locales.
	std::istringstream in("x \xA1\xA1 y a\xA0\x85z az 1");
	NuvAutomaton automaton;
	automaton.Read(in);
	EXPECT_EQ("\xA1\xA1", Type(automaton, "x"));
	// y gives A0 85 and carries a and z over, which give 1
	EXPECT_EQ("\xA0\x85" "1", Type(automaton, "y"));
}
