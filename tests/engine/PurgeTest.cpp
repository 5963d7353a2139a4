// The purge prompt: y forgets the word, n and cancel keep it; every answer
// ends the conversion.
#include <string>
#include <vector>

#include "ConversionFixture.h"

using namespace nuv_test;

namespace {

typedef std::vector<std::string> Words;

}	// namespace


TEST_F(ConversionTest, YesForgetsTheWordNoAndCancelKeepItAllEndTheConversion)
{
	// 感じ is learned, so that it comes first for かんじ.
	driver.Type("Kanji  ");
	ASSERT_EQ(driver.Press(kConfirm).confirmed, "感じ");
	for (char answer : {'n', kCancel, 'y'}) {
		ASSERT_EQ(driver.Type("Kanji ").preedit, "▼感じ");
		controler.TakeCalls();
		EXPECT_EQ(driver.Press('X').preedit, "★感じ");
		EXPECT_EQ(controler.ShownPurge(), "かんじ=感じ");
		KeyStep step = driver.Press(answer);
		EXPECT_EQ(step.preedit, "") << int(answer);
		EXPECT_EQ(step.confirmed, "") << int(answer);
		EXPECT_EQ(step.result, INPUT_CONSUMED) << int(answer);
		EXPECT_EQ(controler.ShownPurge(), "") << int(answer);
		EXPECT_EQ(controler.CountStates(), 1);
		EXPECT_EQ(controler.CallsNamed("RemoveCandidate"), answer == 'y'
			? Words({"RemoveCandidate(かんじ=感じ)"}) : Words()) << int(answer);
	}
	// the large dictionary's order is back
	EXPECT_EQ(driver.Type("Kanji ").preedit, "▼漢字");
}


TEST_F(ConversionTest, OtherKeysLeaveThePromptOpen)
{
	driver.Type("OoKi ");
	EXPECT_EQ(driver.Press('X').preedit, "★多き");
	EXPECT_EQ(controler.ShownPurge(), "おお*k,き=多");
	for (int32_t key : {0x08, 0x0a, 0x0d, 0x20, 0x61, 0x59, 0x4e, 0x8281e3}) {
		KeyStep step = driver.Press(nuv_input(key));
		EXPECT_EQ(step.preedit, "★多き") << key;
		EXPECT_FALSE(step.passed) << key;
		EXPECT_EQ(step.confirmed, "") << key;
	}
	EXPECT_EQ(controler.ShownPurge(), "おお*k,き=多");
	EXPECT_TRUE(controler.CallsNamed("RemoveCandidate").empty());
	driver.Press('y');
	EXPECT_EQ(controler.CallsNamed("RemoveCandidate"),
		Words({"RemoveCandidate(おお*k,き=多)"}));
}


TEST_F(ConversionTest, PurgeInsideARegistrationEndsOnlyTheNestedConversion)
{
	driver.Type("Kiyosi ");
	driver.Type("ka");
	EXPECT_EQ(driver.Type("Kanji ").preedit, "★か▼漢字|");
	EXPECT_EQ(driver.Press('X').preedit, "★か★漢字|");
	EXPECT_EQ(controler.ShownPurge(), "かんじ=漢字");
	EXPECT_EQ(controler.ShownRegisters(), Words({"きよし"}));

	EXPECT_EQ(driver.Press('y').preedit, "★か|");
	EXPECT_EQ(controler.ShownPurge(), "");
	EXPECT_EQ(controler.ShownRegisters(), Words({"きよし"}));
	EXPECT_EQ(controler.CallsNamed("RemoveCandidate").size(), 1u);
	EXPECT_EQ(driver.Press(kEnter).confirmed, "か");
}
