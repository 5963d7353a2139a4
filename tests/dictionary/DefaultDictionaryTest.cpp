// A few end-to-end checks over the default large dictionary.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include "NuvStaticDictionary.h"
#include "TestText.h"

namespace {

// EUC-JP text from the UTF-8 literals of this file.
constexpr auto Euc = &nuv_test::Utf8ToEuc;

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


TEST_F(DefaultDictionary, CommonWordsComeFirst)
{
	EXPECT_GT(sDictionary->CountItems(), 100000u);
	const int kanji = Rank("かんじ", "", "漢字");
	const int feeling = Rank("かんじ", "", "感じ");
	// 感じ is typed かんj; the plain reading is for 漢字.
	EXPECT_EQ(0, kanji);
	EXPECT_GT(feeling, 0);

	// Readings whose everyday word is plain, with rarer homophones.
	const char* const kFirst[][2] = {
		{"にほん", "日本"}, {"がっこう", "学校"}, {"あめ", "雨"},
		{"きしゃ", "記者"}, {"かがく", "科学"}, {"しりょう", "資料"},
		{"たいしょう", "対象"}, {"でんわ", "電話"}, {"せかい", "世界"},
		{"じかん", "時間"}, {"かいしゃ", "会社"}, {"しごと", "仕事"},
		{"けんとう", "検討"}, {"いどう", "移動"},
	};
	for (const auto& [reading, word] : kFirst)
		EXPECT_EQ(0, Rank(reading, "", word)) << reading;
	// Where several words are common, they come before the rare ones.
	auto among = [](const char* reading, const char* okuri, const char* word,
		int count) {
		int rank = Rank(reading, okuri, word);
		return rank >= 0 && rank < count;
	};
	EXPECT_TRUE(among("はし", "", "橋", 3));
	EXPECT_TRUE(among("はし", "", "箸", 3));
	EXPECT_TRUE(among("きかい", "", "機械", 2));
	EXPECT_TRUE(among("きかい", "", "機会", 2));
	// the counts of manuals and interfaces write 仮定 and 過程 more often
	EXPECT_TRUE(among("かてい", "", "家庭", 3));

	EXPECT_EQ(0, Rank("か", "k", "書"));
	EXPECT_EQ(0, Rank("たか", "i", "高"));
	EXPECT_EQ(0, Rank("うつく", "s", "美"));
	// Katakana spellings and rare homophones used to come first.
	const char* const kUsedMost[][2] = {
		{"てき", "的"}, {"つぎ", "次"}, {"さんしょう", "参照"},
		{"かのう", "可能"}, {"しはい", "支配"}, {"ひじょう", "非常"},
		{"ねん", "年"},
	};
	for (const auto& [reading, word] : kUsedMost)
		EXPECT_EQ(0, Rank(reading, "", word)) << reading;
	// 番 is as common as 版; the katakana バン goes after both
	EXPECT_TRUE(among("ばん", "", "版", 2));
	EXPECT_GT(Rank("ばん", "", "バン"), Rank("ばん", "", "版"));
}


TEST_F(DefaultDictionary, ConjugatedFormsAreReachedByTheirOkuriLetter)
{
	// The inflected words that used to open registration.
	const char* const kForms[][3] = {
		{"つか", "t", "使"}, {"よ", "n", "読"}, {"い", "t", "行"},
		{"い", "t", "言"}, {"はし", "t", "走"}, {"でき", "m", "出来"},
		{"おこな", "w", "行"}, {"ふく", "n", "含"}, {"つよ", "k", "強"},
		{"か", "i", "書"}, {"ま", "t", "待"}, {"た", "b", "食"},
		{"み", "m", "見"}, {"べんきょう", "s", "勉強"},
		// every spelling's letter: chi/ti, fu/hu, ji/zi
		{"も", "c", "持"}, {"も", "t", "持"}, {"しん", "j", "信"},
		{"しん", "z", "信"},
	};
	for (const auto& [reading, okuri, word] : kForms) {
		int rank = Rank(reading, okuri, word);
		EXPECT_TRUE(rank >= 0 && rank < 4) << reading << okuri << " " << rank;
	}
}


TEST_F(DefaultDictionary, AbbreviationsAreKeyedAsTyped)
{
	EXPECT_EQ(0, Rank("file", "", "ファイル"));
	EXPECT_GE(Rank("computer", "", "コンピュータ"), 0);
	EXPECT_GE(Rank("km", "", "キロメートル"), 0);
	EXPECT_GE(Rank("WHO", "", "世界保健機関"), 0);
	EXPECT_GE(Rank("who", "", "世界保健機関"), 0);
}
