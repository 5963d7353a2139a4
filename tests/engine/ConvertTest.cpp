// Conversions: preedit candidates, pages, confirming and learning, the ways
// out and the purge prompt, in hiragana, katakana and abbreviation input.
#include "ConversionFixture.h"

using namespace nuv_test;


TEST_F(ConversionTest, EnterOrAPrintableKeyConfirmsAndThenReachesTheStateBelow)
{
	Walk({{"Ka", "▽か"}, {"n", "▽かn"}, {"j", "▽かんj"}, {"i", "▽かんじ"}});
	EXPECT_TRUE(Did(driver.Press(' '), kConsumed, "", "▼漢字"));

	// confirmed, then the same Enter passes on to the application
	KeyStep step = driver.Press(kEnter);
	EXPECT_TRUE(Did(step, kPassed, "漢字", ""));
	EXPECT_EQ(step.rounds, 2);
	EXPECT_EQ(controler.CallsNamed("InsertCandidate"),
		Words({"InsertCandidate(かんじ=漢字)"}));

	driver.Type("Kanji  ");
	step = driver.Press('k');
	EXPECT_TRUE(Did(step, kConsumed, "感じ", "k"));
	EXPECT_EQ(step.rounds, 2);
	EXPECT_EQ(driver.Press('a').confirmed, "か");

	// a capital confirms (感じ, learned) and opens the next reading
	driver.Type("Kanji ");
	EXPECT_TRUE(Did(driver.Press('K'), kConsumed, "感じ", "▽k"));
}


TEST_F(ConversionTest, OkuriganaLooksUpOnceCompleteAndIsConfirmedWithTheWord)
{
	Walk({{"Oo", "▽おお"}, {"K", "▽おお*k"}, {"i", "▼大き"}});
	EXPECT_EQ(controler.CallsNamed("FindCandidates"),
		Words({"FindCandidates(おお*k,き)"}));

	EXPECT_EQ(driver.Press(' ').preedit, "▼多き");
	EXPECT_TRUE(Did(driver.Press(kConfirm), kConsumed, "多き", ""));
	EXPECT_EQ(controler.CallsNamed("InsertCandidate"),
		Words({"InsertCandidate(おお*k,き=多)"}));

	// learned under the okurigana: first next time
	EXPECT_EQ(driver.Type("OoKi").preedit, "▼多き");

	driver.Press(kConfirm);
	controler.SetLargeDictionary(
		"かk /掛/欠/書/駈/掻/賭/翔/架/懸/駆/舁/描/\n");
	EXPECT_EQ(driver.Type("KaKu    ").preedit, "▼く");
	EXPECT_EQ(driver.Press('d').confirmed, "翔く");
	EXPECT_EQ(controler.CallsNamed("InsertCandidate").back(),
		"InsertCandidate(か*k,く=翔)");
}


TEST_F(ConversionTest, BackspaceEntersTheCandidateLessItsLastCharOtherKeysAreSwallowed)
{
	// Fault mended: backspace shortened more than the candidate, or read
	// past the candidates.
	const Words shortened({"漢", "感", "幹", "監"});
	for (int i = 0; i < 4; i++) {
		driver.Type("Kanji ");
		for (int step = 0; step < i; step++)
			driver.Press(' ');
		controler.TakeCalls();
		EXPECT_TRUE(Did(driver.Press(kBackspace), kConsumed, shortened[i], ""))
			<< i;
		// the whole candidate is learned
		EXPECT_EQ(controler.CallsNamed("InsertCandidate").size(), 1u);
	}

	// with okurigana the okurigana is what goes
	driver.Type("OoKi");
	EXPECT_EQ(driver.Press(kBackspace).confirmed, "大");

	// one-character candidate: nothing is entered, but it is learned
	driver.Type("Ki ");
	controler.TakeCalls();
	EXPECT_TRUE(Did(driver.Press(kBackspace), kConsumed, "", ""));
	EXPECT_EQ(controler.CallsNamed("InsertCandidate"),
		Words({"InsertCandidate(き=木)"}));

	// keys without meaning are swallowed; on a page backspace does nothing,
	// and only selection and stepping keys do anything
	driver.Type("Juuni ");
	for (int32_t key : {0x01, 0x09, 0x1b, 0x7f, 0x8281e3}) {
		EXPECT_TRUE(Did(driver.Press(nuv_input(key)), kSwallowed, "", "▼子"))
			<< key;
	}
	driver.Type("    ");
	controler.TakeCalls();
	EXPECT_TRUE(Did(driver.Press(kBackspace), kConsumed, "", "▼"));
	for (char key : std::string("X\n\rbq1-")) {
		EXPECT_TRUE(Did(driver.Press(key), kSwallowed, "", "▼")) << int(key);
	}
	EXPECT_TRUE(controler.CallsNamed("InsertCandidate").empty());
	EXPECT_TRUE(controler.CallsNamed("ShowPurge").empty());
	EXPECT_EQ(controler.ShownRemaining(), 1);
}


