// States that remove themselves, controllers destroyed with conversions,
// registrations and prompts still open, and candidate indices at the edges.
#include <memory>
#include <string>
#include <vector>

#include "ConversionFixture.h"
#include "NuvConvertState.h"

using namespace nuv_test;

namespace {

typedef std::vector<std::string> Words;


struct SelfRemoval {
	const char*	setup;
	char		key;
	int32_t		depth;		// states left on the stack
	const char*	preedit;
};


// A test controller that empties its stack in its own destructor, while its
// hooks still work, and keeps what they saw.
class ClearingControler : public TestControler {
public:
	ClearingControler(std::vector<std::string>& seen)
		:
		fSeen(seen)
	{
	}

	virtual ~ClearingControler()
	{
		TakeCalls();
		ClearState(0);
		fSeen = Calls();
		fSeen.push_back(ShownCandidates().empty() ? "no page" : "page");
		fSeen.push_back(ShownPurge().empty() ? "no prompt" : "prompt");
		fSeen.push_back(ShownRegisters().empty() ? "no chain" : "chain");
	}

private:
	std::vector<std::string>& fSeen;
};


// Where a conversion over `count` candidates stands: a preedit candidate
// ("c2") or a page ("c4..c10;1", first word, last word, count left).
std::string
Position(const std::string& preedit, const TestControler& controler)
{
	if (preedit.compare(0, 3, "▼") != 0)
		return preedit;
	if (preedit.size() > 3)
		return preedit.substr(3);
	const Words& page = controler.ShownCandidates();
	if (page.empty())
		return "empty page";
	return page.front() + ".." + page.back() + ";"
		+ std::to_string(controler.ShownRemaining());
}


// The same positions from the counting rule alone: four candidates one by
// one, then pages of seven.
std::vector<std::string>
ModelPositions(int count)
{
	std::vector<std::string> positions;
	for (int i = 0; i < count && i < 4; i++)
		positions.push_back("c" + std::to_string(i));
	for (int start = 4; start < count; start += 7) {
		const int last = std::min(start + 7, count) - 1;
		positions.push_back("c" + std::to_string(start) + "..c"
			+ std::to_string(last) + ";"
			+ std::to_string(count - last - 1));
	}
	return positions;
}

}	// namespace


TEST_F(ConversionTest, StatesThatRemoveThemselvesLeaveTheStackWhole)
{
	// Fault mended: a state that pops or clears itself is deleted at once;
	// it must return without touching its members (the address sanitizer
	// reports any such touch on these paths).
	const SelfRemoval cases[] = {
		{"Kanji ", 'x', 2, "▽かんじ"},
		{"Kanji ", kCancel, 2, "▽かんじ"},
		{"Kanji ", kConfirm, 1, ""},
		{"Kanji ", kEnter, 1, ""},
		{"Kanji ", kBackspace, 1, ""},
		{"Kanji ", 'b', 1, "b"},
		{"Kanji     ", 'a', 1, ""},
		{"Ki ", ' ', 4, "★|"},
		{"Kiyosi ", kCancel, 2, "▽きよし"},
		{"Kiyosi ", kEnter, 2, "▽きよし"},
		{"Kiyosi a", kEnter, 1, ""},
		{"Kiyosi Yosi ", kCancel, 3, "★▽よし|"},
		{"Kiyosi Yosi a", kEnter, 3, "★あ|"},
		{"Kanji X", 'y', 1, ""},
		{"Kanji X", 'n', 1, ""},
		{"Kanji X", kCancel, 1, ""},
		{"Kiyosi Kanji X", 'y', 3, "★|"},
	};
	for (const SelfRemoval& c : cases) {
		TestControler controler;
		controler.SetLargeDictionary(ConversionDictionary());
		KeyDriver driver(controler);
		driver.Type(c.setup);
		EXPECT_EQ(driver.Press(c.key).preedit, c.preedit)
			<< c.setup << " + " << int(c.key);
		EXPECT_EQ(controler.CountStates(), c.depth)
			<< c.setup << " + " << int(c.key);
	}
}


TEST(ConversionLifetime, ControlerDestroyedWithEverythingOpenReachesNoHook)
{
	// Fault mended: a controller destroyed with conversion, registration and
	// purge states on its stack must not reach its own hooks once they are
	// gone; a nested registration forwards its teardown outwards through the
	// controller its state stands on at that moment, never a stale copy.
	const char* setups[] = {
		"Kanji     ",
		"Kanji X",
		"Kiyosi Yosi Juuni     ",
		"Kiyosi Yosi Kanji X",
		"Kiyosi Yosi Ho ab",
	};
	for (const char* setup : setups) {
		std::unique_ptr<TestControler> controler(new TestControler);
		controler->SetLargeDictionary(ConversionDictionary());
		KeyDriver driver(*controler);
		driver.Type(setup);
		ASSERT_GT(controler->CountStates(), 2) << setup;
		// a hook call reaching the destroyed subclass would be a pure
		// virtual call or a use of freed memory
		controler.reset();
	}
}


