// A controller destroyed while states that call hooks as they leave are still
// on its stack.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "KeyDriver.h"
#include "NuvControler.h"
#include "NuvState.h"
#include "TestControler.h"

using nuv_test::KeyDriver;
using nuv_test::TestControler;

namespace {

// A controller whose hooks write into storage that its destructor frees, as
// a platform controller's palettes are gone once its destructor has run.
// Any hook call after that point would touch freed memory.
class FragileControler : public NuvControler {
public:
	FragileControler(bool clearFirst = false)
		:
		fLog(new std::vector<std::string>),
		fClearFirst(clearFirst)
	{
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

	void SetLargeDictionary(const std::string& utf8)
		{ fInner.SetLargeDictionary(utf8); }
	const std::vector<std::string>& Log() const { return *fLog; }

	static std::vector<std::string> seenAtEnd;

private:
	std::unique_ptr<std::vector<std::string>> fLog;
	bool fClearFirst;
	// Tables and dictionaries only; its hooks are never reached.
	TestControler fInner;
};

std::vector<std::string> FragileControler::seenAtEnd;


// A state that reaches hooks from Disabled() and from its destructor, like
// the conversion, registration and purge states.
class HookCallingState : public NuvState {
public:
	HookCallingState(NuvControler* controler, int* destroyed)
		: NuvState(controler, MODE_NONE), fDestroyed(destroyed) {}
	virtual ~HookCallingState()
	{
		Controler()->HidePurge();
		Controler()->SetMode(MODE_ASCII);
		Controler()->Converter(Mode())->Clear();
		(*fDestroyed)++;
	}
	virtual void Disabled() { Controler()->HideCandidates(); }
	virtual bool IsEmpty() { return false; }
	virtual std::string Pending() { return std::string(); }
	virtual int32_t Input(nuv_input) { return INPUT_IGNORED; }
	virtual int32_t Undo() { return INPUT_IGNORED; }
	virtual int32_t Cancel() { return INPUT_IGNORED; }

private:
	int* fDestroyed;
};


const char kDictionary[] = "かんじ /漢字/感じ/\n";


TEST(Destruction, StatesLeavingWithTheBaseNeverReachTheSubclassHooks)
{
	// Fault: the base destructor deleted the states after the subclass was
	// gone, and their hook calls (the top state's Disabled, the registration
	// and purge destructors) reached a pure virtual function or freed
	// storage.
	int destroyed = 0;
	{
		FragileControler controler;
		controler.State();
		controler.PushState(new HookCallingState(&controler, &destroyed));
		controler.PushState(new HookCallingState(&controler, &destroyed));
	}
	EXPECT_EQ(destroyed, 2);
	// The subclass saw only what happened while it was alive.
	EXPECT_EQ(FragileControler::seenAtEnd,
		(std::vector<std::string>{"SetMode", "SetMode", "HideCandidates",
			"SetMode"}));
}


TEST(Destruction, ControlerDiesInsideConversionRegistrationOrPurge)
{
	// Each opening leaves states on the stack of a dying controller; the
	// hook its leaving top state reaches last when the subclass clears its
	// own stack first ("" when the leaving states call no hook).
	const struct {
		const char*	keys;
		const char*	lastHook;
	} kOpenings[] = {
		{ "Kanji ", "HideCandidates" },
		{ "Kanji x", "" },
		{ "Kanji X", "HidePurge" },
		{ "Kanji   ", "HideRegisters" },
		{ "Zzz ", "HideRegisters" },
		{ "Zzz Kanji ", "HideRegisters" },
		{ "Zzz Kanji X", "HideRegisters" },
		{ "Zzz Yyy ", "HideRegisters" },
		{ "Zzz Yyy Kanji ", "HideRegisters" },
	};
	for (const auto& opening : kOpenings) {
		for (bool clearFirst : {false, true}) {
			std::vector<std::string> before;
			{
				FragileControler controler(clearFirst);
				controler.SetLargeDictionary(kDictionary);
				KeyDriver driver(controler);
				driver.Type(opening.keys);
				ASSERT_GT(controler.CountStates(), 1) << opening.keys;
				before = controler.Log();
			}
			const std::vector<std::string>& after
				= FragileControler::seenAtEnd;
			if (!clearFirst || opening.lastHook[0] == '\0') {
				EXPECT_EQ(after, before) << opening.keys;
				continue;
			}
			ASSERT_GT(after.size(), before.size()) << opening.keys;
			EXPECT_EQ(after.back(), opening.lastHook) << opening.keys;
		}
	}
}

}	// namespace
