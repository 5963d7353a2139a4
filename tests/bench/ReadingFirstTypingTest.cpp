// The accuracy benchmark measures the right thing only if it types each word
// as the reading-first style does, for the word shapes that decide it.
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "ReadingFirstTyping.h"
#include "TestText.h"

namespace {

using Typing = ReadingFirstTyping;

// The default table, which the benchmark types with: its spare spellings
// (ci beside si, fu beside hu) are what the choice of spelling must handle.
std::string
KanaTable()
{
	std::ifstream in(NUV_SETTINGS_SOURCE_DIR "/roman_kana.table",
		std::ios::binary);
	return nuv_test::EucToUtf8(std::string(
		std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

}	// namespace


TEST(ReadingFirstTyping, WordsAreKeyedByStemReadingAndOkuriLetterOrTypedDirectly)
{
	const Typing kunrei(KanaTable());
	const Typing hepburn(KanaTable(), true);
	// The word the first token becomes, the tokens after it following:
	// candidate|key|okurigana|keys.
	const struct {
		const Typing&				typing;
		std::vector<Typing::Token>	tokens;
		const char*					word;
	} kWords[] = {
		{kunrei, {{"食べる", "タベル", true}}, "食|たb|べ|TaBe"},
		// っ is finished only by the next token's kana; 出来 ends in its
		// kanji, so its okurigana is the next token's.
		{kunrei, {{"使っ", "ツカッ", true}, {"て", "テ", false}},
			"使|つかt|って|TukaTte"},
		{kunrei, {{"読ん", "ヨン", true}, {"だ", "ダ", true}}, "読|よn|ん|YoNn"},
		{kunrei, {{"出来", "デキ", true}, {"ます", "マス", true}},
			"出来|できm|ま|DekiMa"},
		{kunrei, {{"強く", "ツヨク", true}}, "強|つよk|く|TuyoKu"},
		// The key letter follows the spelling typed.
		{kunrei, {{"待ち", "マチ", true}}, "待|まt|ち|MaTi"},
		{hepburn, {{"待ち", "マチ", true}}, "待|まc|ち|MaChi"},
		// 新しい's し is typed si, not ci, which the table also accepts.
		{kunrei, {{"新しい", "アタラシイ", true}}, "新|あたらs|し|AtaraSi"},
		{kunrei, {{"参照", "サンショウ", false}}, "参照|さんしょう||Sannsyou"},
		// An unknown katakana word reads as written.
		{kunrei, {{"ファイル", "", false}}, "ファイル|ふぁいる||Fairu"},
		// An inflected word with no kana after it has no okurigana to type.
		{kunrei, {{"来", "キ", true}, {"。", "", false}}, "来|き||Ki"},
	};
	for (const auto& [typing, tokens, expected] : kWords) {
		const Typing::Word word = typing.Split(tokens).at(0);
		EXPECT_EQ(word.kind, Typing::kConvert) << word.surface;
		EXPECT_EQ(word.candidate + "|" + word.reading + word.okuri + "|"
			+ word.okurigana + "|" + word.keys, expected);
	}

	const std::pair<Typing::Token, Typing::Kind> kOthers[] = {
		{{"する", "スル", true}, Typing::kDirect},
		{{"ABC", "", false}, Typing::kDirect},
		{{"漢字", "", false}, Typing::kUnreadable},
	};
	for (const auto& [token, kind] : kOthers)
		EXPECT_EQ(kunrei.Split({token}).at(0).kind, kind) << token.surface;
	EXPECT_EQ(kunrei.Romaji("きって"), "kitte");
	EXPECT_EQ(kunrei.Romaji("ほんや"), "honnya");
	EXPECT_EQ(kunrei.Romaji("あっ"), "axtu");
	EXPECT_EQ(kunrei.Romaji("ゕ"), "");	// no spelling in the table
}