TEST(ConversionLifetime, ClearingFirstHidesEveryPaletteOnTheWayOut)
{
	std::vector<std::string> seen;
	{
		ClearingControler controler(seen);
		controler.SetLargeDictionary(ConversionDictionary());
		KeyDriver driver(controler);
		driver.Type("Kiyosi Yosi Juuni     ");
		ASSERT_FALSE(controler.ShownCandidates().empty());
		ASSERT_EQ(controler.ShownRegisters(), Words({"きよし", "よし"}));
	}
	// the inner level leaves with the outer one: the chain is hidden once,
	// not shown shorter first
	EXPECT_EQ(seen, Words({"HideCandidates()", "HideRegisters()", "no page",
		"no prompt", "no chain"}));

	{
		ClearingControler controler(seen);
		controler.SetLargeDictionary(ConversionDictionary());
		KeyDriver driver(controler);
		driver.Type("Kiyosi Kanji X");
		ASSERT_FALSE(controler.ShownPurge().empty());
	}
	EXPECT_EQ(seen, Words({"HidePurge()", "HideRegisters()", "no page",
		"no prompt", "no chain"}));
}


TEST_F(ConversionTest, RegisteringWhileTheNestedEngineShowsAPageHidesIt)
{
	driver.Type("Kiyosi ka");
	driver.Type("Juuni     ");
	EXPECT_EQ(controler.ShownRemaining(), 1);
	KeyStep step = driver.Press(kEnter);
	EXPECT_EQ(step.confirmed, "か");
	EXPECT_TRUE(controler.ShownCandidates().empty());

	driver.Type("Yosi ka");
	driver.Type("Kanji X");
	EXPECT_FALSE(controler.ShownPurge().empty());
	EXPECT_EQ(driver.Press(kEnter).confirmed, "か");
	EXPECT_TRUE(controler.ShownPurge().empty());
	EXPECT_TRUE(controler.ShownRegisters().empty());
}


TEST(ConversionLifetime, SteppingWalksThePagesOfTheCountingRuleBothWays)
{
	// Fault mended: paging at the edges and short last pages must never
	// reach past the candidates. Every count from 1 to 26 is walked to the
	// end and back, beside a model of the pages.
	for (int count = 1; count <= 26; count++) {
		std::string line = "ぺーじ /";
		for (int i = 0; i < count; i++)
			line += "c" + std::to_string(i) + "/";
		TestControler controler;
		controler.SetLargeDictionary(line + "\n");
		KeyDriver driver(controler);
		driver.Type("Pe-ji");

		std::vector<std::string> forward;
		KeyStep step = driver.Press(' ');
		while (step.preedit != "★|" && forward.size() < 40) {
			forward.push_back(Position(step.preedit, controler));
			step = driver.Press(' ');
		}
		EXPECT_EQ(forward, ModelPositions(count)) << count;
		EXPECT_EQ(controler.ShownRegisters(), Words({"ぺーじ=c0"}));

		std::vector<std::string> backward;
		step = driver.Press(kCancel);
		while (step.preedit != "▽ぺーじ" && backward.size() < 40) {
			backward.push_back(Position(step.preedit, controler));
			step = driver.Press('x');
		}
		std::vector<std::string> model = ModelPositions(count);
		EXPECT_EQ(backward, Words(model.rbegin(), model.rend())) << count;
		EXPECT_TRUE(controler.ShownCandidates().empty()) << count;
	}
}


TEST(ConversionLifetime, SelectionKeysBeyondAShortPageDoNothing)
{
	// Fault mended: a selection key past the last candidate of a short page
	// must not pick a record beyond the end of the candidates.
	const char* keys = "asdfjkl";
	for (int onPage = 1; onPage < 7; onPage++) {
		std::string line = "ぺーじ /";
		for (int i = 0; i < 4 + onPage; i++)
			line += "c" + std::to_string(i) + "/";
		TestControler controler;
		controler.SetLargeDictionary(line + "\n");
		KeyDriver driver(controler);
		driver.Type("Pe-ji     ");
		for (int i = onPage; i < 7; i++) {
			KeyStep step = driver.Press(keys[i]);
			EXPECT_EQ(step.result, INPUT_IGNORED) << onPage << keys[i];
			EXPECT_EQ(step.confirmed, "") << onPage << keys[i];
		}
		EXPECT_TRUE(controler.CallsNamed("InsertCandidate").empty());
		EXPECT_EQ(driver.Press(keys[onPage - 1]).confirmed,
			"c" + std::to_string(3 + onPage));
	}
}


TEST(ConversionLifetime, ConversionWithoutCandidatesCanOnlyLeave)
{
	// Built with no candidates (a caller's mistake), the state shows its
	// marker alone and every step leaves it rather than reading a record.
	for (char key : {' ', 'x', kCancel}) {
		TestControler controler;
		KeyDriver driver(controler);
		controler.PushState(new NuvConvertState(&controler,
			std::vector<nuv_candidate>()));
		EXPECT_EQ(controler.Pending(), Utf8ToEuc("▼"));
		for (char other : {'a', 'X', kConfirm, kEnter, kBackspace})
			driver.Press(other);
		EXPECT_EQ(controler.CountStates(), 2) << int(key);
		driver.Press(key);
		EXPECT_EQ(controler.CountStates(), 1) << int(key);
	}
}
