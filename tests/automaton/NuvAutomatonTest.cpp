// The automaton on small tables of its own, then the default tables in
// settings/ read the way the shared resources fill them.
#include "NuvAutomaton.h"

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "TestText.h"


namespace {

const std::string kDataDir = NUV_TEST_DATA_DIR "/automaton/";
const std::string kSettingsDir = NUV_SETTINGS_SOURCE_DIR "/";


// The EUC-JP bytes of a UTF-8 literal, so that expectations stay readable.
constexpr auto Euc = &nuv_test::Utf8ToEuc;


// Reads the table file `path` into `automaton`; fails the test when the file
// is missing, since a missing file would read as an empty table.
void
ReadTable(NuvAutomaton& automaton, const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	ASSERT_TRUE(in.is_open()) << path;
	automaton.Read(in);
}


// Feeds every byte of `keys`; each must be taken. Returns what was confirmed.
std::string
Type(NuvAutomaton& automaton, const std::string& keys)
{
	for (char key : keys) {
		EXPECT_EQ(INPUT_CONSUMED,
			automaton.Input(nuv_input(static_cast<unsigned char>(key))))
			<< "key '" << key << "' of " << keys;
	}
	return automaton.Confirmed();
}


class DefaultTablesTest : public testing::Test {
protected:
	void SetUp() override
	{
		ReadTable(fKana, kSettingsDir + "roman_kana.table");
		ReadTable(fZenei, kSettingsDir + "roman_zennei.table");
		for (NuvAutomaton* automaton : {&fKana, &fZenei, &fControl})
			ReadTable(*automaton, kSettingsDir + "control_key.table");
	}

	NuvAutomaton fKana;
	NuvAutomaton fZenei;
	NuvAutomaton fControl;
};

}	// namespace


TEST(NuvAutomaton, KeysConfirmKanaCarryLettersOverAndLeaveTheRestPending)
{
	NuvAutomaton automaton;
	ReadTable(automaton, kDataDir + "basic.table");
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
		EXPECT_EQ(Euc(step.confirmed), Type(automaton, step.keys))
			<< step.keys;
		EXPECT_EQ(step.pending, automaton.Pending()) << step.keys;
		EXPECT_EQ(step.pending[0] == '\0', automaton.IsEmpty());
	}

	Type(automaton, "n");
	automaton.ForceConfirm();
	EXPECT_EQ(Euc("ん"), automaton.Confirmed());
	Type(automaton, "ky");
	automaton.ForceConfirm();
	EXPECT_EQ("", automaton.Confirmed());
	EXPECT_TRUE(automaton.IsEmpty());
}


