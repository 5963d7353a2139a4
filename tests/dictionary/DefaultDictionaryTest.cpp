// A few end-to-end checks over the default large dictionary.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include "EucText.h"
#include "NuvStaticDictionary.h"

namespace {

class DefaultDictionary : public testing::Test {
protected:
	static void SetUpTestSuite()
	{
		sDictionary = new NuvStaticDictionary;
		std::ifstream in(NUV_SETTINGS_SOURCE_DIR "/NUV-JISYO.L",
			std::ios::binary);
		sDictionary->Read(in);
	}

	static void TearDownTestSuite()
	{
		delete sDictionary;
		sDictionary = nullptr;
	}

	// The position of `word` among the candidates of the key, or -1.
	static int Rank(const char* reading, const char* okuri, const char* word)
	{
		nuv_candidate query;
		query.reading = Euc(reading);
		query.okuri = okuri;
		NuvEntry entry = sDictionary->FindEntry(query);
		auto found = std::find(entry.stems.begin(), entry.stems.end(),
			Euc(word));
		if (found == entry.stems.end())
			return -1;
		return static_cast<int>(std::distance(entry.stems.begin(), found));
	}

	static NuvStaticDictionary* sDictionary;
};

NuvStaticDictionary* DefaultDictionary::sDictionary = nullptr;

}	// namespace


TEST_F(DefaultDictionary, HoldsWellOverAHundredThousandKeys)
{
	EXPECT_GT(sDictionary->CountItems(), 100000u);
}


TEST_F(DefaultDictionary, CommonWordsComeAmongTheFirstCandidates)
{
	// The lexicon's costs rank 幹事 a little before 感じ and 漢字; both are
	// among the four candidates shown first.
	EXPECT_GE(Rank("かんじ", "", "感じ"), 0);
	EXPECT_LT(Rank("かんじ", "", "感じ"), 3);
	EXPECT_GE(Rank("かんじ", "", "漢字"), 0);
	EXPECT_LT(Rank("かんじ", "", "漢字"), 3);
	EXPECT_EQ(0, Rank("にほん", "", "日本"));
	EXPECT_EQ(0, Rank("がっこう", "", "学校"));

	EXPECT_GE(Rank("か", "k", "書"), 0);
	EXPECT_LT(Rank("か", "k", "書"), 4);
	EXPECT_EQ(0, Rank("たか", "i", "高"));
	EXPECT_EQ(0, Rank("うつく", "s", "美"));
}
