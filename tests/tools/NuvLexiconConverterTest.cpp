// The generator of the large dictionary.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <sys/stat.h>

#include "NuvAbbreviations.h"
#include "NuvLexiconConverter.h"
#include "Scratch.h"
#include "TestText.h"

namespace {

// EUC-JP text from the UTF-8 literals of this file.
constexpr auto Euc = &nuv_test::Utf8ToEuc;

const char* const kLexiconDirectory = "/usr/share/mecab/dic/ipadic";
const char* const kEdictFile = "/usr/share/edict/edict";
const char* const kToolsData = NUV_SETTINGS_SOURCE_DIR "/../tools/data/";


std::string
Written(const NuvLexiconConverter& converter)
{
	std::ostringstream out;
	converter.Write(out);
	return out.str();
}


// The candidates of `key` in the written dictionary, "/a/b/" in UTF-8, or
// "" when the key has no line.
std::string
Line(const std::string& written, const char* key)
{
	std::string start = "\n" + Euc(key) + " /";
	size_t found = written.find(start);
	if (found == std::string::npos)
		return "";
	found += start.size() - 1;
	return nuv_test::EucToUtf8(written.substr(found,
		written.find('\n', found) - found));
}


// A lexicon row: surface, ids, cost, part of speech, conjugation form and
// katakana reading; the other columns as the lexicon fills them.
std::string
Row(const char* surface, int cost, const char* partOfSpeech,
	const char* form, const char* reading)
{
	return Euc(std::string(surface) + ",1,1," + std::to_string(cost) + ","
		+ partOfSpeech + ",*,*,*,*," + form + ",*," + reading + ","
		+ reading);
}


// A usage-count table line.
std::string
Count(const char* reading, const char* surface, int count,
	const char* kind = "form")
{
	return std::string(reading) + "\t" + surface + "\t"
		+ std::to_string(count) + "\t" + kind + "\n";
}

}	// namespace


TEST(NuvLexiconConverter, RowsMatricesAndLinesThatGiveNothingAreRefused)
{
	NuvLexiconConverter converter;
	for (const std::string& row : {Row("やる", 5, "動詞", "基本形", "ヤル"),
			Row("ダブる", 5, "動詞", "基本形", "ダブル"),
			Row("書く", 5, "動詞", "基本形", "カコ"),
			Row("書く", 5, "動詞", "基本形", "kaku"),
			Row("かな", 1, "名詞", "*", "カナ"),
			Row("ＡＢＣ", 1, "名詞", "*", "エービーシー") + "X",
			Row("百", 1, "名詞", "*", "、"), std::string("too,few,fields")})
		EXPECT_FALSE(converter.AddRow(row)) << nuv_test::EucToUtf8(row);
	EXPECT_TRUE(converter.AddRow(Row("ヴァイオリン", 9, "名詞", "*",
		"ヴァイオリン")));
	EXPECT_TRUE(converter.AddRow(Row("a/b漢", 9, "名詞", "*", "エー")));
	EXPECT_EQ(2u, converter.CountKeys());
	std::string written = Written(converter);
	EXPECT_EQ(0u, written.find(";; NUV-JISYO.L: made by nuv-mkdict"));
	EXPECT_NE(std::string::npos, written.find(";; okuri-ari entries.\n"
		";; okuri-nasi entries.\n" + Euc("う゛ぁいおりん /ヴァイオリン/\n"
			"えー /(concat \"a\\057b漢\")/\n")));

	// A connection matrix that names more ids than it declares.
	std::istringstream broken("2 2\n0 5 1\n");
	std::istringstream none;
	EXPECT_FALSE(converter.ReadConnections(broken, none));

	// What the rest of both abbreviation sources gives is checked against
	// the committed dictionary below.
	NuvAbbreviations words;
	words.AddEdictLine("broken line");
	std::istringstream table("# units\nkm\tキロメートル\tキロ\nbad\n");
	EXPECT_EQ(2u, words.ReadTable(table));
	EXPECT_EQ(2u, words.Entries().size());
}


