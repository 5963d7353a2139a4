// Controllers destroyed with conversions, registrations and prompts still
// open, and candidate indices at the edges.
#include <memory>
#include <string>
#include <vector>

#include "ConversionFixture.h"
#include "NuvControler.h"
#include "NuvConvertState.h"

using namespace nuv_test;

namespace {


// Its hooks write into storage that its destructor frees, as a platform
// controller's palettes are gone once its destructor has run.
class FragileControler : public TestControler {
public:
	explicit FragileControler(bool clearFirst) : fClearFirst(clearFirst)
		{ SetLargeDictionary(ConversionDictionary()); }

	virtual ~FragileControler()
	{
		const size_t before = fLog->size();
		if (fClearFirst)
			ClearState(0);
		leaving.assign(fLog->begin() + before, fLog->end());
		fLog.reset();
	}

	virtual void SetMode(nuv_mode) { fLog->push_back("SetMode"); }
	virtual void ShowCandidates(const nuv_candidate*, const nuv_candidate*,
		int) { fLog->push_back("ShowCandidates"); }
	virtual void HideCandidates() { fLog->push_back("HideCandidates"); }
	virtual void ShowRegisters(const nuv_candidate*, const nuv_candidate*)
		{ fLog->push_back("ShowRegisters"); }
	virtual void HideRegisters() { fLog->push_back("HideRegisters"); }
	virtual void ShowPurge(const nuv_candidate&)
		{ fLog->push_back("ShowPurge"); }
	virtual void HidePurge() { fLog->push_back("HidePurge"); }

	// The hooks called by the subclass's own ClearState(0).
	static inline Words leaving;

private:
	std::unique_ptr<Words> fLog = std::make_unique<Words>();
	bool fClearFirst;
};


// Where a conversion stands: a preedit candidate ("▼c2", no page shown) or
// a page ("c4..c10;1": first word, last word, count left).
std::string
Position(const std::string& preedit, const TestControler& controler)
{
	const Words& page = controler.ShownCandidates();
	if (preedit != "▼")
		return preedit + (page.empty() ? "" : " and a page");
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
		positions.push_back("▼c" + std::to_string(i));
	for (int start = 4; start < count; start += 7) {
		const int last = std::min(start + 7, count) - 1;
		positions.push_back("c" + std::to_string(start) + "..c"
			+ std::to_string(last) + ";" + std::to_string(count - last - 1));
	}
	return positions;
}

}	// namespace


TEST(ConversionLifetime, StatesLeavingWithTheBaseNeverReachTheSubclassHooks)
{
	// Fault mended: the base destructor deleted the states once the
	// subclass was gone, so their hooks (Disabled(), the registration and
	// purge states' destructors, a nested controller's fresh state) reached
	// pure virtual functions and freed storage; a nested registration tears
	// down through its current controller, never a stale copy. A subclass
	// that clears its own stack first sees its palettes hidden, the chain
	// once rather than shown shorter first.
	const struct {
		const char*	keys;
		Words		leaving;
	} kOpenings[] = {
		{ "Kanji ", {"HideCandidates"} }, { "Kanji x", {} },
		{ "Kanji X", {"HidePurge"} }, { "Kanji     ", {"HideCandidates"} },
		{ "Kiyosi Yosi Juuni     ", {"HideCandidates", "HideRegisters"} },
		{ "Kiyosi Yosi Kanji X", {"HidePurge", "HideRegisters"} },
		{ "Ki  ", {"HideRegisters"} }, { "Kiyosi Yosi Ho ab", {"HideRegisters"} },
	};
	for (const auto& opening : kOpenings) {
		for (bool clearFirst : {false, true}) {
			{
				FragileControler controler(clearFirst);
				KeyDriver(controler).Type(opening.keys);
				ASSERT_GT(controler.CountStates(), 1) << opening.keys;
			}
			EXPECT_EQ(FragileControler::leaving,
				clearFirst ? opening.leaving : Words()) << opening.keys;
		}
	}
}


TEST(ConversionLifetime, PagesAreSteppedAndPickedFromWithinTheCandidates)
{
	// Fault mended: paging reached past the candidates. Every count from 1
	// to 26 is walked to the end and back, beside a model of the pages.
	for (int count = 1; count <= 26; count++) {
		// The candidates c0, c1, … for ぺーじ.
		std::string line = "ぺーじ /";
		for (int i = 0; i < count; i++)
			line += "c" + std::to_string(i) + "/";
		TestControler controler;
		controler.SetLargeDictionary(line + "\n");
		KeyDriver driver(controler);
		driver.Type("Pe-ji");

		// The positions from `step` on, `key` after `key`, up to `end`.
		auto walk = [&](KeyStep step, char key, const std::string& end) {
			Words positions;
			while (step.preedit != end && positions.size() < 40) {
				positions.push_back(Position(step.preedit, controler));
				step = driver.Press(key);
			}
			return positions;
		};
		const Words model = ModelPositions(count);
		EXPECT_EQ(walk(driver.Press(' '), ' ', "★|"), model) << count;
		EXPECT_EQ(controler.ShownRegisters(), Words({"ぺーじ=c0"}));
		EXPECT_EQ(walk(driver.Press(kCancel), 'x', "▽ぺーじ"),
			Words(model.rbegin(), model.rend())) << count;
		EXPECT_TRUE(controler.ShownCandidates().empty()) << count;

		// Fault mended: a key past the last candidate of a short page picked
		// a record beyond them. The page's last key (either case) picks and
		// learns its candidate.
		const int onPage = std::min(count - 4, 7);
		if (onPage < 1)
			continue;
		const char* keys = "asdfjkl";
		driver.Type("     ");
		for (int i = onPage; i < 7; i++) {
			EXPECT_TRUE(Did(driver.Press(keys[i]), kSwallowed, "", "▼"))
				<< count << keys[i];
		}
		EXPECT_TRUE(controler.CallsNamed("InsertCandidate").empty());
		const std::string word = "c" + std::to_string(3 + onPage);
		const char key = keys[onPage - 1] - (count % 2 ? 'a' - 'A' : 0);
		EXPECT_TRUE(Did(driver.Press(key), kConsumed, word, "")) << key;
		EXPECT_EQ(driver.Type("Pe-ji ").preedit, "▼" + word) << key;
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
			NuvCandidateList()));
		EXPECT_EQ(controler.Pending(), Utf8ToEuc("▼"));
		for (char other : {'a', 'X', kConfirm, kEnter, kBackspace})
			driver.Press(other);
		EXPECT_EQ(controler.CountStates(), 2) << int(key);
		driver.Press(key);
		EXPECT_EQ(controler.CountStates(), 1) << int(key);
	}
}
