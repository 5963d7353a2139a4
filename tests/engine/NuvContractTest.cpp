// The candidate page as the add-on writes it and the hosts read it back.
#include <gtest/gtest.h>

#include "NuvContract.h"
#include "TestText.h"


namespace {

typedef std::vector<std::string> Words;
using Page = NuvCandidatePage;


// The words of a UTF-8 page line, then its remaining count.
Words
Parsed(const std::string& line)
{
	Words words;
	int32_t count = -1;
	if (!Page::Parse(line, Page::UTF_8, words, count))
		return Words(1, "(no page)");
	words.push_back(std::to_string(count));
	return words;
}

}	// namespace


// Whatever the add-on shows, converted to UTF-8 as its palette converts it,
// the host reads back: a changed label, page size or count format on one
// side fails here (the exact line is pinned where the palette shows it).
// Lines of another shape are no page.
TEST(CandidatePage, EveryPageTheAddOnFormatsParsesBackAndNothingElseDoes)
{
	const Words pages[] = {Words(), {"漢字"}, {"a b", "  c", "A:", "L"},
		{"1", "2", "3", "4", "5", "6", "7"}};
	for (const Words& page : pages) {
		for (int32_t remaining : {0, 3, 123456789}) {
			Words euc;
			for (const std::string& word : page)
				euc.push_back(nuv_test::Utf8ToEuc(word));
			const std::string shown = nuv_test::EucToUtf8(
				Page::Format(euc, remaining, Page::EUC_JP));
			Words expected = page;
			expected.push_back(std::to_string(remaining));
			EXPECT_EQ(Parsed(shown), expected) << shown;
			EXPECT_EQ(Parsed(Page::Format(page, remaining, Page::UTF_8)),
				expected);
		}
	}
	// A longer range than a page never reads past the labels.
	EXPECT_EQ(Page::Format(Words(9, "w"), 1, Page::UTF_8).substr(30, 15),
		"L:w  L:w  L:w  ");
	for (const char* line : {"", "registering \"かんじ\"", "A:x  [残り ]",
			"A:x  [残り 1x]", "S:x  [残り 1]", "A:x[残り 1]",
			"A:x  [残り 99999999999]", "A:x  [\xBB\xC4\xA4\xEA 1]"})
		EXPECT_EQ(Parsed(line), Words(1, "(no page)")) << line;
}
