// The method hosted for a desktop framework, in the test process: the
// module of the build over a copy of the small front-end settings, driven
// as a framework's engine drives it.
#include <gtest/gtest.h>

#include <sstream>

#include "MethodSession.h"
#include "Scratch.h"


namespace {

KeyStep
Key(const std::string& token)
{
	std::vector<KeyStep> steps;
	KeyScriptError error;
	EXPECT_TRUE(KeyScript::Parse(token, steps, error)) << token;
	EXPECT_EQ(steps.size(), 1u) << token;
	return steps.empty() ? KeyStep() : steps.front();
}


// One word per action: "commit:text", "preedit:text" or "hide".
std::string
Describe(const KeyOutcome& outcome)
{
	std::string text;
	for (const SessionAction& action : outcome.actions) {
		if (!text.empty())
			text += ' ';
		if (action.kind == SessionAction::COMMIT)
			text += "commit:" + action.text;
		else if (action.preedit.visible)
			text += "preedit:" + action.preedit.text;
		else
			text += "hide";
	}
	if (outcome.forward)
		text += " +forward";
	if (outcome.handedBack)
		text += " +handed-back";
	return text;
}

}	// namespace


class MethodSessionTest : public testing::Test {
protected:
	void SetUp()
	{
		fSession.SetModule(NUV_METHOD_MODULE);
		std::string error;
		ASSERT_TRUE(fSession.Start(fScratch.Settings("nuvim_settings",
			kTestSettings), error)) << error;
		fSession.Activate(true);
	}

	// Types each key of `script`; what the last one did.
	KeyOutcome Type(const std::string& script)
	{
		std::vector<KeyStep> steps;
		KeyScriptError error;
		EXPECT_TRUE(KeyScript::Parse(script, steps, error)) << script;
		KeyOutcome outcome;
		for (const KeyStep& step : steps)
			outcome = fSession.HandleKey(step);
		return outcome;
	}

	ScratchDirectory	fScratch;
	MethodSession		fSession;
};


// A framework shows the actions in their order and sends the key on last:
// the composed text must be gone before the word arrives, and the Enter
// must not overtake the word.
TEST_F(MethodSessionTest, KeyThatCommitsAndPassesOnHidesThenCommitsThenForwards)
{
	EXPECT_EQ(Describe(Type("Kanji ")), "preedit:▼漢字");
	EXPECT_EQ(Describe(Type("<enter>")), "hide commit:漢字 +forward");
	// A key that only passes is handed back, with nothing to show.
	EXPECT_EQ(Describe(Type("<enter>")), " +handed-back");
}


TEST_F(MethodSessionTest, CandidatePickedByIndexIsCommittedFromThePage)
{
	Type("Kou     ");
	const PaletteState page = fSession.Palettes();
	ASSERT_TRUE(page.candidatesShown);
	EXPECT_EQ(page.candidates, (std::vector<std::string>{"港", "効", "構",
		"孝", "光", "工", "口"}));
	EXPECT_EQ(page.remaining, 1);

	// Outside the page: nothing happens.
	EXPECT_EQ(Describe(fSession.PickCandidate(7)), "");
	EXPECT_TRUE(fSession.Palettes().candidatesShown);
	EXPECT_EQ(Describe(fSession.PickCandidate(2)), "hide commit:構");
	EXPECT_FALSE(fSession.Palettes().candidatesShown);
	EXPECT_EQ(Describe(fSession.PickCandidate(0)), "");
}


// Focus out, a reset and deactivation end the composition without
// committing anything, whatever state it was in; the next key starts anew.
TEST_F(MethodSessionTest, StopAndDeactivationDropConversionsAndRegistrations)
{
	Type("Kanji ");
	EXPECT_EQ(Describe(fSession.Stop()), "hide");
	EXPECT_EQ(Describe(Type("a")), "commit:あ");

	// No candidate for かか: registration, with its prompt.
	EXPECT_EQ(Describe(Type("Kaka ")), "preedit:★|");
	EXPECT_EQ(fSession.Palettes().prompts,
		std::vector<std::string>{"registering \"かか\""});
	EXPECT_EQ(Describe(fSession.Stop()), "hide");
	EXPECT_TRUE(fSession.Palettes().prompts.empty());

	Type("Kou  ");
	EXPECT_EQ(Describe(fSession.Activate(false)), "hide");
	EXPECT_EQ(Describe(fSession.Activate(true)), "");
	EXPECT_EQ(Describe(Type("a")), "commit:あ");
}


// Keys that come back before the method has settled still give every
// action, in order, once Poll() has collected the rest. A reading with a
// great many learned words keeps the method busy after its space.
TEST_F(MethodSessionTest, PollCollectsWhatUnsettledKeysLeftInOrder)
{
	fSession.Unload();
	std::string words;
	for (int i = 0; i < 50000; i++)
		words += "w" + std::to_string(i) + "/";
	WriteFile(fScratch.File("nuvim_settings/.nuv-jisyo"), ";; okuri-ari"
		" entries.\n;; okuri-nasi entries.\n\xA4\xAB\xA4\xF3\xA4\xB8 /"
		+ words + "\n");
	std::string error;
	ASSERT_TRUE(fSession.Start(fScratch.File("nuvim_settings"), error))
		<< error;

	std::vector<KeyStep> steps;
	KeyScriptError parseError;
	ASSERT_TRUE(KeyScript::Parse("Kanji <enter>", steps, parseError));
	std::string polled;
	int unsettled = 0;
	for (const KeyStep& step : steps) {
		const KeyOutcome outcome = fSession.HandleKey(step, 0);
		unsettled += !outcome.settled;
		polled += Describe(outcome) + " ";
	}
	while (fSession.HasPendingWork())
		polled += Describe(fSession.Poll()) + " ";
	EXPECT_GT(unsettled, 0);

	// The same keys, each waited for.
	std::string waited;
	fSession.Stop();
	for (const KeyStep& step : steps)
		waited += Describe(fSession.HandleKey(step)) + " ";
	auto actions = [](const std::string& text) {
		std::istringstream in(text);
		std::string word;
		std::string kept;
		while (in >> word) {
			if (word != "+forward")
				kept += word + " ";
		}
		return kept;
	};
	EXPECT_EQ(actions(polled), actions(waited));
	EXPECT_NE(polled.find("commit:w0"), std::string::npos) << polled;
	EXPECT_TRUE(fSession.Poll().actions.empty());
}


TEST_F(MethodSessionTest, ModeLabelFollowsEveryModeKey)
{
	const struct {
		const char* keys;
		const char* mode;
	} steps[] = {
		{"", "かな"}, {"q", "カナ"}, {"q", "かな"}, {"l", "NUV"},
		{"<C-j>", "かな"}, {"L", "全英"}, {"<C-j>", "かな"}, {"/", "aあ"},
		{"<C-g>", "かな"},
	};
	for (const auto& step : steps) {
		Type(step.keys);
		EXPECT_EQ(fSession.Palettes().mode, step.mode) << step.keys;
	}
}


TEST_F(MethodSessionTest, UnloadTellsWhetherTheUserDictionaryWasSaved)
{
	Type("Kanji <enter>");
	EXPECT_TRUE(fSession.Unload());
	EXPECT_FALSE(fSession.Unload());
	EXPECT_NE(ReadFile(fScratch.File("nuvim_settings/.nuv-jisyo")).find(
		"\xA4\xAB\xA4\xF3\xA4\xB8 /\xB4\xC1\xBB\xFA/"), std::string::npos);
	// Nothing loaded: keys are the application's.
	EXPECT_TRUE(fSession.HandleKey(Key("a")).handedBack);
}
