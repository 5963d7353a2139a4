// The method hosted for a desktop framework, in the test process: the
// module of the build, found next to this program, over fresh settings,
// driven as a framework's engine drives it.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "DesktopKeys.h"
#include "MethodSession.h"
#include "Scratch.h"


namespace {

// One word per action: "commit:text", "preedit:text", "hide" or
// "forward" (the key going on to the application, as a flag of the outcome
// or as an action of a later one).
std::string
Describe(const KeyOutcome& outcome)
{
	std::string text;
	for (const SessionAction& action : outcome.actions) {
		if (action.kind == SessionAction::COMMIT)
			text += " commit:" + action.text;
		else if (action.kind == SessionAction::FORWARD)
			text += " forward";
		else if (action.preedit.visible)
			text += " preedit:" + action.preedit.text;
		else
			text += " hide";
	}
	if (outcome.forward)
		text += " forward";
	if (outcome.handedBack)
		text += " handed-back";
	return text;
}


// The method loaded in this process over fresh settings (`source`, or the
// bundled ones), typed as a desktop framework types it; what reaches the
// application is gathered.
class LoadedSession : public ::testing::Test {
protected:
	void SetUp() override
	{
		Start(kDefaultSettings);
	}

	// Starts over in a new settings directory seeded from `source`, with
	// `words` as its user dictionary when given.
	void Start(const std::string& source, const std::string& words = "")
	{
		fSession.Unload();
		// A settings directory of its own, as a user who copied the
		// bundled files would have.
		const std::string settings = fScratch.Settings("settings"
			+ std::to_string(fStarts++), source);
		if (!words.empty())
			WriteFile(settings + "/.nuv-jisyo", words);
		std::string error;
		ASSERT_TRUE(fSession.Start(settings, error)) << error;
		fSession.Activate(true);
	}

	// Adds what `outcome` and the work left after it show the application;
	// what they did, described.
	std::string Take(KeyOutcome outcome)
	{
		std::string described;
		for (int rounds = 0; ; rounds++) {
			described += Describe(outcome);
			for (const SessionAction& action : outcome.actions) {
				if (action.kind == SessionAction::COMMIT)
					fDocument += action.text;
				else if (action.kind == SessionAction::PREEDIT) {
					fPreedit = action.preedit;
					fPlain = action.plain;
				}
			}
			if (!fSession.HasPendingWork() || rounds > 1000)
				break;
			outcome = fSession.Poll(MethodSession::kDefaultWait);
		}
		return described;
	}

	// Types `keys` (ASCII; capitals with Shift, line feed as control-J,
	// carriage return as Enter); what the keys did, described.
	std::string Type(const std::string& keys)
	{
		std::string described;
		for (char c : keys) {
			KeyStep step;
			uint32_t keyval = static_cast<unsigned char>(c);
			uint32_t with = 0;
			if (c == '\n') {
				keyval = 'j';
				with = DesktopKeys::kControlMask;
			} else if (c == '\r')
				keyval = 0xFF0D;
			else if (c >= 'A' && c <= 'Z')
				with = DesktopKeys::kShiftMask;
			EXPECT_TRUE(DesktopKeys::Translate(keyval, with, step));
			described += Take(fSession.HandleKey(step));
		}
		return described;
	}

	// Types `script` (KeyScript) without waiting for the method, then polls
	// until it is idle; what it all did, described. Counts in fUnsettled
	// the keys not settled when they returned.
	std::string TypeUnwaited(const std::string& script)
	{
		std::vector<KeyStep> steps;
		KeyScriptError error;
		EXPECT_TRUE(KeyScript::Parse(script, steps, error));
		std::string typed;
		for (const KeyStep& step : steps) {
			const KeyOutcome outcome = fSession.HandleKey(step, 0);
			fUnsettled += !outcome.settled;
			typed += Describe(outcome);
		}
		while (fSession.HasPendingWork())
			typed += Describe(fSession.Poll(MethodSession::kDefaultWait));
		return typed;
	}

	ScratchDirectory	fScratch;
	int					fStarts = 0;
	int					fUnsettled = 0;
	MethodSession		fSession;
	std::string			fDocument;
	Preedit				fPreedit;
	Preedit				fPlain;
};

}	// namespace


TEST_F(LoadedSession, CandidatePickedByIndexIsCommittedFromThePage)
{
	Start(kTestSettings);
	Type("Kou     ");
	// Its words are checked as fcitx5 shows them.
	EXPECT_EQ(fSession.Palettes().remaining, 1);
	// Outside the page: nothing happens.
	EXPECT_EQ(Take(fSession.PickCandidate(7)), "");
	EXPECT_TRUE(fSession.Palettes().candidatesShown);
	EXPECT_EQ(Take(fSession.PickCandidate(2)), " hide commit:構");
	EXPECT_FALSE(fSession.Palettes().candidatesShown);
	EXPECT_EQ(Take(fSession.PickCandidate(0)), "");
}


