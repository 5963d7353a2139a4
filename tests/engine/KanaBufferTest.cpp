// The kana reading buffer: the reading, the okuri point and its automatic
// look-up, confirming the reading unchanged, and the way back from a
// conversion.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KeyDriver.h"
#include "NuvKanaBufferState.h"
#include "NuvKanaInputState.h"
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

	bool BufferOnTop()
	{
		return dynamic_cast<NuvKanaBufferState*>(controler.State())
			!= nullptr;
	}

	TestControler	controler;
	KeyDriver		driver;
};


TEST_F(KanaBuffer, ReadingGrowsKeyByKeyAndSpaceLooksItUp)
{
	const char* const kPreedits[] = {
		"▽k", "▽か", "▽かn", "▽かんj", "▽かんじ" };
	const std::string keys = "Kanji";
	for (size_t i = 0; i < keys.size(); i++) {
		KeyStep step = driver.Press(keys[i]);
		EXPECT_EQ(step.preedit, kPreedits[i]) << i;
		EXPECT_EQ(step.confirmed, "");
		EXPECT_FALSE(step.passed);
	}
	EXPECT_EQ(controler.ShownMode(), MODE_HIRAKANA);

	KeyStep step = driver.Press(' ');
	EXPECT_EQ(step.result, INPUT_CONSUMED);
	EXPECT_EQ(step.preedit, "▼漢字");
	EXPECT_EQ(controler.CallsNamed("FindCandidates"),
		Log{"FindCandidates(かんじ)"});
	EXPECT_EQ(controler.CountStates(), 3);
}


TEST_F(KanaBuffer, OkuriPointShowsAtOnceAndTheCompleteKanaLooksUp)
{
	KeyStep step = driver.Type("OoK");
	EXPECT_EQ(step.preedit, "▽おお*k");
	EXPECT_TRUE(controler.CallsNamed("FindCandidates").empty());

	step = driver.Press('i');
	EXPECT_EQ(controler.CallsNamed("FindCandidates"),
		Log{"FindCandidates(おお*k,き)"});
	EXPECT_EQ(step.preedit, "▼大き");
}


TEST_F(KanaBuffer, OkuriLetterThatIsAKanaAtOnceLooksUpAtOnce)
{
	KeyStep step = driver.Type("OmoI");
	EXPECT_EQ(controler.CallsNamed("FindCandidates"),
		Log{"FindCandidates(おも*i,い)"});
	EXPECT_EQ(step.preedit, "▼思い");
}


TEST_F(KanaBuffer, FurtherUpperCaseLettersContinueTheOkurigana)
{
	EXPECT_EQ(driver.Type("TaT").preedit, "▽た*t");
	EXPECT_EQ(driver.Press('T').preedit, "▽た*っt");
	driver.Press('E');
	EXPECT_EQ(controler.CallsNamed("FindCandidates"),
		Log{"FindCandidates(た*t,って)"});
}


TEST_F(KanaBuffer, UpperCaseLetterOnAnEmptyReadingIsJustALetter)
{
	// "K" opens the reading, "Y" is still part of it: ky, then きゃ.
	EXPECT_EQ(driver.Type("KY").preedit, "▽ky");
	EXPECT_EQ(driver.Press('a').preedit, "▽きゃ");
}


TEST_F(KanaBuffer, BackspaceStepsBackOverLettersKanaAndTheOkuriPoint)
{
	driver.Type("OoK");
	EXPECT_EQ(driver.Press('\b').preedit, "▽おお");
	EXPECT_EQ(driver.Press('\b').preedit, "▽お");
	EXPECT_EQ(driver.Press('K').preedit, "▽お*k");

	driver.Press('\a');
	driver.Type("Ky");
	EXPECT_EQ(driver.Press('\b').preedit, "▽k");
	EXPECT_EQ(driver.Press('\b').preedit, "▽");
	KeyStep step = driver.Press('\b');
	EXPECT_EQ(step.result, INPUT_CONSUMED);
	EXPECT_EQ(step.preedit, "");
	EXPECT_FALSE(step.passed);
	EXPECT_EQ(controler.CountStates(), 1);
}


TEST_F(KanaBuffer, BackspaceInOkuriganaRemovesKanaThenThePoint)
{
	driver.Type("TaTT");
	EXPECT_EQ(driver.Press('\b').preedit, "▽た*っ");
	EXPECT_EQ(driver.Press('\b').preedit, "▽た");
}


TEST_F(KanaBuffer, SpaceOnAnEmptyReadingClosesItConfirmingNothing)
{
	// q is not a romaji letter: Q opens a reading that stays empty.
	EXPECT_EQ(driver.Press('Q').preedit, "▽");
	KeyStep step = driver.Press(' ');
	EXPECT_EQ(step.confirmed, "");
	EXPECT_EQ(step.preedit, "");
	EXPECT_EQ(controler.CountStates(), 1);
	EXPECT_TRUE(controler.CallsNamed("FindCandidates").empty());
}


