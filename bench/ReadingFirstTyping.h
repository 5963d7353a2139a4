// How a person types analysed Japanese text in the reading-first style, for
// the accuracy benchmark: which words need conversion, the dictionary key
// each one is looked up under and the romaji keys that type it.
//
// A word needs conversion when it holds a kanji or a katakana. It is typed
// as its reading in romaji with an upper-case first letter. A word with
// kana after its last kanji, and every inflected word (a verb, an
// adjective), is split after that kanji: the reading of what comes before
// is the key's reading, and the first kana after it (the okurigana,
// continued into the next word when an inflected word itself ends in its
// kanji or in っ, as in 出来|ます and 使っ|て) is typed with an upper-case
// first letter, whose lower-case form is the okuri letter of the key:
// 食べる TaBe (たb), 使って TukaTte (つかt), 読んだ YoNn (よn), 出来ます
// DekiMa (できm), 全て SuBe (すb). Everything else is typed as plain
// hiragana and needs no conversion.
//
// Romaji come from the kana table: for each kana the shortest spelling,
// and between two equally short ones the Kunrei one (si, ti, tu, hu, zi),
// or the Hepburn one (shi, chi, tsu, fu, ji) when asked for; ん is always
// nn and っ doubles the consonant of the kana after it.
//
// All text is UTF-8.
#ifndef READING_FIRST_TYPING_H
#define READING_FIRST_TYPING_H

#include <map>
#include <string>
#include <vector>

class ReadingFirstTyping {
public:
	// One token of the analyser: what is written, its reading (katakana or
	// hiragana; empty when unknown), and whether it is inflected.
	struct Token {
		std::string		surface;
		std::string		reading;
		bool			inflected;
	};

	enum Kind {
		kDirect,		// hiragana, ASCII, punctuation: typed as is
		kConvert,		// typed as a reading and converted
		kUnreadable		// needs conversion but has no typable reading
	};

	struct Word {
		Kind			kind;
		std::string		surface;	// the token as written
		std::string		candidate;	// what conversion must give: the
									// surface less its okurigana
		std::string		reading;	// the key's reading, hiragana
		std::string		okuri;		// the okuri letter, or empty
		std::string		okurigana;	// the kana typed after the okuri point
		std::string		keys;		// romaji as typed, before space
		bool			katakana;	// written in katakana only
	};

	// `kanaTable` is roman_kana.table's text in UTF-8: lines of a romaji
	// key and the kana it gives. `hepburn` prefers shi, chi, tsu, fu, ji.
								ReadingFirstTyping(
									const std::string& kanaTable,
									bool hepburn = false);

	// One word per token, in order.
			std::vector<Word>	Split(const std::vector<Token>& tokens)
									const;

	// The romaji that type `hiragana`, or empty when some kana has no
	// spelling in the table.
			std::string			Romaji(const std::string& hiragana) const;

	// `katakana` with each katakana turned into its hiragana.
	static	std::string			Hiragana(const std::string& katakana);

private:
			Word				_SplitToken(const Token& token,
									const Token* next) const;

			// kana (one or two characters) → romaji
			std::map<std::string, std::string> fRomaji;
};

#endif	// READING_FIRST_TYPING_H
