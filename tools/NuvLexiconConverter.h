// Builds the large dictionary NUV-JISYO.L from the IPADIC lexicon (CSV files
// in EUC-JP, one word form a row: surface, left id, right id, cost, four
// part-of-speech fields, conjugation type, conjugation form, base form,
// katakana reading, pronunciation), a table of how often real text writes
// each word (NuvUsageCounts), the words of EDICT the lexicon lacks
// (NuvEdictWords) and the abbreviations (NuvAbbreviations).
//
//	- Every row whose surface is a stem holding a kanji followed by
//	  okurigana gives okuri-ari lines: each conjugated form of verbs and
//	  adjectives, and the words that do not inflect as well (NuvOkuriKeys
//	  has the rules): 書い かi, 読ん よn, 強く つよk, 見 みm, 勉強 べんきょうs.
//	- Every row that is not a verb or adjective becomes an okuri-nasi line,
//	  keyed by its reading in hiragana, when its surface holds a kanji or a
//	  katakana letter (a word written in hiragana needs no conversion); so
//	  do the stems of verbs and adjectives that end in their kanji (見 of
//	  見ます, 強 of 強さ), for text that writes the ending as a word apart,
//	  and the dictionary forms of verbs and adjectives under their whole
//	  reading (良い under よい and いい, 晴れる under はれる), for those who
//	  type a word's reading without marking its okurigana.
//	- Readings that are not plain hiragana (with ー and ヴ) are skipped.
//	- A key lists each candidate once. The order is how often the text of
//	  the counts writes each candidate under that key: the counts of every
//	  form that gave the key add up (書か, 書き, 書く, 書け, 書こ for かk
//	  /書/), kind of writing by kind, and the kinds combine as
//	  NuvUsageCounts::Sightings says (rates per million tokens, a power
//	  mean over the kinds). The lexicon gives the prior for words the counts do not show:
//	  the candidate with the best prior score of the key weighs like
//	  kPriorCount sightings, one whose score is worse by d like kPriorCount
//	  * exp(-d / kPriorScale). A spelling the counts show under other
//	  readings (値 read ね) is common in any case: kElsewhereShare times
//	  that count joins kPriorCount before the scaling, so a poor reading of
//	  a common spelling (上 かみ) still gains little. Equal weights keep the
//	  prior's order, then byte order. A candidate written in katakana alone
//	  goes after all the others unless the counts show it more often than
//	  each of them.
//	- The prior score of an okuri-ari candidate is the lowest word cost the
//	  lexicon gives it. Words of the okuri-nasi lines differ in part of
//	  speech, whose typical context the word cost alone leaves out, so they
//	  cost what the lexicon's model charges for the word as a noun phrase:
//	  the connection from the start of a sentence, the word cost, and the
//	  cheapest connection to a case particle (を, が, に, の, は). This ranks
//	  nouns that are mostly used with する after plain nouns of the same
//	  reading where the counts do not tell. An affix is never a noun phrase
//	  alone: a suffix (国 of 米国) costs the connection from a plain noun
//	  instead of the start, a prefix (再 of 再起動) the connection to a
//	  plain noun instead of the particle. A dictionary form costs the
//	  connections from the start and to the end of a sentence.
//	- The cost alone ranks rare words of a reading (幹事) before everyday
//	  ones (漢字), because the lexicon's model prices words for segmenting
//	  text, not for how often a writer means them. An okuri-nasi candidate
//	  is therefore also credited for how productive it is in the lexicon:
//	  the number of other words of the files read, proper nouns left out and
//	  inflected words by their base form, whose spelling contains it (橋 58,
//	  箸 13; 漢字 4, 幹事 0). A candidate that ends in okurigana which the
//	  okuri-ari lines give for the same reading (感じ: かんj /感/) is
//	  usually typed with its okuri, so in the okuri-nasi line it costs
//	  kOkuriPenalty more, and its counts rank it there by kOkuriShare only
//	  (else the text's many 感じ would put it before 漢字 under かんじ); so
//	  does its stem written alone in the same line (晴 beside 晴れ under
//	  はれ), the same word without its okurigana, which moreover goes
//	  right after the word as written when the text writes that more
//	  often. A word EDICT marks as common (漢字, 竜, 浮遊; not 瀏, 蜉蝣)
//	  is credited kCommonCredit: where the counts show neither, a common
//	  word is more likely meant than a rare one the lexicon prices lower.
//	  The score is the cost, minus the productivity weight times
//	  log(1 + that number) rounded, minus the common credit, plus that
//	  penalty. Such a candidate's
//	  sightings under other readings (良い read よい, typed いい) count
//	  like its own, at kElsewhereShare and then kOkuriShare.
//	- Words the lexicon lacks come from the counts, where an analyser
//	  with another lexicon found them (AddCountedWords), and from EDICT:
//	  loanwords and common words (NuvEdictWords); both at a prior cost
//	  above most of the lexicon's.
//	- Abbreviations are okuri-nasi lines whose key is ASCII, ranked the
//	  same way (their prior is the cost NuvAbbreviations gives).
//	- The file opens with a comment, then ";; okuri-ari entries." and that
//	  section, then ";; okuri-nasi entries." and that section, each sorted by
//	  key bytes.
#ifndef NUV_LEXICON_CONVERTER_H
#define NUV_LEXICON_CONVERTER_H

