// The kana reading buffer: the okuri point and its look-up, editing,
// confirming the reading unchanged, and the way back from a conversion.
// The full conversion journeys are in tests/conversion.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KeyDriver.h"
#include "NuvKanaBufferState.h"
#include "TestControler.h"

using nuv_test::KeyDriver;
using nuv_test::KeyStep;
using nuv_test::TestControler;

namespace {

typedef std::vector<std::string> Log;


class KanaBuffer : public testing::Test {
protected:
	KanaBuffer()
		:
		driver(controler)
	{
		EXPECT_TRUE(controler.ReadLargeDictionary(
			NUV_TEST_DATA_DIR "/engine/small.jisyo"));
	}

	Log Lookups() { return controler.CallsNamed("FindCandidates"); }

	TestControler	controler;
	KeyDriver		driver;
};


TEST_F(KanaBuffer, OkuriLetterThatIsAKanaAtOnceLooksUpAtOnce)
{
	EXPECT_EQ(driver.Type("OmoI").preedit, "▼思い");
	EXPECT_EQ(Lookups(), Log{"FindCandidates(おも*i,い)"});
}


TEST_F(KanaBuffer, CapitalsBeforeTheReadingAndAfterTheOkuriPointAreLetters)
{
	// "Y" on an empty reading is part of the reading.
	EXPECT_EQ(driver.Type("KY").preedit, "▽ky");
	driver.Press('\a');

	// The third capital continues the okurigana: って.
	EXPECT_EQ(driver.Type("TaT").preedit, "▽た*t");
	EXPECT_EQ(driver.Press('T').preedit, "▽た*っt");
	EXPECT_TRUE(Lookups().empty());
	driver.Press('E');
	EXPECT_EQ(Lookups(), Log{"FindCandidates(た*t,って)"});
}


TEST_F(KanaBuffer, BackspaceStepsBackOverLettersKanaAndTheOkuriPoint)
{
	driver.Type("TaTT");
	EXPECT_EQ(driver.Press('\b').preedit, "▽た*っ");
	EXPECT_EQ(driver.Press('\b').preedit, "▽た");
	EXPECT_EQ(driver.Press('K').preedit, "▽た*k");
	// The pending okuri letter goes together with the asterisk.
	EXPECT_EQ(driver.Press('\b').preedit, "▽た");
	EXPECT_EQ(driver.Press('\b').preedit, "▽");

	KeyStep step = driver.Press('\b');
	EXPECT_EQ(step.result, INPUT_CONSUMED);
	EXPECT_EQ(step.preedit, "");
	EXPECT_FALSE(step.passed);
	EXPECT_EQ(controler.CountStates(), 1);
}


TEST_F(KanaBuffer, SpaceOnAnEmptyReadingClosesItConfirmingNothing)
{
	// q is no romaji letter: Q opens a reading that stays empty.
	EXPECT_EQ(driver.Press('Q').preedit, "▽");
	KeyStep step = driver.Press(' ');
	EXPECT_EQ(step.confirmed, "");
	EXPECT_EQ(step.preedit, "");
	EXPECT_EQ(controler.CountStates(), 1);
	EXPECT_TRUE(Lookups().empty());
}


TEST_F(KanaBuffer, ConfirmingKeysFlushAPendingNIntoTheReading)
{
	KeyStep step = driver.Type("Kan\n");
	EXPECT_EQ(step.confirmed, "かん");
	EXPECT_FALSE(step.passed);
	EXPECT_EQ(controler.CountStates(), 1);

	// Enter confirms and then reaches the state below, which passes it on.
	step = driver.Press('K');
	step = driver.Type("an\r");
	EXPECT_EQ(step.confirmed, "かん");
	EXPECT_TRUE(step.passed);

	// q confirms in the other kana and leaves the mode alone.
	EXPECT_EQ(driver.Type("Kanq").confirmed, "カン");
	EXPECT_EQ(controler.ShownMode(), MODE_HIRAKANA);
	EXPECT_TRUE(Lookups().empty());
}


TEST_F(KanaBuffer, KatakanaModeShowsKatakanaButLooksUpHiragana)
{
	driver.Press('q');
	EXPECT_EQ(driver.Type("Kanji").preedit, "▽カンジ");
	EXPECT_EQ(driver.Press(' ').preedit, "▼漢字");
	EXPECT_EQ(Lookups(), Log{"FindCandidates(かんじ)"});

	driver.Press('\a');
	EXPECT_EQ(driver.Press('\n').confirmed, "カンジ");
	EXPECT_EQ(driver.Type("Kanaq").confirmed, "かな");
	EXPECT_EQ(controler.ShownMode(), MODE_KATAKANA);
}


TEST_F(KanaBuffer, CancelledConversionMergesTheOkuriganaIntoTheReading)
{
	driver.Type("OoKi");
	ASSERT_EQ(controler.CountStates(), 3);
	EXPECT_EQ(driver.Press('\a').preedit, "▽おおき");
	EXPECT_NE(dynamic_cast<NuvKanaBufferState*>(controler.State()), nullptr);

	// The merged reading is a plain reading again.
	EXPECT_EQ(driver.Type("ku\n").confirmed, "おおきく");
	EXPECT_EQ(driver.Type("Kanj\a").confirmed, "");
}


TEST_F(KanaBuffer, KeysOfNoMeaningAreSwallowed)
{
	driver.Type("Ka");
	// Tab, Escape's code, a digit, and packed multi-byte characters, which
	// are never taken for capitals.
	for (int32_t character : {0x09, 0x1B, 0x31, 0x8281E3, 0x8182E3}) {
		KeyStep step = driver.Press(nuv_input(character));
		EXPECT_EQ(step.result, INPUT_IGNORED);
		EXPECT_FALSE(step.passed);
		EXPECT_EQ(step.preedit, "▽か");
	}
}


TEST_F(KanaBuffer, FlushAfterTheOkuriPointGoesIntoTheOkurigana)
{
	// Fault: a pending n after the okuri point was flushed into the reading
	// (よん*), so space looked up the key よんn, which no dictionary holds,
	// instead of よn with the okurigana ん.
	EXPECT_EQ(driver.Type("YoN").preedit, "▽よ*n");
	EXPECT_EQ(driver.Press(' ').preedit, "▼読ん");
	EXPECT_EQ(Lookups(), Log{"FindCandidates(よ*n,ん)"});
}


TEST_F(KanaBuffer, ConfirmingTheReadingKeepsTheOkuriganaShown)
{
	// Fault: C-j, Enter and q confirmed the reading alone and lost the kana
	// typed after the okuri point, which the preedit showed.
	EXPECT_EQ(driver.Type("TaTT").preedit, "▽た*っt");
	EXPECT_EQ(driver.Press('\n').confirmed, "たっ");
	EXPECT_EQ(driver.Type("YoN\n").confirmed, "よん");
	EXPECT_EQ(driver.Type("TaTTq").confirmed, "タッ");
}

}	// namespace