// The focus moving away used to drop the composition in some toolkits and
// store its markers in others. It now commits what is shown without the
// markers, drops romaji not yet kana, and teaches the method nothing.
// Clients that commit their copy of the preedit themselves are shown the
// same text: the romaji apart, where they stand. (Deactivation, which ends
// a composition the same way, is checked as fcitx5 switches away.)
TEST_F(LoadedSession, FocusOutCommitsTheCompositionWithoutMarkers)
{
	const std::pair<std::string, std::string> cases[] = {
		{"Kanji", "かんじ"},						// ▽かんじ
		{"Kanji  ", "感じ"},						// ▼感じ, the second
		{"Kanji     ", ""},						// ▼ and a page
		{"Zuzuzu Nihon \n", "日本"},				// ★日本|
		{"Kanj", "かん"},						// ▽かんj
		{"k", ""},								// a lone letter
		{"Zuzuzu Nihok", "にほ"},				// ★▽にほk|
	};
	for (const auto& [keys, document] : cases) {
		SCOPED_TRACE(keys);
		fDocument.clear();
		Type(keys);
		ASSERT_TRUE(fPreedit.visible);
		EXPECT_EQ(fPlain.WithoutRomaji().text, document);
		EXPECT_EQ(fPlain.text.substr(0, document.size()) + fPlain.romaji,
			fPlain.text);
		Take(fSession.Stop());
		EXPECT_EQ(fDocument, document);
		EXPECT_FALSE(fPreedit.visible);
		EXPECT_TRUE(fSession.Palettes().prompts.empty());
	}
	// 感じ was committed by the focus policy, not chosen: 漢字 stays first.
	Type("Kanji ");
	EXPECT_EQ(fPreedit.text, "▼漢字");
}


// Keys that come back before the method has settled still give every
// action, in order, once Poll() has collected the rest. A reading with a
// great many learned words keeps the method busy after its space.
TEST_F(LoadedSession, PollCollectsWhatUnsettledKeysLeftInOrder)
{
	std::string words;
	for (int i = 0; i < 50000; i++)
		words += "w" + std::to_string(i) + "/";
	Start(kTestSettings, ";; okuri-ari entries.\n;; okuri-nasi entries.\n"
		"\xA4\xAB\xA4\xF3\xA4\xB8 /" + words + "\n");

	const std::string polled = TypeUnwaited("Kanji <enter>");
	EXPECT_GT(fUnsettled, 0);
	EXPECT_NE(polled.find("commit:w0 forward"), std::string::npos) << polled;

	// The same keys, each waited for.
	EXPECT_EQ(polled, Type("Kanji \r"));
	EXPECT_TRUE(fSession.Poll().actions.empty());
}


// A framework shows the actions in their order and sends the key on last:
// the composed text must be gone before the word arrives, and the Enter
// must not overtake the word. What unloading saves is checked where each
// front end ends (FcitxAddonTest.cpp, ibus-session.sh).
TEST_F(LoadedSession, EnterHidesCommitsForwardsAndUnloadsOnce)
{
	Type("Kanji");
	EXPECT_EQ(Type(" "), " preedit:▼漢字");
	EXPECT_EQ(Type("\r"), " hide commit:漢字 forward");
	// A key that only passes is handed back, with nothing to show.
	EXPECT_EQ(Type("\r"), " handed-back");
	EXPECT_TRUE(fSession.Unload());
	EXPECT_FALSE(fSession.Unload());
	// Nothing loaded: keys are the application's.
	KeyStep key;
	ASSERT_TRUE(DesktopKeys::Translate('a', 0, key));
	EXPECT_TRUE(fSession.HandleKey(key).handedBack);
}


// A framework whose loop never waits starts the method on a thread: keys
// typed meanwhile are queued and come out in order once it has started,
// and an unload while it starts joins that thread.
TEST_F(LoadedSession, KeysTypedWhileStartingInBackgroundComeOutInOrder)
{
	fSession.Unload();
	fSession.StartInBackground(fScratch.Settings("background",
		kDefaultSettings));
	fSession.Activate(true);
	const std::string typed = TypeUnwaited("Kanji <enter>a");
	EXPECT_EQ(typed, " preedit:▽ preedit:▽k preedit:▽か preedit:▽かn"
		" preedit:▽かんj preedit:▽かんじ preedit:▼漢字 hide commit:漢字 forward"
		" commit:あ");

	fSession.Unload();
	fSession.StartInBackground(fScratch.Settings("unloaded",
		kDefaultSettings));
	fSession.Unload();
	EXPECT_FALSE(fSession.IsLoaded());
}
