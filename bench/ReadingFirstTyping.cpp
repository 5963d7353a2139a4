#include "ReadingFirstTyping.h"

#include <cctype>
#include <sstream>
#include <tuple>


namespace {

const char32_t kSmallTsu = U'っ';
const char32_t kSyllabicN = U'ん';


std::u32string
Decode(const std::string& utf8)
{
	std::u32string out;
	for (size_t i = 0; i < utf8.size();) {
		const unsigned char lead = utf8[i];
		int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
		if (i + length > utf8.size())
			break;
		char32_t c = length == 1 ? lead
			: length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F
			: lead & 0x07;
		for (int k = 1; k < length; k++)
			c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
		out.push_back(c);
		i += length;
	}
	return out;
}


std::string
Encode(const std::u32string& text)
{
	std::string out;
	for (char32_t c : text) {
		if (c < 0x80)
			out += static_cast<char>(c);
		else if (c < 0x800) {
			out += static_cast<char>(0xC0 | (c >> 6));
			out += static_cast<char>(0x80 | (c & 0x3F));
		} else if (c < 0x10000) {
			out += static_cast<char>(0xE0 | (c >> 12));
			out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
			out += static_cast<char>(0x80 | (c & 0x3F));
		} else {
			out += static_cast<char>(0xF0 | (c >> 18));
			out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
			out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
			out += static_cast<char>(0x80 | (c & 0x3F));
		}
	}
	return out;
}


bool
IsKanji(char32_t c)
{
	return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF)
		|| (c >= 0xF900 && c <= 0xFAFF) || c == U'々' || c == U'〆';
}


bool
IsKatakana(char32_t c)
{
	return (c >= 0x30A1 && c <= 0x30FA) || (c >= 0x31F0 && c <= 0x31FF)
		|| (c >= 0xFF66 && c <= 0xFF9D);
}


bool
IsHiragana(char32_t c)
{
	return c >= 0x3041 && c <= 0x3096;
}


// Hepburn spellings: the ones a Kunrei typist avoids and a Hepburn typist
// seeks where the table has a choice.
bool
IsHepburn(const std::string& romaji)
{
	return romaji.find("sh") != std::string::npos
		|| romaji.find("ch") != std::string::npos
		|| romaji.find("ts") != std::string::npos
		|| romaji[0] == 'f' || romaji[0] == 'j';
}


// 0 for a spelling of the wanted style, 1 for one of the other style, 2 for
// the spellings typists use only when nothing else gives the kana: c
// without h (ca, ci, cu), and l or x for small kana.
int
StyleRank(const std::string& romaji, bool hepburn)
{
	if ((romaji[0] == 'c' && romaji.compare(0, 2, "ch") != 0)
		|| romaji[0] == 'l' || romaji[0] == 'x')
		return 2;
	return IsHepburn(romaji) != hepburn ? 1 : 0;
}


std::string
Capitalized(std::string romaji)
{
	if (!romaji.empty())
		romaji[0] = std::toupper(static_cast<unsigned char>(romaji[0]));
	return romaji;
}

}	// namespace


ReadingFirstTyping::ReadingFirstTyping(const std::string& kanaTable,
	bool hepburn)
{
	std::istringstream table(kanaTable);
	std::string key;
	std::string value;
	std::map<std::string, std::tuple<int, size_t, std::string>> best;
	while (table >> key >> value) {
		bool letters = true;
		for (char c : key)
			letters = letters && ((c >= 'a' && c <= 'z') || c == '-');
		const std::u32string kana = Decode(value);
		bool kanaOnly = !kana.empty() && kana.size() <= 2;
		for (char32_t c : kana)
			kanaOnly = kanaOnly && (IsHiragana(c) || c == U'ー');
		if (!letters || !kanaOnly)
			continue;
		// Smaller is better: the wanted style first, then the shortest,
		// then the first in byte order.
		const auto rank = std::make_tuple(StyleRank(key, hepburn),
			key.size(), key);
		auto found = best.find(value);
		if (found == best.end() || rank < found->second)
			best[value] = rank;
	}
	for (const auto& entry : best)
		fRomaji[entry.first] = std::get<2>(entry.second);
}


std::string
ReadingFirstTyping::Hiragana(const std::string& katakana)
{
	std::u32string text = Decode(katakana);
	for (char32_t& c : text) {
		if (c >= 0x30A1 && c <= 0x30F6)
			c -= 0x60;
	}
	return Encode(text);
}


