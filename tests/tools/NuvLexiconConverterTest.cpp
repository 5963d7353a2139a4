// The generator of the large dictionary.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/stat.h>

#include "EucText.h"
#include "NuvLexiconConverter.h"

namespace {

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
