// A controller destroyed while states that reach hooks as they leave are
// still on its stack.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "KeyDriver.h"
#include "NuvControler.h"
#include "TestControler.h"

using nuv_test::KeyDriver;
using nuv_test::TestControler;

namespace {

typedef std::vector<std::string> Log;


// Its hooks write into storage that its destructor frees, as a platform
// controller's palettes are gone once its destructor has run. It types and
// looks up through an inner test controller whose hooks it never uses.
class FragileControler : public NuvControler {
public:
	explicit FragileControler(bool clearFirst)
		: fLog(new Log), fClearFirst(clearFirst)
	{
		fInner.SetLargeDictionary("かんじ /漢字/感じ/\n");
	}

	virtual ~FragileControler()
	{
		if (fClearFirst)
			ClearState(0);
		seenAtEnd = *fLog;
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
	virtual NuvInteractiveConverter* Converter(nuv_mode mode)
		{ return fInner.Converter(mode); }
	virtual void FindCandidates(const nuv_candidate& query,
		std::vector<nuv_candidate>& out)
		{ fInner.FindCandidates(query, out); }
	virtual void InsertCandidate(const nuv_candidate&) {}
	virtual void RemoveCandidate(const nuv_candidate&) {}

	const Log& Seen() const { return *fLog; }

	static Log seenAtEnd;

private:
	std::unique_ptr<Log> fLog;
	bool fClearFirst;
	TestControler fInner;
};

Log FragileControler::seenAtEnd;


TEST(Destruction, StatesLeavingWithTheBaseNeverReachTheSubclassHooks)
{
	// Fault: the base destructor deleted the states after the subclass was
	// gone, and their hook calls (the top state's Disabled(), the
	// destructors of the registration and purge states, the nested
	// controller's fresh state asking for its automaton) reached pure
	// virtual functions and freed storage.
	//
	// Each opening leaves states on the stack; lastHook is what a subclass
	// that clears its own stack first sees last ("" when the leaving states
	// call no hook).
	const struct {
		const char*	keys;
		const char*	lastHook;
	} kOpenings[] = {
		{ "Kanji ", "HideCandidates" },
		{ "Kanji x", "" },
		{ "Kanji X", "HidePurge" },
		{ "Kanji   ", "HideRegisters" },
		{ "Zzz Kanji X", "HideRegisters" },
		{ "Zzz Yyy Kanji ", "HideRegisters" },
	};
	for (const auto& opening : kOpenings) {
		for (bool clearFirst : {false, true}) {
			Log before;
			{
				FragileControler controler(clearFirst);
				KeyDriver(controler).Type(opening.keys);
				ASSERT_GT(controler.CountStates(), 1) << opening.keys;
				before = controler.Seen();
			}
			const Log& after = FragileControler::seenAtEnd;
			if (!clearFirst || opening.lastHook[0] == '\0') {
				EXPECT_EQ(after, before) << opening.keys;
			} else {
				ASSERT_GT(after.size(), before.size()) << opening.keys;
				EXPECT_EQ(after.back(), opening.lastHook) << opening.keys;
			}
		}
	}
}

}	// namespace
