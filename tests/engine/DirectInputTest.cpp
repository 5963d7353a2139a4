// Direct input over the default tables: romaji, the mode keys and the keys
// left to the application; the kana reading with its okuri point and the
// abbreviation reading, edited and confirmed unchanged.
#include <sstream>

#include "ConversionFixture.h"
#include "NuvKanaBufferState.h"

using namespace nuv_test;

namespace {

class DirectInput : public ConversionTest {};


TEST_F(DirectInput, RomajiConfirmsKanaUntilAModeKeyFlushesAndSwitches)
{
	Walk({{"k", "k"}, {"y", "ky"}});
	EXPECT_EQ(driver.Press('a').confirmed, "きゃ");
	EXPECT_TRUE(Did(driver.Type("xtuxyafaira-,kippu"), kConsumed,
		"っゃふぁいらー、きっぷ", ""));
	EXPECT_TRUE(controler.IsEmpty());

	Walk({{"qk", "k"}});
	EXPECT_EQ(driver.Press('a').confirmed, "カ");
	EXPECT_EQ(driver.Type("vaiorinn").confirmed, "ヴァイオリン");
	EXPECT_EQ(driver.Type("qka").confirmed, "か");
	EXPECT_EQ(controler.CallsNamed("SetMode"), Words({"SetMode(MODE_HIRAKANA)",
		"SetMode(MODE_KATAKANA)", "SetMode(MODE_HIRAKANA)"}));

	// The Latin key flushes a pending n; control-J comes back in hiragana.
	EXPECT_EQ(driver.Type("qnl").confirmed, "ン");
	EXPECT_EQ(controler.CountStates(), 1);
	EXPECT_EQ(controler.ShownMode(), MODE_ASCII);

	// With nothing pending, keys reach the application.
	for (char key : {'a', 'K', '\b', '\a'})
		EXPECT_TRUE(Did(driver.Press(key), kPassed, "", "")) << key;

	EXPECT_TRUE(Did(driver.Press('\n'), kConsumed, "", ""));
	EXPECT_EQ(controler.ShownMode(), MODE_HIRAKANA);
	EXPECT_EQ(driver.Type("na").confirmed, "な");
}


TEST_F(DirectInput, FullWidthKeySwitchesInsteadOfOpeningAReading)
{
	// A two-letter key in the full-width table, so that letters can pend;
	// while they do, keys the mode does not use are swallowed.
	std::istringstream extra("zq \xA3\xDA\xA3\xD1");
	controler.AutomatonFor(MODE_ZENEI).Read(extra);
	driver.Press('L');
	EXPECT_EQ(controler.ShownMode(), MODE_ZENEI);
	EXPECT_EQ(driver.Type("Abc 1!").confirmed, "Ａｂｃ　１！");
	EXPECT_TRUE(driver.Press('\r').passed);
	EXPECT_TRUE(Did(driver.Type("z\t"), kSwallowed, "", "z"));
	EXPECT_EQ(driver.Press('q').confirmed, "ＺＱ");
	EXPECT_TRUE(driver.Press('\t').passed);

	// Every other capital opens a reading, Q included.
	for (char letter : std::string("ABCDEFGHIJKMNOPQRSTUVWXYZ")) {
		controler.Clear();
		driver.Press(letter);
		EXPECT_TRUE(OnTop<NuvKanaBufferState>()) << letter;
	}
}


TEST_F(DirectInput, KeysAfterPendingLettersActOnThemFlushThemOrPassOn)
{
	// Backspace and cancel act on pending letters, else pass on.
	EXPECT_TRUE(Did(driver.Type("ky\b"), kConsumed, "", "k"));
	EXPECT_TRUE(Did(driver.Type("y\a"), kConsumed, "", ""));
	EXPECT_TRUE(Did(driver.Press('\b'), kPassed, "", ""));
	EXPECT_TRUE(Did(driver.Press('\a'), kPassed, "", ""));

	// Keys no table defines (space, Enter, control-J, a packed "あ") drop a
	// pending letter and flush n.
	EXPECT_TRUE(Did(driver.Type("k1"), kPassed, "", ""));
	for (int32_t character : {0x20, 0x0D, 0x0A, 0x8281E3}) {
		driver.Press('n');
		EXPECT_TRUE(Did(driver.Press(nuv_input(character)), kPassed, "ん", ""));
		EXPECT_EQ(controler.CountStates(), 1);
	}

	// A k left pending by the reading is dropped back in direct input.
	driver.Type("Kak\a");
	EXPECT_EQ(controler.Pending(), "");
	EXPECT_EQ(driver.Press('a').confirmed, "あ");

	// A capital drops a pending letter and opens a reading.
	driver.Press('k');
	KeyStep step = driver.Press('K');
	EXPECT_EQ(step.rounds, 2);
	EXPECT_TRUE(Did(step, kConsumed, "", "▽k"));

	// A pending n is confirmed in the first round, before the reading.
	controler.Clear();
	controler.Input(nuv_input('n'));
	EXPECT_EQ(controler.Input(nuv_input('K')), INPUT_AGAIN);
	EXPECT_EQ(EucToUtf8(controler.Confirmed()), "ん");
	EXPECT_TRUE(OnTop<NuvKanaBufferState>());
}


TEST_F(DirectInput, OkuriPointTakesCapitalsAndBackspaceStepsBackOverIt)
{
	// "Y" on an empty reading is part of it; a third capital continues the
	// okurigana (って); the pending okuri letter goes with the asterisk.
	Walk({{"KY", "▽ky"}, {"\aTaT", "▽た*t"}, {"T", "▽た*っt"},
		{"\b", "▽た*っ"}, {"\b", "▽た"}, {"K", "▽た*k"}, {"\b", "▽た"},
		{"\b", "▽"}});
	EXPECT_TRUE(Did(driver.Press('\b'), kConsumed, "", ""));
	EXPECT_EQ(controler.CountStates(), 1);

	// Fault: a pending n after the okuri point went into the reading (よん*),
	// so space looked up よんn instead of よn with the okurigana ん.
	Walk({{"YoN", "▽よ*n"}, {" ", "▼読ん"}, {"\n", ""},
		{"TaTTE", "★|"}});
	EXPECT_EQ(controler.CallsNamed("FindCandidates"),
		Words({"FindCandidates(よ*n,ん)", "FindCandidates(た*t,って)"}));
}


TEST_F(DirectInput, ReadingsCloseOrConfirmUnchangedWithWhatTheyShow)
{
	// An empty reading closes on space, Backspace and cancel (Q opens one
	// that stays empty). Control-J confirms; Enter confirms and passes on;
	// q confirms in the other kana and control-Q the abbreviation in full
	// width, the mode unchanged. A pending n is flushed first. Fault: the
	// kana typed after the okuri point, which the preedit showed, were lost.
	const struct {
		const char*	keys;
		Outcome		outcome;
		const char*	confirmed;
	} kEndings[] = {
		{ "Q ", kConsumed, "" }, { "/ ", kConsumed, "" },
		{ "/\b", kConsumed, "" }, { "/\a", kConsumed, "" },
		{ "Kan\n", kConsumed, "かん" }, { "Kan\r", kPassed, "かん" },
		{ "Kanq", kConsumed, "カン" }, { "TaTT\n", kConsumed, "たっ" },
		{ "YoN\n", kConsumed, "よん" }, { "TaTTq", kConsumed, "タッ" },
		{ "/Abc-1\x11", kConsumed, "Ａｂｃ−１" },
		{ "/abc\n", kConsumed, "abc" }, { "/abc\r", kPassed, "abc" },
	};
	for (const auto& ending : kEndings) {
		EXPECT_TRUE(Did(driver.Type(ending.keys), ending.outcome,
			ending.confirmed, "")) << ending.keys;
		EXPECT_EQ(controler.CountStates(), 1) << ending.keys;
		EXPECT_EQ(controler.ShownMode(), MODE_HIRAKANA) << ending.keys;
	}
	EXPECT_TRUE(controler.CallsNamed("FindCandidates").empty());
}


TEST_F(DirectInput, KeysOfNoMeaningInAReadingAreSwallowed)
{
	// Tab, Escape, a digit and packed characters, never taken for capitals.
	driver.Type("Ka");
	for (int32_t character : {0x09, 0x1B, 0x31, 0x8281E3, 0x8182E3}) {
		EXPECT_TRUE(Did(driver.Press(nuv_input(character)), kSwallowed, "",
			"▽か")) << character;
	}

	// The abbreviation reading takes printable characters as typed.
	EXPECT_EQ(driver.Type("\a/aB-1/q").preedit, "▽aB-1/q");
	for (int32_t character : {0x09, 0x1B, 0x80, 0xA4, 0x8281E3}) {
		EXPECT_TRUE(Did(driver.Press(nuv_input(character)), kSwallowed, "",
			"▽aB-1/q")) << character;
	}
	EXPECT_EQ(driver.Press('\b').preedit, "▽aB-1/");
}

}	// namespace
