// Candidate selection: the preedit candidates, the pages of the palette,
// confirming and learning, and the ways out of a conversion.
#include <string>
#include <vector>

#include "ConversionFixture.h"

using namespace nuv_test;

namespace {

typedef std::vector<std::string> Words;

}	// namespace


TEST_F(ConversionTest, KanjiSpaceEnterConfirmsAndEnterReachesTheStateBelow)
{
	EXPECT_EQ(driver.Press('K').preedit, "▽k");
	EXPECT_EQ(driver.Press('a').preedit, "▽か");
	EXPECT_EQ(driver.Press('n').preedit, "▽かn");
	EXPECT_EQ(driver.Press('j').preedit, "▽かんj");
	EXPECT_EQ(driver.Press('i').preedit, "▽かんじ");

	KeyStep step = driver.Press(' ');
	EXPECT_EQ(step.preedit, "▼漢字");
	EXPECT_EQ(step.confirmed, "");
	EXPECT_TRUE(controler.ShownCandidates().empty());

	controler.TakeCalls();
	step = driver.Press(kEnter);
	EXPECT_EQ(step.confirmed, "漢字");
	EXPECT_EQ(step.preedit, "");
	// confirmed, then the same Enter goes to the direct input state, which
	// lets it through to the application
	EXPECT_EQ(step.rounds, 2);
	EXPECT_TRUE(step.passed);
	EXPECT_EQ(controler.CountStates(), 1);
	EXPECT_EQ(controler.CallsNamed("InsertCandidate"),
		Words({"InsertCandidate(かんじ=漢字)"}));
	EXPECT_EQ(controler.ShownMode(), MODE_HIRAKANA);
}


TEST_F(ConversionTest, OkuriganaLooksUpAsSoonAsItsKanaIsComplete)
{
	EXPECT_EQ(driver.Type("Oo").preedit, "▽おお");
	EXPECT_EQ(driver.Press('K').preedit, "▽おお*k");
	controler.TakeCalls();
	EXPECT_EQ(driver.Press('i').preedit, "▼大き");
	EXPECT_EQ(controler.CallsNamed("FindCandidates"),
		Words({"FindCandidates(おお*k,き)"}));

	EXPECT_EQ(driver.Press(' ').preedit, "▼多き");
	KeyStep step = driver.Press(kConfirm);
	EXPECT_EQ(step.confirmed, "多き");
	EXPECT_FALSE(step.passed);
	EXPECT_EQ(controler.CallsNamed("InsertCandidate"),
		Words({"InsertCandidate(おお*k,き=多)"}));

	// learned under the okurigana: first next time
	EXPECT_EQ(driver.Type("OoKi").preedit, "▼多き");
}


TEST_F(ConversionTest, KeysWithoutMeaningInAConversionAreSwallowed)
{
	driver.Type("Kanji ");
	for (int32_t key : {0x01, 0x09, 0x1b, 0x7f, 0x8281e3}) {
		KeyStep step = driver.Press(nuv_input(key));
		EXPECT_EQ(step.result, INPUT_IGNORED) << key;
		EXPECT_FALSE(step.passed) << key;
		EXPECT_EQ(step.preedit, "▼漢字") << key;
	}

	// on a page only selection and stepping keys do anything
	driver.Press(kCancel);
	driver.Type("\b\b\b\bJuuni     ");
	controler.TakeCalls();
	for (char key : std::string("X\n\rbq1-")) {
		KeyStep step = driver.Press(key);
		EXPECT_EQ(step.result, INPUT_IGNORED) << int(key);
		EXPECT_EQ(step.confirmed, "") << int(key);
		EXPECT_EQ(step.preedit, "▼") << int(key);
	}
	EXPECT_TRUE(controler.CallsNamed("InsertCandidate").empty());
	EXPECT_TRUE(controler.CallsNamed("ShowPurge").empty());
	EXPECT_EQ(controler.ShownRemaining(), 1);
}


TEST_F(ConversionTest, PageShowsTheOkuriganaAndConfirmsWithIt)
{
	controler.SetLargeDictionary(
		"かk /掛/欠/書/駈/掻/賭/翔/架/懸/駆/舁/描/\n");
	driver.Type("KaKu");
	EXPECT_EQ(driver.Type("    ").preedit, "▼く");
	EXPECT_EQ(controler.ShownCandidates().size(), 7u);
	EXPECT_EQ(controler.ShownRemaining(), 1);
	EXPECT_EQ(driver.Press('d').confirmed, "翔く");
	EXPECT_EQ(controler.CallsNamed("InsertCandidate").back(),
		"InsertCandidate(か*k,く=翔)");
}


TEST_F(ConversionTest, PrintableKeyConfirmsThePreeditCandidateAndStartsAgain)
{
	driver.Type("Kanji  ");
	KeyStep step = driver.Press('k');
	EXPECT_EQ(step.confirmed, "感じ");
	EXPECT_EQ(step.preedit, "k");
	EXPECT_EQ(step.rounds, 2);
	EXPECT_EQ(driver.Press('a').confirmed, "か");

	// an upper-case letter confirms and opens the next reading
	driver.Type("Kanji ");
	step = driver.Press('K');
	EXPECT_EQ(step.confirmed, "感じ");
	EXPECT_EQ(step.preedit, "▽k");
}


TEST_F(ConversionTest, BackspaceOnAPreeditCandidateEntersItLessItsLastCharacter)
{
	// Fault mended: backspace must shorten only the candidate it confirms,
	// at every preedit position, and must not read past the candidates.
	const Words shortened({"漢", "感", "幹", "監"});
	for (int i = 0; i < 4; i++) {
		driver.Type("Kanji ");
		for (int step = 0; step < i; step++)
			driver.Press(' ');
		controler.TakeCalls();
		KeyStep step = driver.Press(kBackspace);
		EXPECT_EQ(step.confirmed, shortened[i]) << i;
		EXPECT_EQ(step.preedit, "") << i;
		EXPECT_EQ(controler.CountStates(), 1);
		// the whole candidate is learned
		EXPECT_EQ(controler.CallsNamed("InsertCandidate").size(), 1u);
	}

	// with okurigana the okurigana is what goes
	driver.Type("OoKi");
	EXPECT_EQ(driver.Press(kBackspace).confirmed, "大");

	// one-character candidate: nothing is entered, but it is learned
	driver.Type("Ki ");
	controler.TakeCalls();
	KeyStep step = driver.Press(kBackspace);
	EXPECT_EQ(step.confirmed, "");
	EXPECT_EQ(controler.CallsNamed("InsertCandidate"),
		Words({"InsertCandidate(き=木)"}));

	// on a page backspace does nothing
	driver.Type("Kanji     ");
	step = driver.Press(kBackspace);
	EXPECT_EQ(step.preedit, "▼");
	EXPECT_EQ(step.confirmed, "");
	EXPECT_EQ(controler.ShownCandidates(), Words({"莞爾"}));
}
