// The accuracy benchmark measures the right thing only if it types each word
// the way the reading-first style does: these pin the key, the candidate and
// the keys typed for the word shapes that decide it.
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "ReadingFirstTyping.h"
#include "TestText.h"

namespace {

using Token = ReadingFirstTyping::Token;
using Word = ReadingFirstTyping::Word;


// The default table, not a fixture: the benchmark types with it, and its
// spare spellings (ci beside si, fu beside hu) are what the choice of
// spelling has to get right.
std::string
KanaTable()
{
	std::ifstream in(NUV_SETTINGS_SOURCE_DIR "/roman_kana.table",
		std::ios::binary);
	return nuv_test::EucToUtf8(std::string(
		std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}


// The word the first token becomes, the tokens after it following.
Word
First(const ReadingFirstTyping& typing, std::vector<Token> tokens)
{
	return typing.Split(tokens).at(0);
}


void
ExpectConverted(const Word& word, const std::string& candidate,
	const std::string& key, const std::string& okurigana,
	const std::string& keys)
{
	SCOPED_TRACE(word.surface);
	EXPECT_EQ(word.kind, ReadingFirstTyping::kConvert);
	EXPECT_EQ(word.candidate, candidate);
	EXPECT_EQ(word.reading + word.okuri, key);
	EXPECT_EQ(word.okurigana, okurigana);
	EXPECT_EQ(word.keys, keys);
}

}	// namespace


TEST(ReadingFirstTyping, InflectedWordsAreKeyedByStemReadingAndOkuriLetter)
{
	const ReadingFirstTyping kunrei(KanaTable());
	ExpectConverted(First(kunrei, {{"食べる", "タベル", true}}),
		"食", "たb", "べ", "TaBe");
	// The okurigana っ is finished only by the kana after it, in the next
	// token; 出来 ends in its kanji, so the okurigana is the next token's.
	ExpectConverted(First(kunrei, {{"使っ", "ツカッ", true}, {"て", "テ", false}}),
		"使", "つかt", "って", "TukaTte");
	ExpectConverted(First(kunrei, {{"読ん", "ヨン", true}, {"だ", "ダ", true}}),
		"読", "よn", "ん", "YoNn");
	ExpectConverted(First(kunrei, {{"出来", "デキ", true}, {"ます", "マス", true}}),
		"出来", "できm", "ま", "DekiMa");
	ExpectConverted(First(kunrei, {{"強く", "ツヨク", true}}),
		"強", "つよk", "く", "TuyoKu");
	// The key letter follows the spelling typed.
	ExpectConverted(First(kunrei, {{"待ち", "マチ", true}}),
		"待", "まt", "ち", "MaTi");
	ExpectConverted(First(ReadingFirstTyping(KanaTable(), true),
			{{"待ち", "マチ", true}}),
		"待", "まc", "ち", "MaChi");
	// 新しい's し is typed si, not ci, which the table also accepts.
	ExpectConverted(First(kunrei, {{"新しい", "アタラシイ", true}}),
		"新", "あたらs", "し", "AtaraSi");
}


TEST(ReadingFirstTyping, OtherWordsAreTypedWholeOrDirectly)
{
	const ReadingFirstTyping typing(KanaTable());
	ExpectConverted(First(typing, {{"参照", "サンショウ", false}}),
		"参照", "さんしょう", "", "Sannsyou");
	// An unknown katakana word reads as written.
	ExpectConverted(First(typing, {{"ファイル", "", false}}),
		"ファイル", "ふぁいる", "", "Fairu");
	// An inflected word with no kana after it has no okurigana to type.
	ExpectConverted(First(typing, {{"来", "キ", true}, {"。", "", false}}),
		"来", "き", "", "Ki");
	EXPECT_EQ(First(typing, {{"する", "スル", true}}).kind,
		ReadingFirstTyping::kDirect);
	EXPECT_EQ(First(typing, {{"ABC", "", false}}).kind,
		ReadingFirstTyping::kDirect);
	EXPECT_EQ(First(typing, {{"漢字", "", false}}).kind,
		ReadingFirstTyping::kUnreadable);

	EXPECT_EQ(typing.Romaji("きって"), "kitte");
	EXPECT_EQ(typing.Romaji("ほんや"), "honnya");
	EXPECT_EQ(typing.Romaji("あっ"), "axtu");
	EXPECT_EQ(typing.Romaji("ゕ"), "");	// no spelling in the table
}
