// The candidate page as the add-on writes it and the hosts read it back.
#include <gtest/gtest.h>

#include "NuvContract.h"
#include "TestText.h"


namespace {

typedef std::vector<std::string> Words;


Words
Parsed(const std::string& line, NuvCandidatePage::Encoding encoding,
	int32_t* remaining = NULL)
{
	Words words;
	int32_t count = -1;
	if (!NuvCandidatePage::Parse(line, encoding, words, count))
		return Words(1, "(no page)");
	if (remaining != NULL)
		*remaining = count;
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
				NuvCandidatePage::Format(euc, remaining,
					NuvCandidatePage::EUC_JP));
			int32_t count = -1;
			EXPECT_EQ(Parsed(shown, NuvCandidatePage::UTF_8, &count), page)
				<< shown;
			EXPECT_EQ(count, remaining);
			EXPECT_EQ(Parsed(NuvCandidatePage::Format(page, remaining,
				NuvCandidatePage::UTF_8), NuvCandidatePage::UTF_8), page);
		}
	}
	// A longer range than a page never reads past the labels.
	EXPECT_EQ(NuvCandidatePage::Format(Words(9, "w"), 1,
		NuvCandidatePage::UTF_8).substr(30, 15), "L:w  L:w  L:w  ");
	for (const char* line : {"", "registering \"かんじ\"", "A:x  [残り ]",
			"A:x  [残り 1x]", "S:x  [残り 1]", "A:x[残り 1]",
			"A:x  [残り 99999999999]", "A:x  [\xBB\xC4\xA4\xEA 1]"}) {
		EXPECT_EQ(Parsed(line, NuvCandidatePage::UTF_8), Words(1, "(no page)"))
			<< line;
	}
}
