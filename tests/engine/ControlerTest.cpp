// The controller's stack and the hooks it calls as the stack changes, and the
// logical key table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "NuvKanaInputState.h"
#include "NuvState.h"
#include "TestControler.h"

using nuv_test::TestControler;

namespace {

typedef std::vector<std::string> Log;


// Mode announcements go to the states' log, so that their order shows.
class LoggingControler : public TestControler {
public:
	// The states log into `log`: let them leave while it still exists.
	virtual	~LoggingControler() { ClearState(0); }

	virtual	void SetMode(nuv_mode mode)
	{
		log.push_back(std::string("SetMode ") + ModeName(mode));
		TestControler::SetMode(mode);
	}

	// The log so far, which is then emptied.
	Log Logged() { Log taken; taken.swap(log); return taken; }

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
	// An empty stack announces nothing until the default state is needed.
	LoggingControler controler;
	EXPECT_EQ(controler.CountStates(), 0);
	EXPECT_TRUE(controler.IsEmpty());
	EXPECT_NE(dynamic_cast<NuvKanaInputState*>(controler.State()), nullptr);
	EXPECT_EQ(controler.Logged(), Log{"SetMode MODE_HIRAKANA"});

	controler.PushState(new LoggingState(&controler, "2", MODE_ZENEI));
	controler.log.clear();
	controler.ClearState(0);
	EXPECT_EQ(controler.Logged(), (Log{"Disabled 2", "~2"}));
	EXPECT_EQ(controler.CountStates(), 0);

	EXPECT_EQ(controler.Pending(), "");
	EXPECT_EQ(controler.Logged(), Log{"SetMode MODE_HIRAKANA"});

	// Fault: a pop of the only state went on to announce and activate the
	// state below it, which does not exist.
	controler.ClearState(0);
	controler.PushState(new LoggingState(&controler, "only"));
	controler.log.clear();
	controler.PopState();
	controler.PopState();
	EXPECT_EQ(controler.Logged(), (Log{"Disabled only", "~only"}));
	EXPECT_EQ(controler.CountStates(), 0);

	// From an empty stack again: pushes, pops and clears.
	controler.PushState(new LoggingState(&controler, "1", MODE_ASCII));
	controler.PushState(new LoggingState(&controler, "2"));
	controler.log.clear();
	controler.PushState(new LoggingState(&controler, "3", MODE_ZENEI));
	EXPECT_EQ(controler.Logged(), (Log{"Disabled 2", "SetMode MODE_ZENEI",
		"Activated 3"}));

	// A state popping itself inside Input() is gone when Input() returns.
	EXPECT_EQ(controler.Input(nuv_input('a')), INPUT_AGAIN);
	EXPECT_EQ(controler.Logged(), (Log{"Disabled 3", "~3",
		"SetMode MODE_HIRAKANA", "Activated 2"}));

	// ClearState disables only the top; with nothing to remove the top is
	// disabled and activated again; a replacement is never disabled.
	controler.PushState(new LoggingState(&controler, "3"));
	controler.log.clear();
	controler.ClearState(1);
	EXPECT_EQ(controler.Logged(), (Log{"Disabled 3", "~3", "~2",
		"SetMode MODE_ASCII", "Activated 1"}));
	controler.ClearState(1);
	EXPECT_EQ(controler.Logged(), (Log{"Disabled 1", "SetMode MODE_ASCII",
		"Activated 1"}));
	controler.ClearState(new LoggingState(&controler, "new", MODE_TUT));
	EXPECT_EQ(controler.Logged(), (Log{"Disabled 1", "~1", "SetMode MODE_TUT",
		"Activated new"}));
	EXPECT_EQ(controler.CountStates(), 1);
}


TEST(Controler, StatesWithoutAModeTakeTheTopOnesAndOnlyTheTopAnnounces)
{
	// A state not yet pushed announces nothing and creates no state.
	LoggingControler empty;
	LoggingState loose(&empty, "loose");
	loose.SetMode(MODE_ZENEI);
	EXPECT_TRUE(empty.log.empty());
	EXPECT_EQ(empty.CountStates(), 0);

	// With no state yet, the default hiragana state is made for the mode.
	LoggingControler controler;
	LoggingState* first = new LoggingState(&controler, "first", MODE_NONE);
	EXPECT_EQ(first->Mode(), MODE_HIRAKANA);
	EXPECT_EQ(controler.CountStates(), 1);
	delete first;

	controler.Input(nuv_input('q'));
	LoggingState* lower = new LoggingState(&controler, "lower", MODE_NONE);
	controler.log.clear();
	controler.PushState(lower);
	EXPECT_EQ(controler.log, (Log{"SetMode MODE_KATAKANA", "Activated lower"}));
	LoggingState* upper = new LoggingState(&controler, "upper");
	controler.PushState(upper);
	controler.log.clear();
	lower->SetMode(MODE_ZENEI);
	EXPECT_EQ(lower->Mode(), MODE_ZENEI);
	upper->SetMode(MODE_ABBREV);
	EXPECT_EQ(controler.log, Log{"SetMode MODE_ABBREV"});
}


// The bindings themselves are typed through the states elsewhere; what
// typing cannot show is a character that only looks like a bound key.
TEST(Controler, IsKeyTakesWholeCharactersAndKnownKeysOnly)
{
	TestControler controler;
	for (int key = KEY_YES; key <= KEY_KILL; key++) {
		// あ packed, and values whose low byte is a bound key.
		for (int32_t c : {0x8281E3, 0xA4A2, 0x161, 0x141, 0x120, 0x7FFFFFFF,
				-1})
			EXPECT_FALSE(controler.IsKey(nuv_input(c, 0x42),
				static_cast<nuv_key>(key))) << key << " " << c;
	}
	for (int value : {-1, 31, 1000})
		EXPECT_FALSE(controler.IsKey(nuv_input(' '), static_cast<nuv_key>(value)));
	EXPECT_TRUE(controler.IsKey(nuv_input('K'), KEY_SELECT_K));
	EXPECT_TRUE(controler.IsKey(nuv_input('k'), KEY_SELECT_K));
}

}	// namespace
