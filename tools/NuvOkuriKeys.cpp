#include "NuvOkuriKeys.h"

#include "NuvLexiconText.h"


namespace {

// Part-of-speech, conjugation type and form names, in EUC-JP.
const std::string kVerb = "\xC6\xB0\xBB\xEC";				// 動詞
const std::string kAdjective = "\xB7\xC1\xCD\xC6\xBB\xEC";	// 形容詞
const std::string kNoun = "\xCC\xBE\xBB\xEC";				// 名詞
const std::string kTakesSuru = "\xA5\xB5\xCA\xD1\xC0\xDC\xC2\xB3";	// サ変接続
const std::string kIchidan = "\xB0\xEC\xC3\xCA";			// 一段
const std::string kKahen = "\xA5\xAB\xCA\xD1";				// カ変
const std::string kIrrealis = "\xCC\xA4\xC1\xB3\xB7\xC1";	// 未然形
const std::string kContinuative = "\xCF\xA2\xCD\xD1\xB7\xC1";	// 連用形
const std::string kGaruStem = "\xA5\xAC\xA5\xEB\xC0\xDC\xC2\xB3";	// ガル接続

// The auxiliaries after a verb stem that ends in a kanji (ます ない ぬ
// よう られる させる ず た て ながら そう やすい) and the suffixes after an
// adjective's (さ そう がる み).
const char* const kVerbStemLetters = "mnrstyz";
const char* const kAdjectiveStemLetters = "gms";

// The first letter typed for each hiragana ぁ (A4A1) to ん (A4F3) with the
// romaji table roman_kana.table, every spelling's letter where there are
// several (chi and ti, fu and hu, ji and zi). The reading buffer looks up
// whatever letter began the okurigana, so each gets its own key. Small kana
// never begin an okurigana and have none; っ is handled apart. The table's
// rare alternatives (ca, cu, co, ci and ce, yi, wu, xn) get no keys of
// their own: c is ち's letter, and c keys for か, く, こ, し and せ would
// add thousands of lines for spellings hardly anyone types.
const char* const kOkuriLetters[] = {
	"", "a", "", "i", "", "u", "", "e", "", "o",		// ぁ-お
	"k", "g", "k", "g", "k", "g", "k", "g", "k", "g",	// か-ご
	"s", "z", "s", "jz", "s", "z", "s", "z", "s", "z",	// さ-ぞ
	"t", "d", "ct", "d", "", "t", "d", "t", "d", "t", "d",	// た-ど
	"n", "n", "n", "n", "n",							// な-の
	"h", "b", "p", "h", "b", "p", "fh", "b", "p",		// は-ぷ
	"h", "b", "p", "h", "b", "p",						// へ-ぽ
	"m", "m", "m", "m", "m",							// ま-も
	"", "y", "", "y", "", "y",							// ゃ-よ
	"r", "r", "r", "r", "r",							// ら-ろ
	"", "w", "w", "w", "w", "n",						// ゎ-ん
};
static_assert(sizeof(kOkuriLetters) / sizeof(kOkuriLetters[0])
	== 0xF3 - 0xA1 + 1, "one entry for each hiragana");

const unsigned char kSmallTsu = 0xC3;	// っ is A4 C3

}	// namespace


const char*
NuvOkuriKeys::LettersOf(const unsigned char* kana)
{
	if (kana[0] != 0xA4 || kana[1] < 0xA1 || kana[1] > 0xF3)
		return "";
	return kOkuriLetters[kana[1] - 0xA1];
}


void
NuvOkuriKeys::Derive(const std::string& surface, const std::string& reading,
	const std::string& partOfSpeech, const std::string& subKind,
	const std::string& conjugationType, const std::string& conjugationForm,
	key_list& keys)
{
	if (!NuvLexiconText::Holds(surface, NuvLexiconText::IsKanji))
		return;
	size_t stemLength = NuvLexiconText::StemLength(surface);
	std::string stem(surface, 0, stemLength);
	if (!NuvLexiconText::Holds(stem, NuvLexiconText::IsKanji))
		return;

	const char* letters = "";
	std::string stemReading;
	if (stemLength == surface.size()) {
		bool verbStem = partOfSpeech == kVerb
			&& (conjugationType.compare(0, kIchidan.size(), kIchidan) == 0
				|| conjugationType.compare(0, kKahen.size(), kKahen) == 0)
			&& (conjugationForm == kIrrealis
				|| conjugationForm == kContinuative);
		if (verbStem)
			letters = kVerbStemLetters;
		else if (partOfSpeech == kAdjective && conjugationForm == kGaruStem)
			letters = kAdjectiveStemLetters;
		else if (partOfSpeech == kNoun && subKind == kTakesSuru)
			letters = "s";
		stemReading = reading;
	} else {
		std::string ending(surface, stemLength);
		if (reading.size() <= ending.size()
			|| reading.compare(reading.size() - ending.size(), ending.size(),
				ending) != 0)
			return;
		stemReading.assign(reading, 0, reading.size() - ending.size());
		const unsigned char* kana = reinterpret_cast<const unsigned char*>(
			ending.data());
		if (kana[1] != kSmallTsu)
			letters = LettersOf(kana);
		else if (ending.size() >= 4)
			letters = LettersOf(kana + 2);
		else
			letters = "t";
	}
	for (; *letters != '\0'; letters++)
		keys.emplace_back(stemReading + *letters, stem);
}
