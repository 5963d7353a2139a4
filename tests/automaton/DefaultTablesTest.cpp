// End-to-end checks of the default tables in settings/, read into automata
// the way the shared resources fill them.
#include <set>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "AutomatonTestSupport.h"
#include "NuvAutomaton.h"


namespace {


const std::string kSettingsDir = NUV_SETTINGS_SOURCE_DIR "/";


class DefaultTablesTest : public testing::Test {
protected:
	void SetUp() override
	{
		ReadTable(fKana, kSettingsDir + "roman_kana.table");
		ReadTable(fKana, kSettingsDir + "control_key.table");
		ReadTable(fZenei, kSettingsDir + "roman_zennei.table");
		ReadTable(fZenei, kSettingsDir + "control_key.table");
		ReadTable(fControl, kSettingsDir + "control_key.table");
	}

	// Types `keys`, flushes what is pending and returns everything confirmed.
	std::string TypeKana(const std::string& keys)
	{
		std::string text = Type(fKana, keys);
		fKana.ForceConfirm();
		return text + fKana.Confirmed();
	}

	NuvAutomaton fKana;
	NuvAutomaton fZenei;
	NuvAutomaton fControl;
};


}	// namespace


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
	for (const auto& [keys, kana] : kTyped)
		EXPECT_EQ(Euc(kana), TypeKana(keys)) << keys;
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
