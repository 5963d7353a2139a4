// The generator of the large dictionary.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <sys/stat.h>

#include "NuvAbbreviations.h"
#include "NuvEdictWords.h"
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
	const char* form, const char* reading, int left = 1, int right = 1)
{
	return Euc(std::string(surface) + "," + std::to_string(left) + ","
		+ std::to_string(right) + "," + std::to_string(cost) + ","
		+ partOfSpeech + ",*,*,*,*," + form + ",*," + reading + ","
		+ reading);
}


// Lexicon rows as Row() makes them.
struct Word {
	const char*	surface;
	int			cost;
	const char*	partOfSpeech;
	const char*	form;
	const char*	reading;
};


void
AddRows(NuvLexiconConverter& converter, std::initializer_list<Word> words)
{
	for (const Word& word : words) {
		converter.AddRow(Row(word.surface, word.cost, word.partOfSpeech,
			word.form, word.reading));
	}
}


// Expects each key's line in the written dictionary ("" for none).
void
ExpectLines(const std::string& written,
	std::initializer_list<std::pair<const char*, const char*>> lines)
{
	for (const auto& [key, candidates] : lines)
		EXPECT_EQ(candidates, Line(written, key)) << key;
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


TEST(NuvLexiconConverter, EveryVerbClassAndAdjectiveGetsTheKeysOfItsForms)
{
	NuvLexiconConverter converter;
	std::istringstream rows(Euc(ReadFile(NUV_TEST_DATA_DIR
		"/tools/conjugations.csv")));
	converter.AddFile(rows);
	ExpectLines(Written(converter), {
		// godan: base, negative, continuative, sound changes, conditional
		{"かk", "/書/"}, {"かi", "/書/"},
		{"いk", "/行/"}, {"いt", "/行/"}, {"ゆk", "/行/"},
		{"よm", "/読/"}, {"よn", "/読/"},
		{"まt", "/待/"}, {"まc", "/待/"},	// 待ち: chi and ti
		{"おこなu", "/行/"}, {"おこなw", "/行/"}, {"おこなi", "/行/"},
		{"おこなo", "/行/"}, {"おこなt", "/行/"}, {"おこなe", "/行/"},
		{"はなs", "/話/"},
		{"あそb", "/遊/"}, {"あそn", "/遊/"},
		{"およg", "/泳/"}, {"およi", "/泳/"},
		// ichidan: the ending's letter, ji and zi, chi and ti; a stem that
		// ends in its kanji under each auxiliary's letter
		{"しんj", "/信/"}, {"しんz", "/信/"}, {"おc", "/落/"}, {"おt", "/落/"},
		{"みm", "/見/"}, {"みn", "/見/"}, {"みr", "/見/"}, {"みt", "/見/"},
		{"みy", "/見/"}, {"できm", "/出来/"}, {"できn", "/出来/"},
		// kahen and sahen, and a noun that takes する
		{"こn", "/来/"}, {"きm", "/来/"}, {"くr", "/来/"}, {"こi", "/来/"},
		{"あいs", "/愛/"}, {"べんきょうs", "/勉強/"},
		// adjectives: い く か け and the stem's さ, and so on
		{"つよi", "/強/"}, {"つよk", "/強/"}, {"つよs", "/強/"},
		{"つよg", "/強/"}, {"うつくs", "/美/"},
		// a stem that ends in its kanji is also a word of its own (見 of
		// 見ます typed apart); other forms are not (書い is no okuri-nasi
		// word); っ ends no form that a letter other than t continues
		{"み", "/見/"}, {"つよ", "/強/"}, {"かい", ""}, {"いc", ""},
	});
}


TEST(NuvLexiconConverter, RowsThatGiveNoKeyAreRefused)
{
	NuvLexiconConverter converter;
	EXPECT_FALSE(converter.AddRow(Row("やる", 5, "動詞", "基本形", "ヤル")));
	EXPECT_FALSE(converter.AddRow(Row("ダブる", 5, "動詞", "基本形",
		"ダブル")));
	EXPECT_FALSE(converter.AddRow(Row("書く", 5, "動詞", "基本形", "カコ")));
	EXPECT_FALSE(converter.AddRow(Row("書く", 5, "動詞", "基本形", "kaku")));
	EXPECT_FALSE(converter.AddRow(Row("かな", 1, "名詞", "*", "カナ")));
	EXPECT_FALSE(converter.AddRow(Row("ＡＢＣ", 1, "名詞", "*", "エービーシー")
		+ "X"));
	EXPECT_FALSE(converter.AddRow(Row("百", 1, "名詞", "*", "、")));
	EXPECT_FALSE(converter.AddRow("too,few,fields"));
	EXPECT_TRUE(converter.AddRow(Row("ヴァイオリン", 9, "名詞", "*",
		"ヴァイオリン")));
	EXPECT_TRUE(converter.AddRow(Row("a/b漢", 9, "名詞", "*", "エー")));
	EXPECT_EQ(2u, converter.CountKeys());
	std::string written = Written(converter);
	EXPECT_EQ(0u, written.find(";; NUV-JISYO.L: made by nuv-mkdict"));
	EXPECT_NE(std::string::npos, written.find(";; okuri-ari entries.\n"
		";; okuri-nasi entries.\n" + Euc("う゛ぁいおりん /ヴァイオリン/\n"
			"えー /(concat \"a\\057b漢\")/\n")));
}


TEST(NuvLexiconConverter, CountsRankCandidatesAndCostsRankWhatTheyDoNotShow)
{
	NuvLexiconConverter converter;
	converter.SetProductivityWeight(0);
	AddRows(converter, {
		// 幹事 is cheapest, but the text writes 漢字; 監事 and 完治 are
		// unseen and keep their cost order after it
		{"幹事", 4000, "名詞", "*", "カンジ"}, {"漢字", 5000, "名詞", "*", "カンジ"},
		{"完治", 4600, "名詞", "*", "カンジ"}, {"監事", 4500, "名詞", "*", "カンジ"},
		// 感じ is written more often than 漢字, but typed かんj: its count
		// ranks that key; under かんじ the okuri penalty and a share of it
		{"感じ", 3900, "名詞", "*", "カンジ"},
		{"感じる", 3900, "動詞", "基本形", "カンジル"},
		// テキ is cheapest but katakana: after the kanji, counted or not;
		// カナ the text writes more often than 仮名, so it stays first
		{"テキ", 1000, "名詞", "*", "テキ"}, {"的", 6000, "名詞", "*", "テキ"},
		{"敵", 6100, "名詞", "*", "テキ"}, {"カナ", 5000, "名詞", "*", "カナ"},
		{"仮名", 5000, "名詞", "*", "カナ"},
		// the forms of a verb add up: 掛 is cheaper and its one form more
		// frequent than any one of 書's, but 書 has more in all
		{"掛け", 3000, "動詞", "連用形", "カケ"},
		{"書か", 4000, "動詞", "未然形", "カカ"},
		{"書き", 4000, "動詞", "連用形", "カキ"},
		{"書く", 4000, "動詞", "基本形", "カク"},
		// 値 is counted under ね only: as a common spelling it goes before 価
		{"価", 5000, "名詞", "*", "アタイ"}, {"値", 5200, "名詞", "*", "アタイ"},
	});
	std::istringstream counts(Count("ね", "値", 1000)
		+ Count("かんじ", "漢字", 80)
		+ Count("かんじ", "幹事", 3, "base")	// kind base is not counted
		+ Count("かんじ", "感じ", 200)
		+ Count("てき", "的", 50) + Count("てき", "テキ", 40)
		+ Count("かな", "カナ", 9) + Count("かな", "仮名", 4)
		+ Count("かけ", "掛け", 35) + Count("かか", "書か", 30)
		+ Count("かき", "書き", 30) + Count("かく", "書く", 30)
		+ "# comment\nbroken line\n");
	EXPECT_EQ(11u, converter.ReadUsageCounts(counts));
	// 感じ keeps a quarter of its counts here: after 漢字, before 幹事
	ExpectLines(Written(converter), {{"かんじ", "/漢字/感じ/幹事/監事/完治/"},
		{"かんj", "/感/"}, {"てき", "/的/敵/テキ/"}, {"かな", "/カナ/仮名/"},
		{"かk", "/書/掛/"}, {"あたい", "/値/価/"}});
}


TEST(NuvLexiconConverter, KindsOfWritingWeighAlikeAndWordsOfSeveralKindsWin)
{
	// 先頭 is written 90 times, all in manuals; 戦闘 12 times in each of
	// the three other kinds. Each kind's rates count alike (the narrative
	// table is ten times larger, so its 120 weigh as 12), and the power
	// mean ranks 戦闘 first; the plain mean of the rates ranks 先頭 first.
	auto table = [](int first, int second, int filler) {
		return std::istringstream(Count("せんとう", "先頭", first)
			+ Count("せんとう", "戦闘", second) + Count("ほか", "他", filler));
	};
	NuvLexiconConverter converter;
	converter.AddRow(Row("先頭", 5000, "名詞", "*", "セントウ"));
	converter.AddRow(Row("戦闘", 5000, "名詞", "*", "セントウ"));
	std::istringstream manual = table(90, 0, 910);
	std::istringstream interface = table(0, 12, 988);
	std::istringstream help = table(0, 12, 988);
	std::istringstream narrative = table(0, 120, 9880);
	converter.ReadUsageCounts(manual, "manual");
	converter.ReadUsageCounts(interface, "interface");
	converter.ReadUsageCounts(help, "help");
	converter.ReadUsageCounts(narrative, "narrative");
	EXPECT_EQ("/戦闘/先頭/", Line(Written(converter), "せんとう"));
	converter.SetKindPower(1);
	EXPECT_EQ("/先頭/戦闘/", Line(Written(converter), "せんとう"));
}


TEST(NuvLexiconConverter, AffixesArePricedInTheirPlaceAndPlainReadingsOfferWholeWords)
{
	// 国 is a suffix: dear at the start of a sentence (5000), free after
	// a noun (right id 1), so it goes before 酷 (5083).
	std::istringstream matrix("4 4\n0 1 0\n0 2 0\n0 3 5000\n1 3 0\n");
	std::istringstream particles;
	NuvLexiconConverter converter;
	converter.SetProductivityWeight(0);
	ASSERT_TRUE(converter.ReadConnections(matrix, particles));
	converter.AddRow(Euc("石,1,1,9239,名詞,一般,*,*,*,*,石,イシ,イシ"));
	converter.AddRow(Euc("酷,2,2,5083,名詞,一般,*,*,*,*,酷,コク,コク"));
	converter.AddRow(Euc("国,3,3,4000,名詞,接尾,一般,*,*,*,国,コク,コク"));
	// 良い typed without its okuri finds 良い, after what the text writes
	// without okurigana (宵), and under いい before a rare noun, as the text
	// writes it often under よい; 晴 is 晴れ without its okurigana, so it
	// goes after it when the text writes 晴れ more (not 値 after 値い);
	// 良かっ is no dictionary form
	AddRows(converter, {
		{"良い", 842, "形容詞", "基本形", "ヨイ"},
		{"良い", 842, "形容詞", "基本形", "イイ"}, {"謂", 300, "名詞", "*", "イイ"},
		{"良かっ", 842, "形容詞", "連用タ接続", "ヨカッ"},
		{"宵", 6000, "名詞", "*", "ヨイ"}, {"晴", 5632, "名詞", "*", "ハレ"},
		{"晴れ", 5587, "名詞", "*", "ハレ"}, {"晴れ", 7302, "動詞", "連用形", "ハレ"},
		{"値", 5000, "名詞", "*", "アタイ"}, {"値い", 5000, "名詞", "*", "アタイ"},
	});
	std::istringstream counts(Count("よい", "宵", 5)
		+ Count("よい", "良い", 2) + Count("ほか", "他", 93)
		+ Count("はれ", "晴", 1) + Count("はれ", "晴れ", 4)
		+ Count("あたい", "値", 3));
	converter.ReadUsageCounts(counts);
	ExpectLines(Written(converter), {{"こく", "/国/酷/"}, {"よい", "/宵/良い/"},
		{"いい", "/良い/謂/"}, {"はれ", "/晴れ/晴/"}, {"あたい", "/値/値い/"},
		{"よかっ", ""}});
}


TEST(NuvLexiconConverter, WordsTheCountsShowTwiceAndTheLexiconLacksAreAdded)
{
	NuvLexiconConverter converter;
	AddRows(converter, {{"行わ", 5000, "動詞", "未然形", "オコナワ"},
		{"行お", 5000, "動詞", "未然ウ接続", "オコナオ"},
		{"値", 5000, "名詞", "*", "アタイ"}});
	std::istringstream counts(Count("かえりち", "返り値", 3)
		+ Count("はりつけ", "貼り付け", 2)
		+ Count("ふぁいるでぃすくりぷたー", "ファイルディスクリプター", 2)
		+ Count("ぎょうすう", "行数", 1)			// once is no evidence
		+ Count("いっ", "一", 9)					// one character
		+ Count("おこなおう", "行おう", 5)			// おこなo /行/ has it
		+ Count("あたい", "値", 9)					// the lexicon has it
		+ Count("a", "値a", 9));					// not all kana and kanji
	converter.ReadUsageCounts(counts);
	EXPECT_EQ(3u, converter.AddCountedWords());
	ExpectLines(Written(converter), {{"かえりち", "/返り値/"},
		{"はりつk", "/貼り付/"},
		{"ふぁいるでぃすくりぷたー", "/ファイルディスクリプター/"},
		{"おこなおう", ""}});
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
	EXPECT_EQ("/乙/甲/", Line(Written(converter), "こう"));

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
	AddRows(converter, {{"幹事", 4734, "名詞", "*", "カンジ"},
		{"漢字", 5352, "名詞", "*", "カンジ"},
		{"常用漢字", 6000, "名詞", "*", "ジョウヨウカンジ"},
		{"当用漢字", 6000, "名詞", "*", "トウヨウカンジ"}});
	for (const char* name : {"幹事会", "幹事社", "幹事長"}) {
		converter.AddRow(Euc(std::string(name) + ",1,1,9000,名詞,固有名詞,"
			"組織,*,*,*," + name + ",カンジチョウ,カンジチョウ"));
	}
	EXPECT_EQ("/漢字/幹事/", Line(Written(converter), "かんじ"));
	converter.SetProductivityWeight(0);
	EXPECT_EQ("/幹事/漢字/", Line(Written(converter), "かんじ"));

	// An inflected word counts once, by its base form: 乙 is in one word,
	// 1500 - 416 > 1000 (three forms counted apart would take 832 off).
	NuvLexiconConverter inflected;
	AddRows(inflected, {{"甲", 1000, "名詞", "*", "コウ"},
		{"乙", 1500, "名詞", "*", "コウ"}});
	for (const char* form : {"乙む", "乙め", "乙ま"}) {
		inflected.AddRow(Euc(std::string(form) + ",1,1,9000,動詞,自立,*,*,"
			"五段・マ行,未然形,乙む,コウム,コウム"));
	}
	EXPECT_EQ("/甲/乙/", Line(Written(inflected), "こう"));
}


TEST(NuvLexiconConverter, CandidatesTypedWithOkuriRankLaterWithoutIt)
{
	// 感じ is typed かんj /感/ plus じ, so it costs 500 more in かんじ's
	// line: 5241 + 500 > 5352. 感じ read かんずい gets no penalty: no
	// okuri-ari line of that reading and stem.
	NuvLexiconConverter converter;
	converter.SetProductivityWeight(0);
	AddRows(converter, {{"感じ", 5241, "名詞", "*", "カンジ"},
		{"漢字", 5352, "名詞", "*", "カンジ"}, {"感じ", 5241, "名詞", "*", "カンズイ"},
		{"漢字", 5352, "名詞", "*", "カンズイ"}});
	ExpectLines(Written(converter), {{"かんじ", "/漢字/感じ/"},
		{"かんずい", "/感じ/漢字/"}, {"かんj", "/感/"}});
}


TEST(NuvAbbreviations, EnglishSourcesAndAcronymsOfEdictBecomeAsciiKeys)
{
	NuvAbbreviations words;
	const char* const kLines[] = {
		"コンピュータ /(n) computer/(P)/",
		"キー /(n) (on-mim) screech/squeak/",			// not the source
		"キー /(n) key (lock, keyboard, piano)/(P)/",
		"ドイツ /(n) Germany/(P)/",						// not the source
		"アルバイト /(n,vs) (ger: Arbeit) part-time job/work/",
		"サーバ /(n) (1) (comp) server/(n) (2) (cake) server/",
		"世界保健機関 [せかいほけんきかん] /(n) World Health Organization/WHO/",
		"シーピーユー /(n) CPU/",						// letter names
		"パソコン /(n) personal computer/PC/",
		"ＣＰＵ [シーピーユー] /(n) central processing unit/CPU/",
		"broken line",
	};
	for (const char* line : kLines)
		words.AddEdictLine(Euc(line));
	std::istringstream table("# units\nkm\tキロメートル\tキロ\nbad\n");
	EXPECT_EQ(2u, words.ReadTable(table));

	std::string got;
	for (const NuvAbbreviations::entry& word : words.Entries()) {
		got += word.key + " " + nuv_test::EucToUtf8(word.candidate) + " "
			+ nuv_test::EucToUtf8(word.reading) + " "
			+ std::to_string(word.cost) + "\n";
	}
	EXPECT_EQ("computer コンピュータ こんぴゅーた 0\n"
		"key キー きー 0\n"
		"server サーバ さーば 1000\n"
		"WHO 世界保健機関 せかいほけんきかん 1000\n"
		"who 世界保健機関 せかいほけんきかん 1000\n"
		"PC パソコン ぱそこん 1000\n"
		"pc パソコン ぱそこん 1000\n"
		"km キロメートル  0\n"
		"km キロ  1\n", got);
}


TEST(NuvEdictWords, LoanwordsAndCommonWordsTheLexiconLacksAreAdded)
{
	NuvEdictWords edict;
	const char* const kLines[] = {
		"スレッド /(n) thread/(P)/",
		"リビジョン /(n) revision/",
		"アイ・シー /(n) IC/",						// a middle dot
		"閾値 [いきち] /(n) threshold/(P)/",
		"取り扱い [とりあつかい] /(n) handling/(P)/",
		"漢字 [かんじ] /(n) Chinese characters/(P)/",
		"幹事長 [かんじちょう] /(n) secretary-general/",	// not common
		"１日 [ついたち] /(n) first day of the month/(P)/",	// a digit
		"ＣＰＵ [シーピーユー] /(n) CPU/",
	};
	for (const char* line : kLines)
		edict.AddLine(Euc(line));
	ASSERT_EQ(5u, edict.Words().size());

	NuvLexiconConverter converter;
	converter.AddRow(Row("漢字", 5000, "名詞", "*", "カンジ"));
	size_t added = 0;
	for (const NuvEdictWords::word& word : edict.Words())
		added += converter.AddWord(word.reading, word.surface, word.cost);
	EXPECT_EQ(4u, added);	// the lexicon's 漢字 stays as it was
	ExpectLines(Written(converter), {{"すれっど", "/スレッド/"},
		{"りびじょん", "/リビジョン/"}, {"いきち", "/閾値/"},
		{"とりあつかい", "/取り扱い/"}, {"とりあつかi", "/取り扱/"},
		{"かんじ", "/漢字/"}});
}


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