TEST(NuvAutomaton, MissingFileAddsNothingClearAndInitEmpty)
{
	NuvAutomaton automaton;
	ReadTable(automaton, kDataDir + "basic.table");
	std::ifstream missing(kDataDir + "no-such.table");
	automaton.Read(missing);
	EXPECT_EQ(Euc("か"), Type(automaton, "ka"));

	// An automaton with no table takes no key and has nothing to undo.
	NuvAutomaton empty;
	for (int32_t c : {0x00, 0x07, 0x20, 0x61, 0xA4, 0x8281E3})
		EXPECT_EQ(INPUT_IGNORED, empty.Input(nuv_input(c))) << c;
	EXPECT_TRUE(empty.IsEmpty());
	EXPECT_EQ(INPUT_IGNORED, empty.Undo());
	EXPECT_EQ(INPUT_IGNORED, empty.Cancel());

	// Clear drops pending letters but not confirmed text; Init empties.
	for (char key : {'k', 'a', 'n'})
		EXPECT_EQ(INPUT_CONSUMED, automaton.Input(nuv_input(key)));
	automaton.Clear();
	EXPECT_TRUE(automaton.IsEmpty());
	EXPECT_EQ(Euc("か"), automaton.Confirmed());
	Type(automaton, "k");
	automaton.Init();
	EXPECT_TRUE(automaton.IsEmpty());
	EXPECT_EQ(INPUT_IGNORED, automaton.Input(nuv_input('k')));
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
	EXPECT_EQ(INPUT_CONSUMED, automaton.Input(nuv_input(0xA4)));
	EXPECT_EQ("\xFF\x80", automaton.Confirmed());
	// tab, vertical tab and form feed separate tokens like blanks
	EXPECT_EQ(Euc("み"), Type(automaton, "mi"));
	// a key without a value at the end is ignored
	EXPECT_EQ(INPUT_IGNORED, automaton.Input(nuv_input('d')));
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

	EXPECT_EQ(INPUT_IGNORED, automaton.Input(nuv_input('h')));
	EXPECT_EQ(INPUT_IGNORED, automaton.Input(nuv_input('v')));
	EXPECT_EQ(Euc("き"), Type(automaton, "ki"));
	Type(automaton, "k");
	EXPECT_EQ(INPUT_IGNORED, automaton.Input(nuv_input('a')));
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


TEST_F(DefaultTablesTest, KanaTableTypesSentencesInEitherSpelling)
{
	// small kana, doubled consonants (kk, and tc for tch), n before a vowel
	// written n', n before a consonant, punctuation, a trailing n flushed
	const std::pair<const char*, const char*> kTyped[] = {
		{"watashihakin'enshanokissatendematchawonomimashita.",
			"わたしはきんえんしゃのきっさてんでまっちゃをのみました。"},
		{"[konnnichiha],sennen!", "「こんにちは」、せんえん！"},
		{"xaxixuxexoxyaxyuxyoxtuxwafathidhivu",
			"ぁぃぅぇぉゃゅょっゎふぁてぃでぃう゛"},
		{"shisicichitifuhutsutujizishasyajazyajyachatyacyan'nnxnxtuxtsu",
			"しししちちふふつつじじしゃしゃじゃじゃじゃちゃちゃちゃんんんっっ"},
	};
	for (const auto& [keys, kana] : kTyped) {
		const std::string typed = Type(fKana, keys);
		fKana.ForceConfirm();
		EXPECT_EQ(Euc(kana), typed + fKana.Confirmed()) << keys;
	}
	EXPECT_TRUE(fKana.IsEmpty());
}


TEST_F(DefaultTablesTest, EngineKeysAreNotTakenByAnyAutomaton)
{
	// The automaton is asked before the engine's own keys: a table entry for
	// one of them would swallow it (l would never switch to Latin input).
	std::string engineKeys = "lq/ \x08\x07\x0A\x0D\x11\x1B\x7F";
	for (char c = 'A'; c <= 'Z'; c++)
		engineKeys += c;
	for (char key : engineKeys) {
		EXPECT_EQ(INPUT_IGNORED, fKana.Input(nuv_input(key)))
			<< "kana " << int(key);
		EXPECT_TRUE(fKana.IsEmpty());
		if (key < 0x20 || key == 0x7F) {
			EXPECT_EQ(INPUT_IGNORED, fZenei.Input(nuv_input(key)))
				<< "full-width " << int(key);
		}
	}
	// Latin input passes every key on to the application
	for (int key = 0; key < 256; key++)
		EXPECT_EQ(INPUT_IGNORED, fControl.Input(nuv_input(key))) << key;
}


TEST_F(DefaultTablesTest, ZeneiTableGivesEachPrintableCharacterItsOwnWideForm)
{
	std::set<std::string> seen;
	for (int key = 0x20; key < 0x7F; key++) {
		ASSERT_EQ(INPUT_CONSUMED, fZenei.Input(nuv_input(key))) << key;
		const std::string wide = fZenei.Confirmed();
		ASSERT_EQ(2u, wide.size()) << key;
		EXPECT_GE(static_cast<unsigned char>(wide[0]), 0xA1) << key;
		EXPECT_GE(static_cast<unsigned char>(wide[1]), 0xA1) << key;
		EXPECT_TRUE(seen.insert(wide).second) << "duplicate for " << key;
		EXPECT_TRUE(fZenei.IsEmpty());
	}
	EXPECT_EQ("\xA1\xA1", Type(fZenei, " "));
	EXPECT_EQ("\xA3\xC1\xA3\xE1\xA3\xB0", Type(fZenei, "Aa0"));
	EXPECT_EQ(Euc("＼”"), Type(fZenei, "\\\""));
}
