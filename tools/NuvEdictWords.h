// The words of EDICT (EUC-JP lines "HEADWORD [READING] /gloss/.../") that
// the large dictionary takes beside the lexicon's, keyed by their reading:
//
//	- every headword written in katakana alone (ー and ヴ included, the
//	  middle dot not): the loanwords, which text writes often and the
//	  lexicon lacks by the thousand (スレッド, ダイアログ, リビジョン); the
//	  reading is the headword's own;
//	- every headword holding a kanji, written in kanji and kana alone, that
//	  EDICT marks as common ("(P)"), with its bracketed reading.
//
// Common entries cost kCommonCost, the other loanwords kRareCost: more
// than most of the lexicon's words, so that the lexicon's spelling of a
// reading stays ahead where the counts do not tell.
#ifndef NUV_EDICT_WORDS_H
#define NUV_EDICT_WORDS_H

#include <istream>
#include <string>
#include <vector>

class NuvEdictWords {
public:
	struct word {
		std::string		reading;	// hiragana, EUC-JP
		std::string		surface;	// EUC-JP
		long			cost;
	};

	static	const long			kCommonCost;
	static	const long			kRareCost;

	// Adds the words of an EDICT file; returns how many.
			size_t				Read(std::istream& in);
	// Adds the word of one line, if it is one; returns whether it was.
			bool				AddLine(const std::string& line);

			const std::vector<word>& Words() const { return fWords; }

private:
			std::vector<word>	fWords;
};

#endif	// NUV_EDICT_WORDS_H
