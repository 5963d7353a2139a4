// A few end-to-end checks over the default large dictionary.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include "NuvKey.h"
#include "NuvStaticDictionary.h"
#include "TestText.h"


TEST(DefaultDictionary, CommonWordsComeFirstAndFormsAndAbbreviationsAreKeyed)
{
	NuvStaticDictionary dictionary;
	std::ifstream in(NUV_SETTINGS_SOURCE_DIR "/NUV-JISYO.L", std::ios::binary);
	dictionary.Read(in);
	EXPECT_GT(dictionary.CountItems(), 100000u);

	// Each word must be among the first `within` candidates of its key text
	// (the reading, then the okuri letter of an inflected word).
	const int kAny = 1 << 30;
	const struct {
		const char*	key;
		const char*	word;
		int			within;
	} kRanks[] = {
		// 感じ is typed かんj; the plain reading is for 漢字
		{"かんじ", "漢字", 1}, {"かんじ", "感じ", kAny},
		// readings whose everyday word is plain, with rarer homophones
		{"にほん", "日本", 1}, {"がっこう", "学校", 1}, {"あめ", "雨", 1},
		{"きしゃ", "記者", 1}, {"かがく", "科学", 1}, {"しりょう", "資料", 1},
		{"たいしょう", "対象", 1}, {"でんわ", "電話", 1}, {"せかい", "世界", 1},
		{"じかん", "時間", 1}, {"かいしゃ", "会社", 1}, {"しごと", "仕事", 1},
		{"けんとう", "検討", 1}, {"いどう", "移動", 1},
		// where several words are common, they come before the rare ones
		// (manuals write 仮定 and 過程 more often than 家庭)
		{"はし", "橋", 3}, {"はし", "箸", 3}, {"きかい", "機械", 2},
		{"きかい", "機会", 2}, {"かてい", "家庭", 3}, {"ばん", "版", 2},
		// katakana spellings and rare homophones used to come first
		{"てき", "的", 1}, {"つぎ", "次", 1}, {"さんしょう", "参照", 1},
		{"かのう", "可能", 1}, {"しはい", "支配", 1}, {"ひじょう", "非常", 1},
		{"ねん", "年", 1},
		// inflected words that used to open registration, with every
		// spelling's letter: chi/ti, ji/zi
		{"かk", "書", 1}, {"たかi", "高", 1}, {"うつくs", "美", 1},
		{"つかt", "使", 4}, {"よn", "読", 4}, {"いt", "行", 4},
		{"いt", "言", 4}, {"はしt", "走", 4}, {"できm", "出来", 4},
		{"おこなw", "行", 4}, {"ふくn", "含", 4}, {"つよk", "強", 4},
		{"かi", "書", 4}, {"まt", "待", 4}, {"たb", "食", 4}, {"みm", "見", 4},
		{"べんきょうs", "勉強", 4}, {"もc", "持", 4}, {"もt", "持", 4},
		{"しんj", "信", 4}, {"しんz", "信", 4},
		// abbreviations keyed as typed
		{"file", "ファイル", 1}, {"computer", "コンピュータ", kAny},
		{"km", "キロメートル", kAny}, {"WHO", "世界保健機関", kAny},
		{"who", "世界保健機関", kAny},
	};
	auto rank = [&](const char* key, const char* word) {
		const NuvKey split(nuv_test::Utf8ToEuc(key).c_str());
		const NuvEntry entry = dictionary.FindEntry({split.reading, "",
			split.okuri, ""});
		auto found = std::find(entry.stems.begin(), entry.stems.end(),
			nuv_test::Utf8ToEuc(word));
		return found == entry.stems.end() ? -1
			: static_cast<int>(std::distance(entry.stems.begin(), found));
	};
	for (const auto& [key, word, within] : kRanks) {
		const int found = rank(key, word);
		EXPECT_TRUE(found >= 0 && found < within)
			<< key << " " << word << " " << found;
	}
	// 番 is as common as 版; the katakana バン goes after both
	EXPECT_GT(rank("ばん", "バン"), rank("ばん", "版"));
}