TEST(NuvLexiconConverter, CountsRankCandidatesAndCostsRankWhatTheyDoNotShow)
{
	NuvLexiconConverter converter;
	converter.SetProductivityWeight(0);
	// 幹事 is cheapest, but the text writes 漢字; 監事 and 完治 are unseen,
	// and 完治, marked common, goes before them though it costs more
	converter.AddRow(Row("幹事", 4000, "名詞", "*", "カンジ"));
	converter.AddRow(Row("漢字", 5000, "名詞", "*", "カンジ"));
	converter.AddRow(Row("完治", 4600, "名詞", "*", "カンジ"));
	converter.AddRow(Row("監事", 4500, "名詞", "*", "カンジ"));
	// 感じ is written more often than 漢字, but typed かんj: its count
	// ranks that key; under かんじ the okuri penalty and a share of it
	converter.AddRow(Row("感じ", 3900, "名詞", "*", "カンジ"));
	converter.AddRow(Row("感じる", 3900, "動詞", "基本形", "カンジル"));
	// テキ is cheapest but katakana: after the kanji, counted or not; カナ
	// the text writes more often than 仮名, so it stays first
	converter.AddRow(Row("テキ", 1000, "名詞", "*", "テキ"));
	converter.AddRow(Row("的", 6000, "名詞", "*", "テキ"));
	converter.AddRow(Row("敵", 6100, "名詞", "*", "テキ"));
	converter.AddRow(Row("カナ", 5000, "名詞", "*", "カナ"));
	converter.AddRow(Row("仮名", 5000, "名詞", "*", "カナ"));
	// the forms of a verb add up: 掛 is cheaper and its one form more
	// frequent than any one of 書's, but 書 has more in all
	converter.AddRow(Row("掛け", 3000, "動詞", "連用形", "カケ"));
	converter.AddRow(Row("書か", 4000, "動詞", "未然形", "カカ"));
	converter.AddRow(Row("書き", 4000, "動詞", "連用形", "カキ"));
	converter.AddRow(Row("書く", 4000, "動詞", "基本形", "カク"));
	// 値 is counted under ね only: as a common spelling it goes before 価
	converter.AddRow(Row("価", 5000, "名詞", "*", "アタイ"));
	converter.AddRow(Row("値", 5200, "名詞", "*", "アタイ"));
	std::istringstream counts(Count("ね", "値", 1000)
		+ Count("かんじ", "漢字", 80) + Count("かんじ", "感じ", 200)
		+ Count("かんじ", "幹事", 3, "base")	// kind base is not counted
		+ Count("てき", "的", 50) + Count("てき", "テキ", 40)
		+ Count("かな", "カナ", 9) + Count("かな", "仮名", 4)
		+ Count("かけ", "掛け", 35) + Count("かか", "書か", 30)
		+ Count("かき", "書き", 30) + Count("かく", "書く", 30)
		+ "# comment\nbroken line\n");
	EXPECT_EQ(11u, converter.ReadUsageCounts(counts));
	converter.MarkCommon(Euc("かんじ"), Euc("完治"));

	// 感じ keeps a quarter of its counts here: after 漢字, before 幹事
	const std::string written = Written(converter);
	const std::pair<const char*, const char*> kLines[] = {
		{"かんじ", "/漢字/感じ/完治/幹事/監事/"}, {"かんj", "/感/"},
		{"てき", "/的/敵/テキ/"}, {"かな", "/カナ/仮名/"}, {"かk", "/書/掛/"},
		{"あたい", "/値/価/"}};
	for (const auto& [key, candidates] : kLines)
		EXPECT_EQ(candidates, Line(written, key)) << key;
}


// Every okuri-ari key of every verb class and adjective is checked here.
TEST(NuvLexiconConverter, RegeneratedDictionaryMatchesTheCommittedFile)
{
	struct stat info;
	for (const char* path : {kLexiconDirectory, kEdictFile}) {
		if (stat(path, &info) != 0)
			GTEST_SKIP() << path << " is not installed (Debian's mecab-ipadic"
				" and edict): the committed NUV-JISYO.L is not checked";
	}

	std::vector<NuvLexiconConverter::counts_file> counts;
	for (const char* kind : {"manual", "interface", "help", "narrative"}) {
		for (const char* analyser : {"ipadic", "unidic"}) {
			counts.push_back(NuvLexiconConverter::CountsFile(
				std::string(kToolsData) + "counts/" + kind + "." + analyser
					+ ".tsv"));
		}
	}
	NuvLexiconConverter converter;
	std::string missing;
	ASSERT_TRUE(converter.AddSources(kLexiconDirectory, counts, kEdictFile,
		std::string(kToolsData) + "abbreviations.tsv", missing)) << missing;
	EXPECT_GT(converter.CountKeys(), 100000u);
	// not EXPECT_EQ: a failure would print megabytes
	EXPECT_TRUE(Written(converter)
		== ReadFile(NUV_SETTINGS_SOURCE_DIR "/NUV-JISYO.L"))
		<< "settings/NUV-JISYO.L differs from what nuv-mkdict makes of "
		<< kLexiconDirectory << "; regenerate it (target nuv-jisyo)";
}
