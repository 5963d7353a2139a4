// The generator of the large dictionary.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/stat.h>

#include "NuvLexiconConverter.h"
#include "TestText.h"

namespace {

// EUC-JP text from the UTF-8 literals of this file.
constexpr auto Euc = &nuv_test::Utf8ToEuc;

const char* const kLexiconDirectory = "/usr/share/mecab/dic/ipadic";
const std::string kHead = ";; NUV-JISYO.L: made by nuv-mkdict from the"
	" IPADIC lexicon; its licence is in NUV-JISYO.L.COPYING.\n";


std::string
Written(const NuvLexiconConverter& converter)
{
	std::ostringstream out;
	converter.Write(out);
	return out.str();
}


std::string
FileBytes(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	return std::string(std::istreambuf_iterator<char>(in),
		std::istreambuf_iterator<char>());
}


// A lexicon row: surface, ids, cost, part of speech, conjugation form and
// katakana reading; the other columns as the lexicon fills them.
std::string
Row(const char* surface, int cost, const char* partOfSpeech,
	const char* form, const char* reading, int left = 1, int right = 1)
{
	return Euc(std::string(surface) + "," + std::to_string(left) + ","
		+ std::to_string(right) + "," + std::to_string(cost) + ","
		+ partOfSpeech + ",*,*,*,*," + form + ",*," + reading + ","
		+ reading);
}

}	// namespace


TEST(NuvLexiconConverter, BaseFormsGiveOneKeyForEveryTypedSpelling)
{
	NuvLexiconConverter converter;
	EXPECT_TRUE(converter.AddRow(Row("信じる", 10, "動詞", "基本形",
		"シンジル")));
	EXPECT_TRUE(converter.AddRow(Row("落ちる", 10, "動詞", "基本形",
		"オチル")));
	EXPECT_TRUE(converter.AddRow(Row("高い", 10, "形容詞", "基本形",
		"タカイ")));
	EXPECT_TRUE(converter.AddRow(Row("美しい", 10, "形容詞", "基本形",
		"ウツクシイ")));
	EXPECT_TRUE(converter.AddRow(Row("引き込む", 10, "動詞", "基本形",
		"ヒキコム")));
	// not a base form; all kana; a katakana stem; reading that does not
	// end in the ending; not kana
	EXPECT_FALSE(converter.AddRow(Row("信じ", 5, "動詞", "連用形",
		"シンジ")));
	EXPECT_FALSE(converter.AddRow(Row("やる", 5, "動詞", "基本形", "ヤル")));
	EXPECT_FALSE(converter.AddRow(Row("ダブる", 5, "動詞", "基本形",
		"ダブル")));
	EXPECT_FALSE(converter.AddRow(Row("書く", 5, "動詞", "基本形", "カコ")));
	EXPECT_FALSE(converter.AddRow(Row("書く", 5, "動詞", "基本形", "kaku")));
	EXPECT_FALSE(converter.AddRow("too,few,fields"));

	EXPECT_EQ(kHead + ";; okuri-ari entries.\n"
		+ Euc("うつくs /美/\n"
			"おc /落/\n"
			"おt /落/\n"
			"しんj /信/\n"
			"しんz /信/\n"
			"たかi /高/\n"
			"ひきこm /引き込/\n")
		+ ";; okuri-nasi entries.\n", Written(converter));
}


TEST(NuvLexiconConverter, OkuriNasiListsEachWordOnceCheapestFirst)
{
	NuvLexiconConverter converter;
	EXPECT_TRUE(converter.AddRow(Row("漢字", 50, "名詞", "*", "カンジ")));
	EXPECT_TRUE(converter.AddRow(Row("感じ", 40, "名詞", "*", "カンジ")));
	EXPECT_TRUE(converter.AddRow(Row("漢字", 30, "名詞", "*", "カンジ")));
	EXPECT_TRUE(converter.AddRow(Row("幹事", 30, "名詞", "*", "カンジ")));
	EXPECT_TRUE(converter.AddRow(Row("ヴァイオリン", 9, "名詞", "*",
		"ヴァイオリン")));
	EXPECT_TRUE(converter.AddRow(Row("ラーメン", 9, "名詞", "*",
		"ラーメン")));
	EXPECT_TRUE(converter.AddRow(Row("a/b漢", 9, "名詞", "*", "エー")));
	EXPECT_FALSE(converter.AddRow(Row("かな", 1, "名詞", "*", "カナ")));
	EXPECT_FALSE(converter.AddRow(Row("ＡＢＣ", 1, "名詞", "*", "エービーシー")
		+ "X"));
	EXPECT_FALSE(converter.AddRow(Row("百", 1, "名詞", "*", "、")));

	EXPECT_EQ(kHead + ";; okuri-ari entries.\n;; okuri-nasi entries.\n"
		+ Euc("う゛ぁいおりん /ヴァイオリン/\n"
			"えー /(concat \"a\\057b漢\")/\n"
			"かんじ /幹事/漢字/感じ/\n"
			"らーめん /ラーメン/\n"), Written(converter));
	EXPECT_EQ(4u, converter.CountKeys());
}


