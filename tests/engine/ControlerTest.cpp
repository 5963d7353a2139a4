// The controller's stack and the hooks it calls as the stack changes, and the
// logical key table.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "NuvKanaInputState.h"
#include "NuvState.h"
#include "TestControler.h"

using nuv_test::TestControler;

namespace {

typedef std::vector<std::string> Log;


// Mode announcements go to the same log as the states' Activated, Disabled
// and destructor calls, so that their order shows.
class LoggingControler : public TestControler {
public:
	// The states log into `log`: let them leave while it still exists.
	virtual	~LoggingControler() { ClearState(0); }

	virtual	void SetMode(nuv_mode mode)
	{
		log.push_back(std::string("SetMode ") + ModeName(mode));
		TestControler::SetMode(mode);
	}

	Log log;
};


// Input() pops the state itself, as the buffers do.
class LoggingState : public NuvState {
public:
	LoggingState(LoggingControler* controler, const std::string& name,
			nuv_mode mode = MODE_HIRAKANA)
		: NuvState(controler, mode), fLog(controler->log), fName(name) {}
	virtual ~LoggingState() { fLog.push_back("~" + fName); }

	virtual void Activated() { fLog.push_back("Activated " + fName); }
	virtual void Disabled() { fLog.push_back("Disabled " + fName); }
	virtual bool IsEmpty() { return true; }
	virtual std::string Pending() { return fName; }
	virtual int32_t Input(nuv_input)
	{
		PopState();
		return INPUT_AGAIN;
	}
	virtual int32_t Undo() { return INPUT_IGNORED; }
	virtual int32_t Cancel() { return INPUT_IGNORED; }

private:
	Log&		fLog;
	std::string	fName;
};


TEST(Controler, StackChangesDisableAnnounceAndActivateInOrder)
{
	LoggingControler controler;
	controler.PushState(new LoggingState(&controler, "1", MODE_ASCII));
	controler.PushState(new LoggingState(&controler, "2"));
	controler.log.clear();
	controler.PushState(new LoggingState(&controler, "3", MODE_ZENEI));
	EXPECT_EQ(controler.log, (Log{"Disabled 2", "SetMode MODE_ZENEI",
		"Activated 3"}));

	// A state popping itself inside Input() is gone when Input() returns.
	controler.log.clear();
	EXPECT_EQ(controler.Input(nuv_input('a')), INPUT_AGAIN);
	EXPECT_EQ(controler.log, (Log{"Disabled 3", "~3",
		"SetMode MODE_HIRAKANA", "Activated 2"}));

	// ClearState disables only the top; with nothing to remove the top is
	// disabled and activated again; a replacement is never disabled.
	controler.PushState(new LoggingState(&controler, "3"));
	controler.log.clear();
	controler.ClearState(1);
	EXPECT_EQ(controler.log, (Log{"Disabled 3", "~3", "~2",
		"SetMode MODE_ASCII", "Activated 1"}));
	controler.log.clear();
	controler.ClearState(1);
	EXPECT_EQ(controler.log, (Log{"Disabled 1", "SetMode MODE_ASCII",
		"Activated 1"}));
	controler.log.clear();
	controler.ClearState(new LoggingState(&controler, "new", MODE_TUT));
	EXPECT_EQ(controler.log, (Log{"Disabled 1", "~1", "SetMode MODE_TUT",
		"Activated new"}));
	EXPECT_EQ(controler.CountStates(), 1);
}


TEST(Controler, EmptyStackAnnouncesNothingUntilTheDefaultStateIsNeeded)
{
	LoggingControler controler;
	EXPECT_EQ(controler.CountStates(), 0);
	EXPECT_TRUE(controler.IsEmpty());
	EXPECT_NE(dynamic_cast<NuvKanaInputState*>(controler.State()), nullptr);
	EXPECT_EQ(controler.log, Log{"SetMode MODE_HIRAKANA"});

	controler.PushState(new LoggingState(&controler, "2", MODE_ZENEI));
	controler.log.clear();
	controler.ClearState(0);
	EXPECT_EQ(controler.log, (Log{"Disabled 2", "~2"}));
	EXPECT_EQ(controler.CountStates(), 0);

	controler.log.clear();
	EXPECT_EQ(controler.Pending(), "");
	EXPECT_EQ(controler.log, Log{"SetMode MODE_HIRAKANA"});
}


TEST(Controler, PoppingTheLastStateLeavesAnEmptyStackAndAnnouncesNothing)
{
	// Fault: a pop of the only state went on to announce and activate the
	// state below it, which does not exist.
	LoggingControler controler;
	controler.PushState(new LoggingState(&controler, "only"));
	controler.log.clear();

	controler.PopState();
	controler.PopState();
	EXPECT_EQ(controler.log, (Log{"Disabled only", "~only"}));
	EXPECT_EQ(controler.CountStates(), 0);
}


TEST(Controler, StateWithoutModeTakesTheModeOfTheTopState)
{
	LoggingControler controler;
	LoggingState* first = new LoggingState(&controler, "first", MODE_NONE);
	// No state yet: the default hiragana state was created for the mode.
	EXPECT_EQ(first->Mode(), MODE_HIRAKANA);
	EXPECT_EQ(controler.CountStates(), 1);
	delete first;

	controler.Input(nuv_input('q'));
	controler.log.clear();
	controler.PushState(new LoggingState(&controler, "s", MODE_NONE));
	EXPECT_EQ(controler.log, (Log{"SetMode MODE_KATAKANA", "Activated s"}));
}


TEST(Controler, StateAnnouncesItsModeOnlyWhileOnTop)
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

	// Nor does a state not yet pushed, which must not create one either.
	LoggingControler empty;
	LoggingState loose(&empty, "loose");
	loose.SetMode(MODE_ZENEI);
	EXPECT_TRUE(empty.log.empty());
	EXPECT_EQ(empty.CountStates(), 0);
}


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

	std::vector<int32_t> characters;
	for (int32_t c = -2; c < 0x200; c++)
		characters.push_back(c);
	// Packed UTF-8 characters, and values whose low byte is a bound key.
	for (int32_t c : {0x8281E3, 0xA4A2, 0x161, 0x141, 0x7FFFFFFF})
		characters.push_back(c);

	TestControler controler;
	for (int32_t c : characters) {
		// key_code means nothing to the base.
		const nuv_input input(c, 0x42);
		for (const auto& row : table) {
			EXPECT_EQ(controler.IsKey(input, row.first),
				row.second.count(c) == 1)
				<< "key " << row.first << " character 0x" << std::hex << c;
		}
		for (int value : {-1, 31, 1000})
			EXPECT_FALSE(controler.IsKey(input, static_cast<nuv_key>(value)));
	}
}

}	// namespace
