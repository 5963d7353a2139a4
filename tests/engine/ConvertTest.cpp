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


TEST_F(ConversionTest, FiveElevenAndTwelveCandidatesPageForwardAndBack)
{
	// Four candidates in the preedit, then pages of seven; typed one row
	// after another.
	const struct {
		const char*	keys;
		const char*	confirmed;
		const char*	preedit;
		Words		page;
		int			remaining;
	} kSteps[] = {
		{ "Kanji ", "", "▼漢字", {}, 0 },
		{ " ", "", "▼感じ", {}, 0 },
		{ "  ", "", "▼監事", {}, 0 },
		{ " ", "", "▼", {"莞爾"}, 0 },
		{ "A", "莞爾", "", {}, 0 },
		{ "Juuni    ", "", "▼卯", {}, 0 },
		{ " ", "", "▼", {"辰", "巳", "午", "未", "申", "酉", "戌"}, 1 },
		{ " ", "", "▼", {"亥"}, 0 },
		{ "x", "", "▼", {"辰", "巳", "午", "未", "申", "酉", "戌"}, 1 },
		{ "x", "", "▼卯", {}, 0 },
		{ "xxx", "", "▼子", {}, 0 },
		{ "x", "", "▽じゅうに", {}, 0 },
		{ "\b\b\b\b\b", "", "", {}, 0 },
		{ "Juuiti     ", "", "▼", {"伍", "六", "七", "八", "九", "拾", "百"},
			0 },
		// the full page has nowhere to go but registration
		{ " ", "", "★|", {}, 0 },
	};
	for (const auto& row : kSteps) {
		KeyStep step = driver.Type(row.keys);
		EXPECT_EQ(step.confirmed, row.confirmed) << row.keys;
		EXPECT_EQ(step.preedit, row.preedit) << row.keys;
		EXPECT_EQ(controler.ShownCandidates(), row.page) << row.keys;
		EXPECT_EQ(controler.ShownRemaining(), row.remaining) << row.keys;
	}
	EXPECT_EQ(controler.ShownRegisters(), Words({"じゅういち=壱"}));
}


TEST(Conversion, SelectionKeysPickFromThePageInEitherCase)
{
	const char* keys = "asdfjkl";
	const Words page({"辰", "巳", "午", "未", "申", "酉", "戌"});
	for (int i = 0; i < 7; i++) {
		for (char key : {keys[i], char(keys[i] - 'a' + 'A')}) {
			TestControler controler;
			controler.SetLargeDictionary(ConversionDictionary());
			KeyDriver driver(controler);
			driver.Type("Juuni     ");
			KeyStep step = driver.Press(key);
			EXPECT_EQ(step.confirmed, page[i]) << key;
			EXPECT_EQ(step.preedit, "") << key;
			EXPECT_EQ(step.result, INPUT_CONSUMED) << key;
			// learned, and so first next time
			EXPECT_EQ(driver.Type("Juuni ").preedit, "▼" + page[i]) << key;
		}
	}
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
