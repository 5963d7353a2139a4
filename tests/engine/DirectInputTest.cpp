// Direct input over the default tables: romaji to kana, the mode keys and
// the keys left to the application.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "KeyDriver.h"
#include "NuvAsciiBufferState.h"
#include "NuvKanaBufferState.h"
#include "NuvKanaInputState.h"
#include "TestControler.h"

using nuv_test::KeyDriver;
using nuv_test::KeyStep;
using nuv_test::TestControler;

namespace {

class DirectInput : public testing::Test {
protected:
	DirectInput() : driver(controler) {}

	template<typename T>
	bool OnTop() { return dynamic_cast<T*>(controler.State()) != nullptr; }

	TestControler	controler;
	KeyDriver		driver;
};


TEST_F(DirectInput, RomajiConfirmsHiraganaOrKatakanaUntilToggledBack)
{
	EXPECT_EQ(driver.Press('k').preedit, "k");
	EXPECT_EQ(driver.Press('y').preedit, "ky");
	EXPECT_EQ(driver.Press('a').confirmed, "きゃ");
	KeyStep step = driver.Type("xtuxyafaira-,kippu");
	EXPECT_EQ(step.confirmed, "っゃふぁいらー、きっぷ");
	EXPECT_EQ(step.preedit, "");
	EXPECT_TRUE(controler.IsEmpty());

	driver.Press('q');
	EXPECT_EQ(driver.Press('k').preedit, "k");
	EXPECT_EQ(driver.Press('a').confirmed, "カ");
	EXPECT_EQ(driver.Type("vaiorinn").confirmed, "ヴァイオリン");
	driver.Press('q');
	EXPECT_EQ(driver.Type("ka").confirmed, "か");
	EXPECT_EQ(controler.CallsNamed("SetMode"),
		(std::vector<std::string>{"SetMode(MODE_HIRAKANA)",
			"SetMode(MODE_KATAKANA)", "SetMode(MODE_HIRAKANA)"}));
}


TEST_F(DirectInput, LatinKeyFlushesPendingNAndControlJComesBackInHiragana)
{
	driver.Type("qn");
	KeyStep step = driver.Press('l');
	EXPECT_EQ(step.confirmed, "ン");
	EXPECT_EQ(controler.CountStates(), 1);
	EXPECT_EQ(controler.ShownMode(), MODE_ASCII);

	// Letters, Backspace and control-G with nothing pending reach the
	// application.
	for (char key : {'a', 'K', '\b', '\a'}) {
		step = driver.Press(key);
		EXPECT_EQ(step.result, INPUT_IGNORED);
		EXPECT_TRUE(step.passed);
	}

	step = driver.Press('\n');
	EXPECT_EQ(step.result, INPUT_CONSUMED);
	EXPECT_TRUE(OnTop<NuvKanaInputState>());
	EXPECT_EQ(controler.ShownMode(), MODE_HIRAKANA);
	EXPECT_EQ(driver.Type("na").confirmed, "な");
}


TEST_F(DirectInput, FullWidthKeySwitchesInsteadOfOpeningAReading)
{
	driver.Press('L');
	EXPECT_EQ(controler.ShownMode(), MODE_ZENEI);
	EXPECT_EQ(driver.Type("Abc 1!").confirmed, "Ａｂｃ　１！");
	EXPECT_TRUE(driver.Press('\r').passed);

	// Every other capital opens a reading, Q included.
	for (char letter = 'A'; letter <= 'Z'; letter++) {
		if (letter == 'L')
			continue;
		controler.Clear();
		driver.Press(letter);
		EXPECT_TRUE(OnTop<NuvKanaBufferState>()) << letter;
	}
}


TEST_F(DirectInput, CapitalAndSlashOpenAReadingAfterFlushing)
{
	driver.Press('k');
	KeyStep step = driver.Press('K');
	EXPECT_EQ(step.rounds, 2);
	EXPECT_EQ(step.confirmed, "");
	EXPECT_EQ(step.preedit, "▽k");

	// A pending n is confirmed in the first round, before the reading.
	controler.Clear();
	controler.Input(nuv_input('n'));
	EXPECT_EQ(controler.Input(nuv_input('K')), INPUT_AGAIN);
	EXPECT_EQ(controler.Confirmed(), "\xA4\xF3");	// ん
	EXPECT_TRUE(OnTop<NuvKanaBufferState>());

	// A slash opens the abbreviation reading without itself.
	controler.Clear();
	driver.Press('k');
	step = driver.Press('/');
	EXPECT_EQ(step.result, INPUT_CONSUMED);
	EXPECT_EQ(step.confirmed, "");
	EXPECT_EQ(step.preedit, "▽");
	EXPECT_TRUE(OnTop<NuvAsciiBufferState>());
	EXPECT_EQ(controler.ShownMode(), MODE_ABBREV);
}


TEST_F(DirectInput, BackspaceAndCancelActOnPendingLettersElsePassOn)
{
	driver.Type("ky");
	KeyStep step = driver.Press('\b');
	EXPECT_EQ(step.result, INPUT_CONSUMED);
	EXPECT_EQ(step.preedit, "k");
	driver.Press('y');
	step = driver.Press('\a');
	EXPECT_EQ(step.result, INPUT_CONSUMED);
	EXPECT_EQ(step.preedit, "");

	EXPECT_TRUE(driver.Press('\b').passed);
	EXPECT_TRUE(driver.Press('\a').passed);
}


TEST_F(DirectInput, KeysNoTableDefinesFlushAndPassOn)
{
	driver.Press('k');
	KeyStep step = driver.Press('1');
	EXPECT_EQ(step.confirmed, "");
	EXPECT_TRUE(step.passed);

	// Space, Enter, control-J and a packed multi-byte character ("あ").
	for (int32_t character : {0x20, 0x0D, 0x0A, 0x8281E3}) {
		driver.Press('n');
		step = driver.Press(nuv_input(character));
		EXPECT_EQ(step.result, INPUT_IGNORED);
		EXPECT_EQ(step.confirmed, "ん");
		EXPECT_TRUE(step.passed);
		EXPECT_EQ(controler.CountStates(), 1);
	}
}


TEST_F(DirectInput, LettersLeftPendingByAnotherStateAreDroppedOnActivation)
{
	// The reading buffer leaves k pending in the shared kana automaton.
	driver.Type("Kak\a");
	EXPECT_EQ(controler.Pending(), "");
	EXPECT_EQ(driver.Press('a').confirmed, "あ");
}


TEST_F(DirectInput, OtherModesSwallowUnusedKeysWhileLettersPend)
{
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
	EXPECT_TRUE(driver.Press('\t').passed);
}

}	// namespace