std::string
ReadingFirstTyping::Romaji(const std::string& hiragana) const
{
	const std::u32string kana = Decode(hiragana);
	// Spell each kana (or pair, as in しょ) first; a っ takes the first
	// letter of what follows it, so it is resolved in a second pass.
	std::vector<std::string> chunks;
	for (size_t i = 0; i < kana.size();) {
		if (kana[i] == kSyllabicN) {
			chunks.push_back("nn");
			i++;
			continue;
		}
		if (kana[i] == kSmallTsu) {
			chunks.push_back(std::string());
			i++;
			continue;
		}
		std::map<std::string, std::string>::const_iterator found
			= fRomaji.end();
		size_t length = 2;
		for (; length >= 1; length--) {
			if (i + length > kana.size())
				continue;
			found = fRomaji.find(Encode(kana.substr(i, length)));
			if (found != fRomaji.end())
				break;
		}
		if (found == fRomaji.end())
			return std::string();
		chunks.push_back(found->second);
		i += length;
	}
	std::string out;
	for (size_t i = 0; i < chunks.size(); i++) {
		if (!chunks[i].empty()) {
			out += chunks[i];
			continue;
		}
		const std::string next = i + 1 < chunks.size() ? chunks[i + 1] : "";
		const char letter = next.empty() ? 0 : next[0];
		if (letter != 0 && std::string("aiueon-").find(letter)
				== std::string::npos)
			out += letter;
		else {
			auto found = fRomaji.find(Encode(std::u32string(1, kSmallTsu)));
			if (found == fRomaji.end())
				return std::string();
			out += found->second;
		}
	}
	return out;
}


ReadingFirstTyping::Word
ReadingFirstTyping::_SplitToken(const Token& token, const Token* next) const
{
	Word word;
	word.kind = kDirect;
	word.katakana = false;
	word.surface = token.surface;
	word.candidate = token.surface;

	const std::u32string surface = Decode(token.surface);
	size_t lastKanji = std::u32string::npos;
	bool katakana = false;
	bool katakanaOnly = !surface.empty();
	for (size_t i = 0; i < surface.size(); i++) {
		if (IsKanji(surface[i]))
			lastKanji = i;
		katakana = katakana || IsKatakana(surface[i]);
		katakanaOnly = katakanaOnly
			&& (IsKatakana(surface[i]) || surface[i] == U'ー');
	}
	if (lastKanji == std::u32string::npos && !katakana)
		return word;

	word.kind = kUnreadable;
	word.katakana = katakanaOnly;
	std::string reading = token.reading;
	// The analyser leaves unknown words unread; a katakana word reads as
	// it is written.
	if (reading.empty() && katakanaOnly)
		reading = token.surface;
	const std::u32string hiragana = Decode(Hiragana(reading));
	if (hiragana.empty())
		return word;
	for (char32_t c : hiragana) {
		if (!IsHiragana(c) && c != U'ー')
			return word;
	}
	word.reading = Encode(hiragana);

	// Okurigana are the kana after the last kanji of any word (全て SuBete,
	// 呼び出し YobidaShi); only an inflected word takes them from the next
	// word when it ends in its kanji (出来|ます), since 漢字|を is not typed
	// KanjiWo.
	const std::u32string tail = lastKanji == std::u32string::npos
		? std::u32string() : surface.substr(lastKanji + 1);
	if (lastKanji != std::u32string::npos
		&& (token.inflected || !tail.empty())) {
		bool tailIsKana = tail.size() < hiragana.size()
			&& hiragana.compare(hiragana.size() - tail.size(), tail.size(),
				tail) == 0;
		// The okurigana typed: the first kana after the last kanji, taken
		// from the next word when this one ends there, and the kana after
		// a っ, which only that kana completes.
		std::u32string following = tail;
		if (next != nullptr && token.inflected
			&& (tail.empty() || tail.back() == kSmallTsu)) {
			for (char32_t c : Decode(next->surface)) {
				if (!IsHiragana(c))
					break;
				following.push_back(c);
			}
		}
		std::u32string typed = following.substr(0, 1);
		if (typed == std::u32string(1, kSmallTsu))
			typed = following.substr(0, 2);
		if (tailIsKana && !typed.empty() && typed.back() != kSmallTsu) {
			const std::string stem
				= Encode(hiragana.substr(0, hiragana.size() - tail.size()));
			const std::string stemRomaji = Romaji(stem);
			const std::string okuriRomaji = Romaji(Encode(typed));
			if (stemRomaji.empty() || okuriRomaji.empty())
				return word;
			word.kind = kConvert;
			word.candidate = Encode(surface.substr(0, lastKanji + 1));
			word.reading = stem;
			word.okuri = okuriRomaji.substr(0, 1);
			word.okurigana = Encode(typed);
			word.keys = Capitalized(stemRomaji) + Capitalized(okuriRomaji);
			return word;
		}
	}

	// Not inflected, or no okurigana to type: the whole reading, converted
	// with space.
	const std::string romaji = Romaji(word.reading);
	if (romaji.empty())
		return word;
	word.kind = kConvert;
	word.keys = Capitalized(romaji);
	return word;
}


std::vector<ReadingFirstTyping::Word>
ReadingFirstTyping::Split(const std::vector<Token>& tokens) const
{
	std::vector<Word> words;
	for (size_t i = 0; i < tokens.size(); i++) {
		words.push_back(_SplitToken(tokens[i],
			i + 1 < tokens.size() ? &tokens[i + 1] : nullptr));
	}
	return words;
}