#include <istream>
#include <map>
#include <ostream>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "NuvUsageCounts.h"

class NuvLexiconConverter {
public:
	// The lexicon files read from a directory: the nouns (proper names of
	// people, places and organisations included, and numerals), verbs,
	// adjectives, adverbs, adnominals, conjunctions, interjections,
	// prefixes and suffixes, and the particles made of several words that
	// hold a kanji (に対し, に関して, と共に). Left out: the other particles,
	// auxiliary verbs, fillers, symbols and the rest, which are written in
	// kana or typed directly.
	static	const std::vector<std::string>& LexiconFiles();

	// Reads the connection costs (matrix.def: a line with the two sizes,
	// then lines "right-id left-id cost") and takes the particles from the
	// particle file (Postp.csv). Without them every word costs its word
	// cost alone. Returns false on malformed connection costs.
			bool				ReadConnections(std::istream& matrix,
									std::istream& particles);

	// Adds one CSV row (EUC-JP, without its line feed). Returns whether the
	// row gave a key; rows with fewer than 13 fields give none.
			bool				AddRow(const std::string& row);

	// Adds every row of a CSV file.
			void				AddFile(std::istream& in);

	// Reads the usage counts of one kind of writing (see NuvUsageCounts);
	// before Write.
			size_t				ReadUsageCounts(std::istream& in,
									const std::string& kind = "text")
									{ return fCounts.Read(in, kind); }

	// Adds a word of another source than the lexicon (NuvEdictWords) under
	// its hiragana reading, and under the okuri-ari keys its okurigana
	// gives, unless the lexicon has it there already (its cost stays).
	// Returns whether it was added.
			bool				AddWord(const std::string& reading,
									const std::string& surface, long cost);

	// Marks the okuri-nasi candidate `surface` under `reading` as a word
	// EDICT calls common; a candidate not there is left alone.
			void				MarkCommon(const std::string& reading,
									const std::string& surface);

	// Adds an okuri-nasi candidate under an ASCII key, read `reading`
	// (hiragana, for its count; may be empty), with a prior cost.
			void				AddAbbreviation(const std::string& key,
									const std::string& candidate,
									const std::string& reading, long cost);

	// Reads the connection costs and every file of LexiconFiles() from
	// `directory`. Returns false, naming the first file that cannot be read
	// in `missing`.
			bool				AddDirectory(const std::string& directory,
									std::string& missing);

	// Adds the words the counts show at least kCountedWordMinimum times
	// under a reading the lexicon lacks for them: a spelling of two
	// characters or more, holding a kanji or katakana and written in kanji
	// and kana only, that is not an inflected form the okuri-ari keys
	// already give (行おう of おこなo /行/). Those come from an analyser
	// with another lexicon (UniDic keeps 返り値, 行数, 彩度 whole; IPADIC
	// lacks them), or are loanwords no lexicon knows, counted as written
	// (ファイルディスクリプター).
	// Call after the lexicon and the counts are read. Returns how many.
			size_t				AddCountedWords();

	// A table of usage counts and the kind of writing it counts.
	struct counts_file {
		std::string		kind;
		std::string		path;
	};
	// The kind of a table named KIND.ANALYSER.tsv: its name up to the
	// first dot.
	static	counts_file			CountsFile(const std::string& path);

