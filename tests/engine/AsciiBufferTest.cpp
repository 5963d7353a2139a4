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

typedef std::vector<std::string> Log;


class AsciiBuffer : public testing::Test {
protected:
	AsciiBuffer()
		:
		driver(controler)
	{
		EXPECT_TRUE(controler.ReadLargeDictionary(
			NUV_TEST_DATA_DIR "/engine/small.jisyo"));
	}

	bool BufferOnTop()
	{
		return dynamic_cast<NuvAsciiBufferState*>(controler.State())
			!= nullptr;
	}

	TestControler	controler;
	KeyDriver		driver;
};


TEST_F(AsciiBuffer, PrintableCharactersJoinTheReadingAsTyped)
{
	driver.Press('/');
	EXPECT_EQ(controler.ShownMode(), MODE_ABBREV);
	KeyStep step = driver.Type("aB-1/q");
	EXPECT_EQ(step.preedit, "▽aB-1/q");
	EXPECT_EQ(step.confirmed, "");

	for (int32_t character : {0x09, 0x1B, 0x8281E3, 0x80, 0xA4}) {
		step = driver.Press(nuv_input(character));
		EXPECT_EQ(step.result, INPUT_IGNORED);
		EXPECT_FALSE(step.passed);
	}
	EXPECT_EQ(controler.Pending(), "\xA2\xA6" "aB-1/q");
}


TEST_F(AsciiBuffer, SpaceLooksTheReadingUpAndCancelComesBackToIt)
{
	KeyStep step = driver.Type("/abc ");
	EXPECT_EQ(controler.CallsNamed("FindCandidates"),
		Log{"FindCandidates(abc)"});
	EXPECT_EQ(step.preedit, "▼ABC");
	EXPECT_EQ(controler.ShownMode(), MODE_ABBREV);

	step = driver.Press('\a');
	EXPECT_EQ(step.preedit, "▽abc");
	EXPECT_TRUE(BufferOnTop());
	EXPECT_EQ(controler.ShownMode(), MODE_ABBREV);
}


TEST_F(AsciiBuffer, ZeneiConfirmGivesFullWidthAndLeaves)
{
	KeyStep step = driver.Type("/Abc-1\x11");
	EXPECT_EQ(step.confirmed, "Ａｂｃ−１");
	EXPECT_EQ(step.preedit, "");
	EXPECT_EQ(controler.CountStates(), 1);
	EXPECT_EQ(controler.ShownMode(), MODE_HIRAKANA);
	EXPECT_EQ(driver.Type("ka").confirmed, "か");
}


TEST_F(AsciiBuffer, EnterConfirmsAndPassesOnWhileControlJOnlyConfirms)
{
	KeyStep step = driver.Type("/abc\r");
	EXPECT_EQ(step.confirmed, "abc");
	EXPECT_EQ(step.result, INPUT_IGNORED);
	EXPECT_TRUE(step.passed);

	step = driver.Type("/abc\n");
	EXPECT_EQ(step.confirmed, "abc");
	EXPECT_EQ(step.result, INPUT_CONSUMED);
	EXPECT_FALSE(step.passed);
	EXPECT_EQ(controler.ShownMode(), MODE_HIRAKANA);
}


TEST_F(AsciiBuffer, EmptyReadingClosesOnSpaceAndBackspace)
{
	driver.Press('/');
	KeyStep step = driver.Press(' ');
	EXPECT_EQ(step.preedit, "");
	EXPECT_EQ(controler.CountStates(), 1);
	EXPECT_TRUE(controler.CallsNamed("FindCandidates").empty());

	driver.Type("/ab");
	EXPECT_EQ(driver.Press('\b').preedit, "▽a");
	EXPECT_EQ(driver.Press('\b').preedit, "▽");
	step = driver.Press('\b');
	EXPECT_EQ(step.preedit, "");
	EXPECT_FALSE(step.passed);
	EXPECT_EQ(controler.CountStates(), 1);
	EXPECT_EQ(controler.ShownMode(), MODE_HIRAKANA);

	driver.Type("/ab");
	step = driver.Press('\a');
	EXPECT_EQ(step.confirmed, "");
	EXPECT_EQ(controler.CountStates(), 1);
}


TEST_F(AsciiBuffer, ReadingWithoutCandidatesOpensRegistration)
{
	driver.Type("/xyz ");
	EXPECT_EQ(controler.CallsNamed("ShowRegisters"),
		Log{"ShowRegisters(xyz)"});
	driver.Press('\a');
	EXPECT_EQ(controler.Pending(), "\xA2\xA6" "xyz");
}

}	// namespace
