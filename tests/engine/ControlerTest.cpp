// The controller's stack, its hooks as the stack changes, the confirmed
// buffer and the logical key table.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "NuvControler.h"
#include "NuvInputState.h"
#include "NuvKanaInputState.h"
#include "NuvKanaState.h"
#include "NuvState.h"
#include "TestControler.h"
#include "TestText.h"

using nuv_test::EucToUtf8;
using nuv_test::TestControler;
using nuv_test::Utf8ToEuc;

namespace {

// A controller whose mode announcements go to the same log as the states'
// Activated, Disabled and destructor calls, so that their order shows.
class LoggingControler : public TestControler {
public:
	// The states log into `log`: let them leave while it still exists.
	virtual	~LoggingControler() { ClearState(0); }

	virtual	void				SetMode(nuv_mode mode)
	{
		log.push_back(std::string("SetMode ") + ModeName(mode));
		TestControler::SetMode(mode);
	}

			std::vector<std::string> log;
};


// A state that logs the calls it receives. Input() runs `onInput`, which may
// remove the state from the stack.
class LoggingState : public NuvState {
public:
	LoggingState(LoggingControler* controler, const std::string& name,
			nuv_mode mode = MODE_HIRAKANA)
		:
		NuvState(controler, mode),
		fLog(controler->log),
		fName(name)
	{
	}

	virtual ~LoggingState() { fLog.push_back("~" + fName); }

	virtual void Activated() { fLog.push_back("Activated " + fName); }
	virtual void Disabled() { fLog.push_back("Disabled " + fName); }
	virtual bool IsEmpty() { return true; }
	virtual std::string Pending() { return fName; }
	virtual int32_t Input(nuv_input)
	{
		fLog.push_back("Input " + fName);
		PopState();
		// Deleted by now: only the result may be returned.
		return INPUT_AGAIN;
	}
	virtual int32_t Undo() { return INPUT_IGNORED; }
	virtual int32_t Cancel() { return INPUT_IGNORED; }

