// Conversion in katakana mode and from the abbreviation buffer.
#include <string>
#include <vector>

#include "ConversionFixture.h"

using namespace nuv_test;

namespace {

typedef std::vector<std::string> Words;

}	// namespace


TEST_F(ConversionTest, KatakanaModeConvertsAndReturnsToKatakana)
{
	driver.Press('q');
	EXPECT_EQ(controler.ShownMode(), MODE_KATAKANA);
	EXPECT_EQ(driver.Type("Kanji").preedit, "▽カンジ");
	// candidates show as stored
	EXPECT_EQ(driver.Press(' ').preedit, "▼漢字");
	EXPECT_EQ(controler.ShownMode(), MODE_KATAKANA);
	KeyStep step = driver.Press(kEnter);
	EXPECT_EQ(step.confirmed, "漢字");
	EXPECT_TRUE(step.passed);
	EXPECT_EQ(controler.ShownMode(), MODE_KATAKANA);
	EXPECT_EQ(driver.Type("ka").confirmed, "カ");
	// q confirms a reading in the other kana, hiragana here
	EXPECT_EQ(driver.Type("Kanaq").confirmed, "かな");

	// okurigana is looked up as hiragana and shown as the dictionary has it
	EXPECT_EQ(driver.Type("OoK").preedit, "▽オオ*k");
	EXPECT_EQ(driver.Press('i').preedit, "▼大き");
	EXPECT_EQ(controler.CallsNamed("FindCandidates").back(),
		"FindCandidates(おお*k,き)");
	EXPECT_EQ(driver.Press('x').preedit, "▽オオキ");
	driver.Type("\b\b\b\b");
	EXPECT_EQ(controler.ShownMode(), MODE_KATAKANA);
	EXPECT_EQ(driver.Type("ki").confirmed, "キ");
}


TEST_F(ConversionTest, KatakanaModeRegistrationTypesInHiraganaAndReturns)
{
	driver.Press('q');
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
	EXPECT_EQ(driver.Press('/').preedit, "▽");
	EXPECT_EQ(controler.ShownMode(), MODE_ABBREV);
	EXPECT_EQ(driver.Type("cpu").preedit, "▽cpu");
	EXPECT_EQ(driver.Press(' ').preedit, "▼CPU");
	EXPECT_EQ(controler.ShownMode(), MODE_ABBREV);
	EXPECT_EQ(driver.Press(' ').preedit, "▼中央処理装置");
	KeyStep step = driver.Press(kEnter);
	EXPECT_EQ(step.confirmed, "中央処理装置");
	EXPECT_TRUE(step.passed);
	EXPECT_EQ(controler.ShownMode(), MODE_HIRAKANA);
	EXPECT_EQ(driver.Type("/cpu ").preedit, "▼中央処理装置");

	// cancelled, the buffer shows the same reading again
	EXPECT_EQ(driver.Press(kCancel).preedit, "▽cpu");
	EXPECT_EQ(controler.ShownMode(), MODE_ABBREV);
	driver.Type("\b\b\b\b");
	EXPECT_EQ(controler.ShownMode(), MODE_HIRAKANA);

	// a reading with no candidate opens registration
	EXPECT_EQ(driver.Type("/nuv ").preedit, "★|");
	EXPECT_EQ(controler.ShownRegisters(), Words({"nuv"}));
	EXPECT_EQ(controler.ShownMode(), MODE_HIRAKANA);
	driver.Type("nuu");
	EXPECT_EQ(driver.Press(kEnter).confirmed, "ぬう");
	EXPECT_EQ(controler.CallsNamed("InsertCandidate").back(),
		"InsertCandidate(nuv=ぬう)");
	EXPECT_EQ(driver.Type("/nuv ").preedit, "▼ぬう");
}