TEST_F(KanaBuffer, ConfirmingKeysFlushAPendingNIntoTheReading)
{
	KeyStep step = driver.Type("Kan\n");
	EXPECT_EQ(step.confirmed, "かん");
	EXPECT_EQ(step.preedit, "");
	EXPECT_EQ(step.result, INPUT_CONSUMED);
	EXPECT_FALSE(step.passed);
	EXPECT_EQ(controler.CountStates(), 1);

	// Enter confirms and then reaches the state below, which passes it on.
	step = driver.Type("Kan\r");
	EXPECT_EQ(step.confirmed, "かん");
	// K and Enter each take two rounds.
	EXPECT_EQ(step.rounds, 6);
	EXPECT_EQ(step.result, INPUT_IGNORED);
	EXPECT_TRUE(step.passed);

	// q confirms in the other kana and leaves the mode alone.
	EXPECT_EQ(driver.Type("Kanq").confirmed, "カン");
	EXPECT_EQ(controler.ShownMode(), MODE_HIRAKANA);
	EXPECT_TRUE(controler.CallsNamed("FindCandidates").empty());
}


TEST_F(KanaBuffer, KatakanaModeShowsKatakanaButLooksUpHiragana)
{
	driver.Press('q');
	EXPECT_EQ(driver.Type("Kanji").preedit, "▽カンジ");
	EXPECT_EQ(controler.ShownMode(), MODE_KATAKANA);
	EXPECT_EQ(driver.Press(' ').preedit, "▼漢字");
	EXPECT_EQ(controler.CallsNamed("FindCandidates"),
		Log{"FindCandidates(かんじ)"});

	driver.Press('\a');
	EXPECT_EQ(driver.Press('\n').confirmed, "カンジ");
	EXPECT_EQ(driver.Type("Kanaq").confirmed, "かな");
	EXPECT_EQ(controler.ShownMode(), MODE_KATAKANA);
}


TEST_F(KanaBuffer, CancelDropsTheReading)
{
	driver.Type("Kanj");
	KeyStep step = driver.Press('\a');
	EXPECT_EQ(step.result, INPUT_CONSUMED);
	EXPECT_EQ(step.confirmed, "");
	EXPECT_EQ(step.preedit, "");
	EXPECT_FALSE(step.passed);
	EXPECT_EQ(driver.Press('a').confirmed, "あ");
}


TEST_F(KanaBuffer, CancelledConversionMergesTheOkuriganaIntoTheReading)
{
	driver.Type("OoKi");
	ASSERT_EQ(controler.CountStates(), 3);
	KeyStep step = driver.Press('\a');
	EXPECT_EQ(step.preedit, "▽おおき");
	EXPECT_TRUE(BufferOnTop());

	// The merged reading is an ordinary reading again.
	EXPECT_EQ(driver.Type("ku\n").confirmed, "おおきく");
}


TEST_F(KanaBuffer, ReadingWithoutCandidatesOpensRegistration)
{
	driver.Type("Zuzu ");
	EXPECT_EQ(controler.CallsNamed("ShowRegisters"),
		Log{"ShowRegisters(ずず)"});
	EXPECT_EQ(controler.Pending().substr(0, 2), "\xA1\xFA");	// ★
	EXPECT_EQ(controler.CountStates(), 3);

	driver.Press('\a');
	EXPECT_TRUE(BufferOnTop());
	EXPECT_EQ(controler.Pending(), "\xA2\xA6\xA4\xBA\xA4\xBA");	// ▽ずず
}


TEST_F(KanaBuffer, KeysOfNoMeaningAreSwallowed)
{
	driver.Type("Ka");
	for (int32_t character : {0x09, 0x1B, 0x8281E3, 0x31}) {
		KeyStep step = driver.Press(nuv_input(character));
		EXPECT_EQ(step.result, INPUT_IGNORED);
		EXPECT_FALSE(step.passed);
		EXPECT_EQ(step.preedit, "▽か");
	}
}


TEST_F(KanaBuffer, MultiByteCharacterIsNeverAnOkuriLetter)
{
	// A packed character whose value lies above the ASCII capitals.
	driver.Type("Ka");
	KeyStep step = driver.Press(nuv_input(0x8182E3));
	EXPECT_EQ(step.preedit, "▽か");
}


TEST_F(KanaBuffer, FlushAfterTheOkuriPointGoesIntoTheOkurigana)
{
	// Fault: a pending n after the okuri point was flushed into the reading
	// (よん*), so space looked up the key よんn, which no dictionary holds,
	// instead of よn with the okurigana ん.
	EXPECT_EQ(driver.Type("YoN").preedit, "▽よ*n");
	EXPECT_EQ(driver.Press(' ').preedit, "▼読ん");
	EXPECT_EQ(controler.CallsNamed("FindCandidates"),
		Log{"FindCandidates(よ*n,ん)"});
}


TEST_F(KanaBuffer, ConfirmingTheReadingKeepsTheOkuriganaShown)
{
	// Fault: C-j, Enter and q confirmed the reading alone, losing the kana
	// already typed after the okuri point that the preedit showed.
	EXPECT_EQ(driver.Type("TaTT").preedit, "▽た*っt");
	EXPECT_EQ(driver.Press('\n').confirmed, "たっ");
	EXPECT_EQ(driver.Type("YoN\n").confirmed, "よん");
	EXPECT_EQ(driver.Type("TaTTq").confirmed, "タッ");
}

}	// namespace
