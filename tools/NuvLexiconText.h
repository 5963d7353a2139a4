// Character tests and small conversions over the EUC-JP text of the
// lexicons, shared by the generator's classes.
#ifndef NUV_LEXICON_TEXT_H
#define NUV_LEXICON_TEXT_H

#include <string>
#include <vector>

class NuvLexiconText {
public:
	// The length of the EUC-JP character at `p`, never more than `left`.
	static	size_t				CharLength(const unsigned char* p,
									size_t left);

	// Hiragana ぁ to ん.
	static	bool				IsHiragana(const unsigned char* p,
									size_t length);
	// Kanji (JIS levels 1 and 2, and JIS X 0212) and 々.
	static	bool				IsKanji(const unsigned char* p,
									size_t length);
	// A katakana letter, ー or the middle dot.
	static	bool				IsKatakana(const unsigned char* p,
									size_t length);

	// Whether some character of `text` passes `isWanted`.
	static	bool				Holds(const std::string& text,
									bool (*isWanted)(const unsigned char*,
										size_t));
	// Whether every character of a non-empty `text` passes `isWanted`.
	static	bool				IsAll(const std::string& text,
									bool (*isWanted)(const unsigned char*,
										size_t));

	// The byte length of `text` up to and including its last character
	// that is not hiragana: the stem of 書く is 書, of 引き込む 引き込.
	static	size_t				StemLength(const std::string& text);

	// The hiragana key for a katakana reading; false when the reading holds
	// anything but kana that the romaji table types: hiragana, ー, and ヴ
	// (which becomes う゛).
	static	bool				ReadingToKey(const std::string& reading,
									std::string& key);

	// Splits a CSV row at every comma (the lexicons quote nothing).
	static	void				SplitFields(const std::string& row,
									std::vector<std::string>& fields);

	// `utf8` in EUC-JP; false when a character has no EUC-JP form.
	static	bool				Utf8ToEuc(const std::string& utf8,
									std::string& euc);
};

#endif	// NUV_LEXICON_TEXT_H