TEST(NuvLexiconConverter, ConnectionCostsRankNounPhrases)
{
	// Word 1 starts a sentence cheaply but connects dearly to the case
	// particle (left id 3); word 2 the other way round. The cheap connection
	// of word 1 to a particle of another kind (4) does not count.
	std::istringstream matrix("5 5\n0 1 0\n0 2 50\n1 3 100\n2 3 0\n"
		"1 4 0\n");
	std::istringstream particles(Euc(
		"を,3,3,1,助詞,格助詞,一般,*,*,*,を,ヲ,ヲ\n"
		"を,4,4,1,助詞,接続助詞,*,*,*,*,を,ヲ,ヲ\n"));
	NuvLexiconConverter converter;
	ASSERT_TRUE(converter.ReadConnections(matrix, particles));
	converter.AddRow(Row("甲", 10, "名詞", "*", "コウ", 1, 1));
	converter.AddRow(Row("乙", 20, "名詞", "*", "コウ", 2, 2));
	EXPECT_NE(std::string::npos, Written(converter).find(Euc("こう /乙/甲/")));

	std::istringstream broken("2 2\n0 5 1\n");
	std::istringstream none;
	EXPECT_FALSE(converter.ReadConnections(broken, none));
}


TEST(NuvLexiconConverter, WordsOtherWordsAreBuiltOnRankBeforeRareOnes)
{
	// 幹事 is cheaper, but 漢字 is part of two other words: each counts
	// log(1 + 2) * 600 = 659 off its cost, 5352 - 659 < 4734. Proper nouns
	// holding 幹事 do not count, nor does a word holding itself.
	NuvLexiconConverter converter;
	converter.AddRow(Row("幹事", 4734, "名詞", "*", "カンジ"));
	converter.AddRow(Row("漢字", 5352, "名詞", "*", "カンジ"));
	converter.AddRow(Row("常用漢字", 6000, "名詞", "*", "ジョウヨウカンジ"));
	converter.AddRow(Row("当用漢字", 6000, "名詞", "*", "トウヨウカンジ"));
	for (const char* name : {"幹事会", "幹事社", "幹事長"}) {
		converter.AddRow(Euc(std::string(name) + ",1,1,9000,名詞,固有名詞,"
			"組織,*,*,*," + name + ",カンジチョウ,カンジチョウ"));
	}
	EXPECT_NE(std::string::npos, Written(converter).find(
		Euc("\nかんじ /漢字/幹事/\n")));
	converter.SetProductivityWeight(0);
	EXPECT_NE(std::string::npos, Written(converter).find(
		Euc("\nかんじ /幹事/漢字/\n")));

	// An inflected word counts once, by its base form: 乙 is in one word,
	// 1500 - 416 > 1000 (three forms counted apart would take 832 off).
	NuvLexiconConverter inflected;
	inflected.AddRow(Row("甲", 1000, "名詞", "*", "コウ"));
	inflected.AddRow(Row("乙", 1500, "名詞", "*", "コウ"));
	for (const char* form : {"乙む", "乙め", "乙ま"}) {
		inflected.AddRow(Euc(std::string(form) + ",1,1,9000,動詞,自立,*,*,"
			"五段・マ行,未然形,乙む,コウム,コウム"));
	}
	EXPECT_NE(std::string::npos, Written(inflected).find(
		Euc("\nこう /甲/乙/\n")));
}


TEST(NuvLexiconConverter, CandidatesTypedWithOkuriRankLaterWithoutIt)
{
	// 感じ is also かんj /感/ plus じ, so it costs 500 more in かんじ's
	// line: 5241 + 500 > 5352. Without the verb it keeps its own cost.
	NuvLexiconConverter converter;
	converter.SetProductivityWeight(0);
	converter.AddRow(Row("感じ", 5241, "名詞", "*", "カンジ"));
	converter.AddRow(Row("漢字", 5352, "名詞", "*", "カンジ"));
	EXPECT_NE(std::string::npos, Written(converter).find(
		Euc("\nかんじ /感じ/漢字/\n")));
	converter.AddRow(Row("感じる", 9000, "動詞", "基本形", "カンジル"));
	EXPECT_NE(std::string::npos, Written(converter).find(
		Euc("\nかんじ /漢字/感じ/\n")));

	// Only an okuri-ari line of the same reading and stem counts: 感じ
	// read かんずい gets no penalty from かんj /感/.
	converter.AddRow(Row("感じ", 5241, "名詞", "*", "カンズイ"));
	converter.AddRow(Row("漢字", 5352, "名詞", "*", "カンズイ"));
	EXPECT_NE(std::string::npos, Written(converter).find(
		Euc("\nかんずい /感じ/漢字/\n")));
}


TEST(NuvLexiconConverter, RegeneratedDictionaryMatchesTheCommittedFile)
{
	struct stat info;
	if (stat(kLexiconDirectory, &info) != 0)
		GTEST_SKIP() << kLexiconDirectory << " is not installed (Debian's"
			" mecab-ipadic): the committed NUV-JISYO.L is not checked";

	NuvLexiconConverter converter;
	std::string missing;
	ASSERT_TRUE(converter.AddDirectory(kLexiconDirectory, missing))
		<< missing;
	std::string path = testing::TempDir() + "NUV-JISYO.L.regenerated";
	{
		std::ofstream out(path, std::ios::binary | std::ios::trunc);
		converter.Write(out);
	}
	std::string regenerated = FileBytes(path);
	std::remove(path.c_str());
	std::string committed = FileBytes(NUV_SETTINGS_SOURCE_DIR "/NUV-JISYO.L");
	EXPECT_GT(converter.CountKeys(), 100000u);
	// not EXPECT_EQ: a failure would print megabytes
	EXPECT_TRUE(regenerated == committed)
		<< "settings/NUV-JISYO.L differs from what nuv-mkdict makes of "
		<< kLexiconDirectory << "; regenerate it (target nuv-jisyo)";
}
