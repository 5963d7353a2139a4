#include <gtest/gtest.h>

#include "MethodSession.h"


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
