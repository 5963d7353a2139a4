#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "DesktopKeys.h"
#include "HostPaths.h"
#include "MethodSession.h"
#include "TestFiles.h"


namespace {

const uint32_t kShift = DesktopKeys::kShiftMask;
const uint32_t kLock = DesktopKeys::kLockMask;
const uint32_t kControl = DesktopKeys::kControlMask;


// The method loaded in this process over fresh settings, typed as a
// desktop framework types it; what reaches the application is gathered.
class LoadedSession : public ::testing::Test {
protected:
	void SetUp() override
	{
		char pattern[] = "/tmp/nuv-session-XXXXXX";
		ASSERT_NE(mkdtemp(pattern), nullptr);
		fDirectory = pattern;
		std::string error;
		ASSERT_TRUE(HostPaths::SeedSettings(fDirectory + "/settings",
			NUV_SETTINGS_SOURCE_DIR, error)) << error;
		ASSERT_TRUE(fSession.Start(fDirectory + "/settings", error)) << error;
	}

	void TearDown() override
	{
		fSession.Unload();
		std::system(("rm -rf " + Quote(fDirectory)).c_str());
	}

	// Adds what `outcome` and the work left after it show the application.
	void Take(KeyOutcome outcome)
	{
		for (int rounds = 0; ; rounds++) {
			for (const SessionAction& action : outcome.actions) {
				if (action.kind == SessionAction::COMMIT)
					fDocument += action.text;
				else if (action.kind == SessionAction::PREEDIT)
					fPreedit = action.preedit;
			}
			if (!fSession.HasPendingWork() || rounds > 1000)
				break;
			outcome = fSession.Poll(MethodSession::kDefaultWait);
		}
	}

	// Types `keys` (ASCII; capitals with Shift unless `state` has Caps
	// Lock, line feed as control-J) with `state` added.
	void Type(const std::string& keys, uint32_t state = 0)
	{
		for (char c : keys) {
			KeyStep step;
			uint32_t keyval = static_cast<unsigned char>(c);
			uint32_t with = state;
			if (c == '\n') {
				keyval = 'j';
				with |= kControl;
			} else if (c >= 'A' && c <= 'Z' && (state & kLock) == 0)
				with |= kShift;
			ASSERT_TRUE(DesktopKeys::Translate(keyval, with, step));
			Take(fSession.HandleKey(step));
		}
	}

	std::string			fDirectory;
	MethodSession		fSession;
	std::string			fDocument;
	Preedit				fPreedit;
};

}	// namespace


// The focus moving away used to drop the composition in some toolkits and
// store its markers in others. It now commits what is shown without the
// markers, drops romaji not yet kana, and teaches the method nothing.
TEST_F(LoadedSession, FocusOutCommitsTheCompositionWithoutMarkers)
{
	const std::pair<std::string, std::string> cases[] = {
		{"Kanji", "かんじ"},						// ▽かんじ
		{"Kanji  ", "感じ"},						// ▼感じ, the second
		{"Kanji     ", ""},						// ▼ and a page
		{"Zuzuzu Nihon \n", "日本"},				// ★日本|
		{"kanj", "かん"},						// j is romaji
	};
	for (const auto& [keys, document] : cases) {
		fDocument.clear();
		Type(keys);
		ASSERT_TRUE(fPreedit.visible) << keys;
		Take(fSession.Stop());
		EXPECT_EQ(fDocument, document) << keys;
		EXPECT_FALSE(fPreedit.visible) << keys;
	}
	// 感じ was committed by the focus policy, not chosen: 漢字 stays first.
	Type("Kanji ");
	EXPECT_EQ(fPreedit.text, "▼漢字");
}


// Firefox resets the input context in the middle of typing; the romaji of
// the next kana were lost with it (にほんご gave にほんお). Caps Lock made
// every letter open a reading.
TEST_F(LoadedSession, ResetKeepsRomajiAndCapsLockLeavesCaseToShift)
{
	Type("nihong");
	Take(fSession.Reset());
	Type("o");
	EXPECT_EQ(fDocument, "にほんご");
	EXPECT_FALSE(fPreedit.visible);

	fDocument.clear();
	Type("KANA", kLock);
	EXPECT_EQ(fDocument, "かな");
	Type("k", kLock | kShift);
	EXPECT_EQ(fPreedit.text, "▽k");
}


TEST(MethodSessionTest, CandidateLineGivesThePageAndTheRemainingCount)
{
	std::vector<std::string> candidates;
	int32_t remaining = -1;
	ASSERT_TRUE(MethodSession::ParseCandidateLine(
		"A:漢字  S:感じ  D:幹事  [残り 12]", candidates, remaining));
	EXPECT_EQ(candidates, (std::vector<std::string>{"漢字", "感じ", "幹事"}));
	EXPECT_EQ(remaining, 12);

	// Blanks inside a candidate stay part of it; an empty page is a page.
	ASSERT_TRUE(MethodSession::ParseCandidateLine(
		"A:a b  S:  c  [残り 0]", candidates, remaining));
	EXPECT_EQ(candidates, (std::vector<std::string>{"a b", "  c"}));
	ASSERT_TRUE(MethodSession::ParseCandidateLine("[残り 3]", candidates,
		remaining));
	EXPECT_TRUE(candidates.empty());
	EXPECT_EQ(remaining, 3);

	ASSERT_TRUE(MethodSession::ParseCandidateLine(
		"A:1  S:2  D:3  F:4  J:5  K:6  L:7  [残り 0]", candidates,
		remaining));
	EXPECT_EQ(candidates.size(), 7u);
	EXPECT_EQ(candidates.back(), "7");
}


TEST(MethodSessionTest, LinesOfAnotherShapeAreNoPage)
{
	std::vector<std::string> candidates;
	int32_t remaining = 0;
	for (const char* line : {"", "registering \"かんじ\"", "A:x  [残り ]",
			"A:x  [残り 1x]", "S:x  [残り 1]", "A:x[残り 1]",
			"A:x  [残り 99999999999]"}) {
		EXPECT_FALSE(MethodSession::ParseCandidateLine(line, candidates,
			remaining)) << line;
	}
}


TEST(MethodSessionTest, OffsetsCountCharactersNotBytes)
{
	const std::string text = "▼漢字a";
	EXPECT_EQ(MethodSession::CharacterOffset(text, 0), 0);
	EXPECT_EQ(MethodSession::CharacterOffset(text, 3), 1);
	EXPECT_EQ(MethodSession::CharacterOffset(text, 9), 3);
	EXPECT_EQ(MethodSession::CharacterOffset(text, 10), 4);
	// Outside the text: clamped.
	EXPECT_EQ(MethodSession::CharacterOffset(text, 99), 4);
	EXPECT_EQ(MethodSession::CharacterOffset(text, -5), 0);
}