	// Everything the default dictionary is made of: the lexicon directory
	// (AddDirectory), the usage count tables (ReadUsageCounts, then
	// AddCountedWords), the EDICT file and our table of abbreviations; an
	// empty path leaves that source out. Returns false, naming the first
	// file that cannot be read in `missing`.
			bool				AddSources(const std::string& lexicon,
									const std::vector<counts_file>& counts,
									const std::string& edict,
									const std::string& abbreviations,
									std::string& missing);

	// The weight of a candidate's productivity against its cost (see
	// above); 0 ranks by cost alone.
	static	const double		kDefaultProductivityWeight;
	// What an okuri-nasi candidate typed with okuri costs more.
	static	const long			kOkuriPenalty;
	// The prior of the best-scored candidate of a key, in sightings (per
	// million tokens, NuvUsageCounts::Sightings), and the score difference
	// that divides it by e.
	static	const double		kPriorCount;
	static	const double		kPriorScale;
	// What EDICT's common mark takes off an okuri-nasi candidate's score.
	static	const long			kCommonCredit;
	// The share of its counts an okuri-nasi candidate typed with okuri
	// keeps (晴れ under はれ).
	static	const double		kOkuriShare;
	// What a count of the same spelling under other readings adds to the
	// prior's sightings, per sighting.
	static	const double		kElsewhereShare;
	// The fewest sightings that add a word, and the prior cost it gets.
	static	const long			kCountedWordMinimum;
	static	const long			kCountedWordCost;
			void				SetProductivityWeight(double weight)
									{ fProductivityWeight = weight; }
	// The ranking's weights, for the accuracy benchmark's trials.
			void				SetPriorCount(double count)
									{ fPriorCount = count; }
			void				SetOkuriShare(double share)
									{ fOkuriShare = share; }
			void				SetCommonCredit(long credit)
									{ fCommonCredit = credit; }
			void				SetKindPower(double power)
									{ fCounts.SetKindPower(power); }

	// Writes the dictionary file.
			void				Write(std::ostream& out) const;

	// The number of keys, okuri-ari and okuri-nasi together.
			size_t				CountKeys() const
									{ return fOkuriAri.size()
										+ fOkuriNasi.size(); }

private:
	struct word_info {
		long						cost;	// the lowest seen
		// "reading<TAB>surface" of each row that gave the candidate, to
		// add up their counts
		std::vector<std::string>	forms;
		bool						common = false;	// EDICT's mark
	};
	// key text -> candidate -> what is known of it
	typedef std::map<std::string, std::map<std::string, word_info>> key_map;

	static	void				_Add(key_map& keys, const std::string& key,
									const std::string& candidate, long cost,
									const std::string& formReading,
									const std::string& formSurface);
			NuvUsageCounts::by_kind _CountOf(const word_info& info,
									NuvUsageCounts::by_kind* elsewhere) const;
	// surface -> what its productivity takes off its cost
	typedef std::unordered_map<std::string_view, long> credit_map;

	// `credits` ranks the okuri-nasi section; null keeps the costs alone.
			void				_WriteSection(std::ostream& out,
									const char* header, const key_map& keys,
									const credit_map* credits) const;
			bool				_IsTypedWithOkuri(const std::string& key,
									const std::string& candidate) const;
			credit_map			_ProductivityCredits() const;

	static	long				_Lookup(const std::vector<long>& costs,
									long id);
	// Whether `surface` is a stem and a kana ending that `reading` (in
	// hiragana) ends with too.
	static	bool				_EndsAlike(const std::string& surface,
									const std::string& reading);
	// The connection cost from a right id to a left id, 0 when unknown.
			long				_Connection(long right, long left) const;

			std::vector<long>	fStartCosts;	// by left id
			std::vector<long>	fParticleCosts;	// by right id
			std::vector<int>	fConnections;	// right id * fLefts + left id
			long				fLefts = 0;
			long				fNounLeft = -1;	// the ids of a plain noun
			long				fNounRight = -1;
			key_map				fOkuriAri;
			key_map				fOkuriNasi;
			// the words of the rows read, for the productivity counts
			std::unordered_set<std::string> fWords;
			double				fProductivityWeight
									= kDefaultProductivityWeight;
			double				fPriorCount = kPriorCount;
			double				fOkuriShare = kOkuriShare;
			long				fCommonCredit = kCommonCredit;
			NuvUsageCounts		fCounts;
};

#endif	// NUV_LEXICON_CONVERTER_H