	using NuvState::Confirm;

private:
	std::vector<std::string>&	fLog;
	std::string					fName;
};


typedef std::vector<std::string> Log;


TEST(Controler, FreshControlerCreatesAndAnnouncesHiraganaStateOnFirstUse)
{
	TestControler controler;
	EXPECT_EQ(controler.CountStates(), 0);
	EXPECT_TRUE(controler.Calls().empty());

	EXPECT_TRUE(controler.IsEmpty());
	EXPECT_EQ(controler.CountStates(), 1);
	EXPECT_NE(dynamic_cast<NuvKanaInputState*>(controler.State()), nullptr);
	EXPECT_EQ(controler.Calls(), Log{"SetMode(MODE_HIRAKANA)"});
}


TEST(Controler, ConfirmedHandsOutTheBufferOnceInOrder)
{
	TestControler controler;
	EXPECT_EQ(controler.Confirmed(), "");
	controler.Confirm(Utf8ToEuc("あ"));
	controler.Confirm(Utf8ToEuc("い"));
	EXPECT_EQ(controler.Confirmed(), "\xA4\xA2\xA4\xA4");
	EXPECT_EQ(controler.Confirmed(), "");
}


TEST(Controler, ConfirmingACandidateLearnsItBeforeConfirmingWordAndOkurigana)
{
	LoggingControler controler;
	LoggingState* state = new LoggingState(&controler, "s");
	controler.PushState(state);
	controler.TakeCalls();

	nuv_candidate c;
	c.reading = Utf8ToEuc("おお");
	c.okuri = "k";
	c.okurigana = Utf8ToEuc("く");
	c.candidate = Utf8ToEuc("多");
	state->Confirm(c);

	EXPECT_EQ(controler.Calls(), Log{"InsertCandidate(おお*k,く=多)"});
	EXPECT_EQ(EucToUtf8(controler.Confirmed()), "多く");
	nuv_candidate query = c;
	query.candidate.clear();
	std::vector<nuv_candidate> found;
	controler.FindCandidates(query, found);
	ASSERT_FALSE(found.empty());
	EXPECT_EQ(found[0].candidate, c.candidate);
}


TEST(Controler, PushThenPopCallsHooksInOrder)
{
	LoggingControler controler;
	controler.PushState(new LoggingState(&controler, "lower", MODE_ASCII));
	controler.log.clear();

	controler.PushState(new LoggingState(&controler, "upper", MODE_ZENEI));
	EXPECT_EQ(controler.log, (Log{"Disabled lower", "SetMode MODE_ZENEI",
		"Activated upper"}));

	controler.log.clear();
	controler.PopState();
	EXPECT_EQ(controler.log, (Log{"Disabled upper", "~upper",
		"SetMode MODE_ASCII", "Activated lower"}));
	EXPECT_EQ(controler.CountStates(), 1);
}


TEST(Controler, StateWithoutModeTakesTheModeOfTheTopState)
{
	LoggingControler controler;
	// A katakana direct input state at the bottom.
	controler.Input(nuv_input('q'));
	ASSERT_EQ(controler.State()->Mode(), MODE_KATAKANA);
	controler.log.clear();

	controler.PushState(new LoggingState(&controler, "s", MODE_NONE));
	EXPECT_EQ(controler.State()->Mode(), MODE_KATAKANA);
	EXPECT_EQ(controler.log, (Log{"SetMode MODE_KATAKANA", "Activated s"}));
}


TEST(Controler, StateWithoutModeOnAnEmptyStackCreatesTheDefaultState)
{
	LoggingControler controler;
	LoggingState* state = new LoggingState(&controler, "s", MODE_NONE);
	EXPECT_EQ(state->Mode(), MODE_HIRAKANA);
	EXPECT_EQ(controler.CountStates(), 1);
	controler.PushState(state);
	EXPECT_EQ(controler.CountStates(), 2);
}


TEST(Controler, ClearStateToDepthDisablesOnlyTheTopAndActivatesTheBottom)
{
	LoggingControler controler;
	controler.PushState(new LoggingState(&controler, "1", MODE_ASCII));
	controler.PushState(new LoggingState(&controler, "2"));
	controler.PushState(new LoggingState(&controler, "3"));
	controler.PushState(new LoggingState(&controler, "4"));
	controler.log.clear();

	controler.ClearState(1);
	EXPECT_EQ(controler.log, (Log{"Disabled 4", "~4", "~3", "~2",
		"SetMode MODE_ASCII", "Activated 1"}));
	EXPECT_EQ(controler.CountStates(), 1);

	// Nothing to remove: the top is disabled and activated again.
	controler.log.clear();
	controler.ClearState(1);
	EXPECT_EQ(controler.log, (Log{"Disabled 1", "SetMode MODE_ASCII",
		"Activated 1"}));
}


TEST(Controler, ClearStateToZeroAnnouncesNothingUntilTheStackIsUsedAgain)
{
	LoggingControler controler;
	controler.PushState(new LoggingState(&controler, "1", MODE_ASCII));
	controler.PushState(new LoggingState(&controler, "2", MODE_ZENEI));
	controler.log.clear();

	controler.ClearState(0);
	EXPECT_EQ(controler.log, (Log{"Disabled 2", "~2", "~1"}));
	EXPECT_EQ(controler.CountStates(), 0);

	controler.log.clear();
	EXPECT_EQ(controler.Pending(), "");
	EXPECT_EQ(controler.log, Log{"SetMode MODE_HIRAKANA"});
	EXPECT_EQ(controler.CountStates(), 1);
}


TEST(Controler, ClearStateWithAStateLeavesItAloneAndNeverDisablesIt)
{
	LoggingControler controler;
	controler.PushState(new LoggingState(&controler, "1"));
	controler.PushState(new LoggingState(&controler, "2"));
	controler.log.clear();

	controler.ClearState(new LoggingState(&controler, "new", MODE_TUT));
	EXPECT_EQ(controler.log, (Log{"Disabled 2", "~2", "~1",
		"SetMode MODE_TUT", "Activated new"}));
	EXPECT_EQ(controler.CountStates(), 1);
}


TEST(Controler, ClearFromLatinInputReturnsToEmptyHiraganaInput)
{
	TestControler controler;
	controler.Input(nuv_input('k'));
	controler.Input(nuv_input('l'));
	ASSERT_EQ(controler.State()->Mode(), MODE_ASCII);

	controler.TakeCalls();
	controler.Clear();
	EXPECT_EQ(controler.CountStates(), 1);
	EXPECT_NE(dynamic_cast<NuvKanaInputState*>(controler.State()), nullptr);
	EXPECT_EQ(controler.State()->Mode(), MODE_HIRAKANA);
	EXPECT_EQ(controler.Pending(), "");
	EXPECT_TRUE(controler.IsEmpty());
	EXPECT_EQ(controler.Calls(), Log{"SetMode(MODE_HIRAKANA)"});
}


TEST(Controler, SetModeAnnouncesOnlyForTheTopState)
{
	LoggingControler controler;
	LoggingState* lower = new LoggingState(&controler, "lower");
	LoggingState* upper = new LoggingState(&controler, "upper");
	controler.PushState(lower);
	controler.PushState(upper);
	controler.log.clear();

	lower->SetMode(MODE_ZENEI);
	EXPECT_EQ(lower->Mode(), MODE_ZENEI);
	EXPECT_TRUE(controler.log.empty());

	upper->SetMode(MODE_ABBREV);
	EXPECT_EQ(controler.log, Log{"SetMode MODE_ABBREV"});

	// A state not pushed yet announces nothing and creates nothing.
	LoggingControler empty;
	LoggingState loose(&empty, "loose");
	loose.SetMode(MODE_ZENEI);
	EXPECT_TRUE(empty.log.empty());
	EXPECT_EQ(empty.CountStates(), 0);
}


TEST(Controler, StateMayRemoveItselfWhileHandlingAKey)
{
	LoggingControler controler;
	controler.PushState(new LoggingState(&controler, "lower", MODE_ASCII));
	controler.PushState(new LoggingState(&controler, "upper"));
	controler.log.clear();

	EXPECT_EQ(controler.Input(nuv_input('a')), INPUT_AGAIN);
	EXPECT_EQ(controler.log, (Log{"Input upper", "Disabled upper", "~upper",
		"SetMode MODE_ASCII", "Activated lower"}));
}


TEST(Controler, PoppingTheLastStateLeavesAnEmptyStackAndAnnouncesNothing)
{
	// Fault: a pop of the only state went on to announce and activate the
	// state "below", which does not exist.
	LoggingControler controler;
	controler.PushState(new LoggingState(&controler, "only"));
	controler.log.clear();

	controler.PopState();
	EXPECT_EQ(controler.log, (Log{"Disabled only", "~only"}));
	EXPECT_EQ(controler.CountStates(), 0);

	controler.PopState();
	EXPECT_EQ(controler.CountStates(), 0);
	EXPECT_TRUE(controler.IsEmpty());
	EXPECT_EQ(controler.CountStates(), 1);
}


// The key table, written out by the characters each key answers to.
TEST(Controler, IsKeyMatchesExactlyTheBaseBindings)
{
	const std::map<nuv_key, std::set<int32_t>> table = {
		{ KEY_YES, {'y'} }, { KEY_NO, {'n'} },
		{ KEY_BACKSPACE, {0x08} }, { KEY_CANCEL, {0x07} },
		{ KEY_CONFIRM, {0x0A} }, { KEY_ENTER, {0x0D} },
		{ KEY_ABBREV, {'/'} }, { KEY_LATIN, {'l'} }, { KEY_ZENEI, {'L'} },
		{ KEY_KANA, {0x0A} }, { KEY_TC, {} }, { KEY_TUT, {} },
		{ KEY_TOGGLE_KANA, {'q'} }, { KEY_OTHER_KANA, {'q'} },
		{ KEY_ZENEI_CONFIRM, {0x11} }, { KEY_NEXT, {' '} },
		{ KEY_PREVIOUS, {'x'} }, { KEY_PURGE, {'X'} },
		{ KEY_SELECT_A, {'a', 'A'} }, { KEY_SELECT_S, {'s', 'S'} },
		{ KEY_SELECT_D, {'d', 'D'} }, { KEY_SELECT_F, {'f', 'F'} },
		{ KEY_SELECT_J, {'j', 'J'} }, { KEY_SELECT_K, {'k', 'K'} },
		{ KEY_SELECT_L, {'l', 'L'} },
		{ KEY_FORWARD, {0x06, 0x1D} }, { KEY_BACKWARD, {0x02, 0x1C} },
		{ KEY_DELETE, {0x04, 0x7F} }, { KEY_HOME, {0x01} },
		{ KEY_END, {0x05} }, { KEY_KILL, {0x0B} },
	};
	ASSERT_EQ(table.size(), 31u);

	TestControler controler;
	std::vector<int32_t> characters;
	for (int32_t c = -2; c < 0x200; c++)
		characters.push_back(c);
	// Multi-byte characters packed the way the front end packs them, and
	// values whose low byte is an ASCII letter.
	for (int32_t c : {0x8281E3, 0xA4A2, 0x161, 0x141, 0x7FFFFFFF})
		characters.push_back(c);

	for (const auto& row : table) {
		for (int32_t c : characters) {
			EXPECT_EQ(controler.IsKey(nuv_input(c, 0x42), row.first),
				row.second.count(c) == 1)
				<< "key " << row.first << " character 0x" << std::hex << c;
		}
	}
	for (int value : {-1, 31, 32, 1000}) {
		for (int32_t c : characters) {
			EXPECT_FALSE(controler.IsKey(nuv_input(c),
				static_cast<nuv_key>(value)));
		}
	}
}


TEST(KanaState, FilterTurnsHiraganaIntoKatakanaOnlyInKatakanaMode)
{
	TestControler controler;
	NuvKanaInputState state(&controler);
	const std::string kya = Utf8ToEuc("きゃっと、う゛ぁ");
	const std::string other = Utf8ToEuc("漢字カナabc");

	EXPECT_TRUE(state.IsHirakana());
	EXPECT_EQ(state.KanaFilter(kya), kya);
	EXPECT_EQ(state.KanaFilter(other), other);

	state.ToggleKana();
	EXPECT_FALSE(state.IsHirakana());
	EXPECT_EQ(EucToUtf8(state.KanaFilter(kya)), "キャット、ヴァ");
	EXPECT_EQ(state.KanaFilter(other), other);
	// Toggling alone announces nothing.
	EXPECT_TRUE(controler.CallsNamed("SetMode").empty());
}

}	// namespace
