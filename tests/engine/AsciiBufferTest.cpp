// The abbreviation buffer: an ASCII reading looked up through the
// dictionaries or confirmed in full-width letters.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KeyDriver.h"
#include "NuvAsciiBufferState.h"
#include "TestControler.h"

using nuv_test::KeyDriver;
using nuv_test::KeyStep;
using nuv_test::TestControler;

namespace {

class AsciiBuffer : public testing::Test {
protected:
	AsciiBuffer()
		:
		driver(controler)
	{
		EXPECT_TRUE(controler.ReadLargeDictionary(
			NUV_TEST_DATA_DIR "/engine/small.jisyo"));
	}

	TestControler	controler;
	KeyDriver		driver;
};


TEST_F(AsciiBuffer, PrintableCharactersJoinTheReadingAsTypedOthersAreSwallowed)
{
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


TEST_F(AsciiBuffer, SpaceLooksUpAndACancelledConversionShowsTheSameReading)
{
	EXPECT_EQ(driver.Type("/abc ").preedit, "▼ABC");
	EXPECT_EQ(controler.CallsNamed("FindCandidates"),
		std::vector<std::string>{"FindCandidates(abc)"});
	EXPECT_EQ(controler.ShownMode(), MODE_ABBREV);

	EXPECT_EQ(driver.Press('\a').preedit, "▽abc");
	EXPECT_EQ(controler.ShownMode(), MODE_ABBREV);
}


TEST_F(AsciiBuffer, ConfirmingKeysLeaveForTheStateBelow)
{
	KeyStep step = driver.Type("/Abc-1\x11");
	EXPECT_EQ(step.confirmed, "Ａｂｃ−１");
	EXPECT_EQ(step.preedit, "");
	EXPECT_EQ(controler.ShownMode(), MODE_HIRAKANA);

	step = driver.Type("/abc\n");
	EXPECT_EQ(step.confirmed, "abc");
	EXPECT_FALSE(step.passed);

	step = driver.Type("/abc\r");
	EXPECT_EQ(step.confirmed, "abc");
	EXPECT_TRUE(step.passed);
	EXPECT_EQ(controler.CountStates(), 1);
}


TEST_F(AsciiBuffer, EmptyReadingClosesOnSpaceAndBackspace)
{
	for (char key : {' ', '\b', '\a'}) {
		driver.Press('/');
		KeyStep step = driver.Press(key);
		EXPECT_EQ(step.preedit, "");
		EXPECT_FALSE(step.passed);
		EXPECT_EQ(controler.CountStates(), 1);
		EXPECT_EQ(controler.ShownMode(), MODE_HIRAKANA);
	}
	EXPECT_TRUE(controler.CallsNamed("FindCandidates").empty());
}

}	// namespace
