// Direct input over the default tables: romaji to kana, the mode keys and
// the keys left to the application.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "KeyDriver.h"
#include "NuvInputState.h"
#include "NuvKanaBufferState.h"
#include "NuvKanaInputState.h"
#include "NuvAsciiBufferState.h"
#include "TestControler.h"

using nuv_test::KeyDriver;
using nuv_test::KeyStep;
using nuv_test::TestControler;

namespace {

typedef std::vector<std::string> Log;


class DirectInput : public testing::Test {
protected:
	DirectInput() : driver(controler) {}

	TestControler	controler;
	KeyDriver		driver;
};


TEST_F(DirectInput, RomajiOfASentenceConfirmsHiragana)
{
	KeyStep step = driver.Type("nihongonyuuryokuhoushiki");
	EXPECT_EQ(step.confirmed, "にほんごにゅうりょくほうしき");
	EXPECT_EQ(step.preedit, "");

	// Small kana, doubled consonants, n before a vowel (n') and nn, and
	// punctuation.
	step = driver.Type("kin'ennsekidechottomattekudasai.");
	EXPECT_EQ(step.confirmed, "きんえんせきでちょっとまってください。");
	step = driver.Type("xtuxyafaira-,kippu");
	EXPECT_EQ(step.confirmed, "っゃふぁいらー、きっぷ");
	EXPECT_TRUE(controler.IsEmpty());
}


TEST_F(DirectInput, KatakanaModeConfirmsKatakana)
{
	KeyStep step = driver.Press('q');
	EXPECT_EQ(step.result, INPUT_CONSUMED);
	EXPECT_EQ(controler.ShownMode(), MODE_KATAKANA);

	EXPECT_EQ(driver.Press('k').preedit, "k");
	EXPECT_EQ(driver.Press('a').confirmed, "カ");
	step = driver.Type("kin'ennsekidechottomattekudasai.");
	EXPECT_EQ(step.confirmed, "キンエンセキデチョットマッテクダサイ。");
	EXPECT_EQ(driver.Type("vaiorinn").confirmed, "ヴァイオリン");

	driver.Press('q');
	EXPECT_EQ(controler.ShownMode(), MODE_HIRAKANA);
	EXPECT_EQ(driver.Type("ka").confirmed, "か");
	EXPECT_EQ(controler.CallsNamed("SetMode"), (Log{"SetMode(MODE_HIRAKANA)",
		"SetMode(MODE_KATAKANA)", "SetMode(MODE_HIRAKANA)"}));
}


TEST_F(DirectInput, PendingLettersShowUntilTheKanaIsComplete)
{
	KeyStep step = driver.Press('k');
	EXPECT_EQ(step.result, INPUT_CONSUMED);
	EXPECT_EQ(step.confirmed, "");
	EXPECT_EQ(step.preedit, "k");
	EXPECT_FALSE(controler.IsEmpty());

	step = driver.Press('y');
	EXPECT_EQ(step.preedit, "ky");
	step = driver.Press('a');
	EXPECT_EQ(step.confirmed, "きゃ");
	EXPECT_EQ(step.preedit, "");
}


TEST_F(DirectInput, LatinKeyFlushesPendingNThenSwitches)
{
	driver.Press('n');
	KeyStep step = driver.Press('l');
	EXPECT_EQ(step.result, INPUT_CONSUMED);
	EXPECT_EQ(step.confirmed, "ん");
	EXPECT_EQ(controler.CountStates(), 1);
	EXPECT_EQ(controler.State()->Mode(), MODE_ASCII);
	EXPECT_EQ(dynamic_cast<NuvKanaInputState*>(controler.State()), nullptr);
	EXPECT_EQ(controler.ShownMode(), MODE_ASCII);

	// Latin letters and Backspace with nothing pending reach the
	// application.
	step = driver.Press('a');
	EXPECT_EQ(step.result, INPUT_IGNORED);
	EXPECT_TRUE(step.passed);
	EXPECT_EQ(step.confirmed, "");
	EXPECT_TRUE(driver.Press('\b').passed);
	EXPECT_TRUE(driver.Press('\a').passed);

	// Control-J returns to a fresh hiragana state.
	step = driver.Press('\n');
	EXPECT_EQ(step.result, INPUT_CONSUMED);
	EXPECT_NE(dynamic_cast<NuvKanaInputState*>(controler.State()), nullptr);
	EXPECT_EQ(controler.ShownMode(), MODE_HIRAKANA);
	EXPECT_EQ(driver.Type("ka").confirmed, "か");
}


TEST_F(DirectInput, LatinKeyInKatakanaFlushesKatakanaAndComesBackInHiragana)
{
	driver.Type("qn");
	EXPECT_EQ(driver.Press('l').confirmed, "ン");
	driver.Press('\n');
	EXPECT_EQ(driver.Type("na").confirmed, "な");
}


TEST_F(DirectInput, FullWidthKeySwitchesAndNeverOpensAReading)
{
	KeyStep step = driver.Press('L');
	EXPECT_EQ(step.result, INPUT_CONSUMED);
	EXPECT_EQ(controler.State()->Mode(), MODE_ZENEI);
	EXPECT_EQ(driver.Type("Abc 1!").confirmed, "Ａｂｃ　１！");
	EXPECT_TRUE(driver.Press('\r').passed);
	driver.Press('\n');
	EXPECT_EQ(controler.State()->Mode(), MODE_HIRAKANA);
}


TEST_F(DirectInput, UpperCaseLetterDropsPendingRomajiAndOpensAReading)
{
	driver.Press('k');
	KeyStep step = driver.Press('K');
	EXPECT_EQ(step.rounds, 2);
	EXPECT_EQ(step.confirmed, "");
	EXPECT_EQ(step.preedit, "▽k");
	EXPECT_NE(dynamic_cast<NuvKanaBufferState*>(controler.State()), nullptr);
	EXPECT_EQ(controler.CountStates(), 2);
}


TEST_F(DirectInput, PendingNIsConfirmedBeforeTheReadingOpens)
{
	driver.Press('n');
	nuv_test::KeyStep step = driver.Press('K');
	EXPECT_EQ(step.confirmed, "ん");
	EXPECT_EQ(step.preedit, "▽k");

	// The first round alone answers INPUT_AGAIN with ん already confirmed.
	TestControler other;
	other.Input(nuv_input('n'));
	EXPECT_EQ(other.Input(nuv_input('K')), INPUT_AGAIN);
	EXPECT_EQ(other.Confirmed(), "\xA4\xF3");
}


TEST_F(DirectInput, EveryUpperCaseLetterButLOpensAReading)
{
	for (char letter = 'A'; letter <= 'Z'; letter++) {
		controler.Clear();
		driver.Press(letter);
		if (letter == 'L')
			EXPECT_EQ(controler.State()->Mode(), MODE_ZENEI);
		else {
			EXPECT_NE(dynamic_cast<NuvKanaBufferState*>(controler.State()),
				nullptr) << letter;
		}
	}
}


TEST_F(DirectInput, SlashOpensTheAbbreviationBufferWithoutTheSlash)
{
	driver.Press('k');
	KeyStep step = driver.Press('/');
	EXPECT_EQ(step.result, INPUT_CONSUMED);
	EXPECT_EQ(step.confirmed, "");
	EXPECT_EQ(step.preedit, "▽");
	EXPECT_NE(dynamic_cast<NuvAsciiBufferState*>(controler.State()), nullptr);
	EXPECT_EQ(controler.ShownMode(), MODE_ABBREV);
}


TEST_F(DirectInput, BackspaceAndCancelWorkOnPendingLettersThenPassOn)
{
	driver.Type("ky");
	KeyStep step = driver.Press('\b');
	EXPECT_EQ(step.result, INPUT_CONSUMED);
	EXPECT_EQ(step.preedit, "k");
	EXPECT_FALSE(step.passed);

	driver.Press('y');
	step = driver.Press('\a');
	EXPECT_EQ(step.result, INPUT_CONSUMED);
	EXPECT_EQ(step.preedit, "");

	step = driver.Press('\b');
	EXPECT_EQ(step.result, INPUT_IGNORED);
	EXPECT_TRUE(step.passed);
	step = driver.Press('\a');
	EXPECT_EQ(step.result, INPUT_IGNORED);
	EXPECT_TRUE(step.passed);
}


TEST_F(DirectInput, KeysNoTableDefinesFlushAndPassOn)
{
	driver.Press('k');
	KeyStep step = driver.Press('1');
	EXPECT_EQ(step.result, INPUT_IGNORED);
	EXPECT_EQ(step.confirmed, "");
	EXPECT_TRUE(step.passed);

	// Space, Enter and a multi-byte character ("あ" in UTF-8, packed): the
	// pending n is flushed first.
	for (int32_t character : {0x20, 0x0D, 0x0A, 0x8281E3}) {
		driver.Press('n');
		step = driver.Press(nuv_input(character));
		EXPECT_EQ(step.result, INPUT_IGNORED);
		EXPECT_EQ(step.confirmed, "ん");
		EXPECT_TRUE(step.passed);
		EXPECT_EQ(controler.CountStates(), 1);
	}
}


TEST_F(DirectInput, LettersLeftPendingElsewhereAreDroppedOnActivation)
{
	// A reading buffer leaves k pending in the shared kana automaton; the
	// direct input state coming back on top must not inherit it.
	driver.Type("Kak");
	driver.Press('\a');
	EXPECT_EQ(controler.Pending(), "");
	EXPECT_EQ(driver.Press('a').confirmed, "あ");
}


TEST(InputState, UnusedKeyWithLettersPendingIsSwallowedAndKeepsThem)
{
	TestControler controler;
	KeyDriver driver(controler);
	// A two-letter key in the full-width table, so that letters can pend.
	std::istringstream extra("zq \xA3\xDA\xA3\xD1");
	controler.AutomatonFor(MODE_ZENEI).Read(extra);
	driver.Press('L');

	EXPECT_EQ(driver.Press('z').preedit, "z");
	KeyStep step = driver.Press('\t');
	EXPECT_EQ(step.result, INPUT_IGNORED);
	EXPECT_FALSE(step.passed);
	EXPECT_EQ(step.preedit, "z");
	EXPECT_EQ(driver.Press('q').confirmed, "ＺＱ");
	// Nothing pending: the same key now reaches the application.
	EXPECT_TRUE(driver.Press('\t').passed);
}

}	// namespace
