// The reading buffers: the kana reading with its okuri point and look-up,
// the abbreviation reading, editing and confirming them unchanged. The full
// conversion journeys are in ConvertTest.cpp and its neighbours.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KeyDriver.h"
#include "TestControler.h"

using nuv_test::KeyDriver;
using nuv_test::KeyStep;
using nuv_test::TestControler;

namespace {

typedef std::vector<std::string> Log;


class Buffer : public testing::Test {
protected:
	Buffer() : driver(controler)
	{
		EXPECT_TRUE(controler.ReadLargeDictionary(
			NUV_TEST_DATA_DIR "/engine/small.jisyo"));
	}

	Log Lookups() { return controler.CallsNamed("FindCandidates"); }

	TestControler	controler;
	KeyDriver		driver;
};


TEST_F(Buffer, CapitalsBeforeTheReadingAndAfterTheOkuriPointAreLetters)
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


TEST_F(Buffer, BackspaceStepsBackOverLettersKanaAndTheOkuriPoint)
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


TEST_F(Buffer, EmptyReadingClosesOnSpaceBackspaceAndCancel)
{
	// q is no romaji letter: Q opens a kana reading that stays empty.
	for (const char* keys : {"Q ", "/ ", "/\b", "/\a"}) {
		KeyStep step = driver.Type(keys);
		EXPECT_EQ(step.confirmed, "") << keys;
		EXPECT_EQ(step.preedit, "") << keys;
		EXPECT_FALSE(step.passed) << keys;
		EXPECT_EQ(controler.CountStates(), 1) << keys;
		EXPECT_EQ(controler.ShownMode(), MODE_HIRAKANA) << keys;
	}
	EXPECT_TRUE(Lookups().empty());
}


TEST_F(Buffer, ReadingsConfirmUnchangedWithWhatTheyShow)
{
	// Control-J confirms; Enter confirms and then reaches the state below,
	// which passes it on; q confirms in the other kana and control-Q the
	// abbreviation in full width, leaving the mode alone. A pending n is
	// flushed first. Fault: the kana typed after the okuri point, which the
	// preedit showed, were lost.
	const struct {
		const char*	keys;
		const char*	confirmed;
		bool		passed;
	} kConfirmations[] = {
		{ "Kan\n", "かん", false }, { "Kan\r", "かん", true },
		{ "Kanq", "カン", false }, { "TaTT\n", "たっ", false },
		{ "YoN\n", "よん", false }, { "TaTTq", "タッ", false },
		{ "/Abc-1\x11", "Ａｂｃ−１", false }, { "/abc\n", "abc", false },
		{ "/abc\r", "abc", true },
	};
	for (const auto& c : kConfirmations) {
		KeyStep step = driver.Type(c.keys);
		EXPECT_EQ(step.confirmed, c.confirmed) << c.keys;
		EXPECT_EQ(step.preedit, "") << c.keys;
		EXPECT_EQ(step.passed, c.passed) << c.keys;
		EXPECT_EQ(controler.CountStates(), 1) << c.keys;
		EXPECT_EQ(controler.ShownMode(), MODE_HIRAKANA) << c.keys;
	}
	EXPECT_TRUE(Lookups().empty());
}


TEST_F(Buffer, KeysOfNoMeaningAreSwallowed)
{
	// Tab, Escape's code, a digit, and packed multi-byte characters, which
	// are never taken for capitals.
	driver.Type("Ka");
	for (int32_t character : {0x09, 0x1B, 0x31, 0x8281E3, 0x8182E3}) {
		KeyStep step = driver.Press(nuv_input(character));
		EXPECT_EQ(step.result, INPUT_IGNORED);
		EXPECT_FALSE(step.passed);
		EXPECT_EQ(step.preedit, "▽か");
	}
	driver.Press('\a');

	// The abbreviation reading takes printable characters as typed.
	driver.Press('/');
	EXPECT_EQ(driver.Type("aB-1/q").preedit, "▽aB-1/q");
	for (int32_t character : {0x09, 0x1B, 0x80, 0xA4, 0x8281E3}) {
		KeyStep step = driver.Press(nuv_input(character));
		EXPECT_EQ(step.result, INPUT_IGNORED);
		EXPECT_FALSE(step.passed);
	}
	EXPECT_EQ(controler.Pending(), "\xA2\xA6" "aB-1/q");
	EXPECT_EQ(driver.Press('\b').preedit, "▽aB-1/");
}


TEST_F(Buffer, FlushAfterTheOkuriPointGoesIntoTheOkurigana)
{
	// Fault: a pending n after the okuri point was flushed into the reading
	// (よん*), so space looked up the key よんn, which no dictionary holds,
	// instead of よn with the okurigana ん.
	EXPECT_EQ(driver.Type("YoN").preedit, "▽よ*n");
	EXPECT_EQ(driver.Press(' ').preedit, "▼読ん");
	EXPECT_EQ(Lookups(), Log{"FindCandidates(よ*n,ん)"});
}

}	// namespace
