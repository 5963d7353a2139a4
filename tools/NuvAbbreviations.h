// The words the abbreviation mode converts: ASCII keys, as typed after the
// abbreviation key, with the Japanese spellings of what they stand for.
//
//	- From EDICT (EUC-JP lines "HEADWORD [READING] /gloss/gloss/.../"):
//	  a headword written in katakana alone, none of whose glosses names a
//	  source language (those tags hold a colon, "(ger: Arbeit)"), under
//	  each gloss that is one English word (an explanation in brackets
//	  after it left out: "key (lock, keyboard)") whose first sound the
//	  headword's first kana can render (computer コンピュータ, key
//	  "computer"; not キー under "screech", nor ドイツ under "germany").
//	  The key is the word in lower case.
//	- Also from EDICT: a headword in kanji or kana under each gloss that is
//	  an acronym of two to eight capitals and digits (WHO 世界保健機関),
//	  keyed both as typed with capitals and in lower case; not a katakana
//	  headword that only spells out the letters' names (シーピーユー).
//	- Entries EDICT marks as common ("(P)") cost kCommonCost, the others
//	  kRareCost.
//	- From a table of our own (UTF-8 lines "key<TAB>word<TAB>word...", #
//	  comments): units and symbols, each costing its position on the line.
#ifndef NUV_ABBREVIATIONS_H
#define NUV_ABBREVIATIONS_H

#include <istream>
#include <string>
#include <vector>

class NuvAbbreviations {
public:
	struct entry {
		std::string		key;		// ASCII
		std::string		candidate;	// EUC-JP
		std::string		reading;	// hiragana, or empty when unknown
		long			cost;
	};

	static	const long			kCommonCost;
	static	const long			kRareCost;

	// Adds the entries of an EDICT file; returns how many were added.
			size_t				ReadEdict(std::istream& in);
	// Adds the entries of one EDICT line (without its line feed).
			size_t				AddEdictLine(const std::string& line);
	// Adds the entries of a table of our own; returns how many.
			size_t				ReadTable(std::istream& in);

			const std::vector<entry>& Entries() const { return fEntries; }

	// Whether the katakana `word` (EUC-JP) can stand for the English
	// `english` (lower case) by their first sounds.
	static	bool				SoundsAlike(const std::string& word,
									const std::string& english);

private:
			std::vector<entry>	fEntries;
};

#endif	// NUV_ABBREVIATIONS_H