TEST_F(ConversionTest, KatakanaModeConvertsAndRegistersAndReturnsToKatakana)
{
	driver.Press('q');
	// candidates show as stored
	Walk({{"Kanji", "▽カンジ"}, {" ", "▼漢字"}});
	EXPECT_EQ(controler.ShownMode(), MODE_KATAKANA);
	EXPECT_TRUE(Did(driver.Press(kEnter), kPassed, "漢字", ""));
	EXPECT_EQ(controler.ShownMode(), MODE_KATAKANA);
	EXPECT_EQ(driver.Type("ka").confirmed, "カ");
	// q confirms a reading in the other kana, hiragana here
	EXPECT_EQ(driver.Type("Kanaq").confirmed, "かな");

	// okurigana is looked up as hiragana and shown as the dictionary has it
	Walk({{"OoK", "▽オオ*k"}, {"i", "▼大き"}});
	EXPECT_EQ(controler.CallsNamed("FindCandidates").back(),
		"FindCandidates(おお*k,き)");
	Walk({{"x", "▽オオキ"}, {"\b\b\b\b", ""}});
	EXPECT_EQ(controler.ShownMode(), MODE_KATAKANA);
	EXPECT_EQ(driver.Type("ki").confirmed, "キ");

	// a registration types in hiragana and returns to katakana
	driver.Type("Kiyosi ");
	EXPECT_EQ(controler.ShownRegisters(), Words({"きよし"}));
	EXPECT_EQ(driver.Type("ai").preedit, "★あい|");
	EXPECT_EQ(controler.ShownMode(), MODE_HIRAKANA);
	// the nested engine has its own katakana toggle
	driver.Press('q');
	EXPECT_EQ(controler.ShownMode(), MODE_KATAKANA);
	EXPECT_EQ(driver.Type("ka").preedit, "★あいカ|");
	EXPECT_EQ(driver.Press(kEnter).confirmed, "あいカ");
	EXPECT_EQ(controler.ShownMode(), MODE_KATAKANA);
	EXPECT_EQ(driver.Type("Kiyosi ").preedit, "▼あいカ");
}


TEST_F(ConversionTest, AbbreviationConvertsLearnsAndRegisters)
{
	// A slash opens the reading without itself, dropping a pending letter.
	EXPECT_TRUE(Did(driver.Type("k/"), kConsumed, "", "▽"));
	Walk({{"cpu", "▽cpu"}, {" ", "▼CPU"}});
	EXPECT_EQ(controler.ShownMode(), MODE_ABBREV);
	EXPECT_EQ(driver.Press(' ').preedit, "▼中央処理装置");
	EXPECT_TRUE(Did(driver.Press(kEnter), kPassed, "中央処理装置", ""));
	EXPECT_EQ(controler.ShownMode(), MODE_HIRAKANA);

	// learned; cancelled, the buffer shows the same reading again
	Walk({{"/cpu ", "▼中央処理装置"}, {kCancel, "▽cpu"}});
	EXPECT_EQ(controler.ShownMode(), MODE_ABBREV);
	driver.Type("\b\b\b\b");
	EXPECT_EQ(controler.ShownMode(), MODE_HIRAKANA);

	// a reading with no candidate opens registration
	EXPECT_EQ(driver.Type("/nuv ").preedit, "★|");
	EXPECT_EQ(controler.ShownRegisters(), Words({"nuv"}));
	EXPECT_EQ(controler.ShownMode(), MODE_HIRAKANA);
	EXPECT_EQ(driver.Type("nuu\r").confirmed, "ぬう");
	EXPECT_EQ(controler.CallsNamed("InsertCandidate").back(),
		"InsertCandidate(nuv=ぬう)");
	EXPECT_EQ(driver.Type("/nuv ").preedit, "▼ぬう");
}


TEST_F(ConversionTest, PurgePromptForgetsOnYesAndEveryAnswerEndsTheConversion)
{
	// 感じ is learned to come first for かんじ; n and cancel keep it.
	ASSERT_EQ(driver.Type("Kanji  \n").confirmed, "感じ");
	for (char answer : {'n', kCancel, 'y'}) {
		Walk({{"Kanji ", "▼感じ"}, {"X", "★感じ"}});
		controler.TakeCalls();
		EXPECT_EQ(controler.ShownPurge(), "かんじ=感じ");
		EXPECT_TRUE(Did(driver.Press(answer), kConsumed, "", ""))
			<< int(answer);
		EXPECT_EQ(controler.ShownPurge(), "") << int(answer);
		EXPECT_EQ(controler.CallsNamed("RemoveCandidate"), answer == 'y'
			? Words({"RemoveCandidate(かんじ=感じ)"}) : Words()) << int(answer);
	}
	// the large dictionary's order is back
	EXPECT_EQ(driver.Type("Kanji ").preedit, "▼漢字");

	EXPECT_EQ(driver.Type("\nOoKi X").preedit, "★多き");
	controler.TakeCalls();
	for (int32_t key : {0x08, 0x0a, 0x0d, 0x20, 0x61, 0x59, 0x4e, 0x8281e3}) {
		EXPECT_TRUE(Did(driver.Press(nuv_input(key)), kSwallowed, "", "★多き"))
			<< key;
	}
	EXPECT_EQ(controler.ShownPurge(), "おお*k,き=多");
	driver.Press('y');
	EXPECT_EQ(controler.CallsNamed("RemoveCandidate"),
		Words({"RemoveCandidate(おお*k,き=多)"}));

	// inside a registration only the nested conversion ends
	Walk({{"Kiyosi kaKanji ", "★か▼漢字|"}, {"X", "★か★漢字|"}});
	EXPECT_EQ(controler.ShownPurge(), "かんじ=漢字");
	EXPECT_EQ(driver.Press('y').preedit, "★か|");
	EXPECT_EQ(controler.ShownPurge(), "");
	EXPECT_EQ(controler.ShownRegisters(), Words({"きよし"}));
	EXPECT_EQ(controler.CallsNamed("RemoveCandidate").size(), 2u);
	EXPECT_EQ(driver.Press(kEnter).confirmed, "か");
}
