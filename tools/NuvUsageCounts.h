// How often real text writes each word, kind of writing by kind: the
// tables of tools/data/counts/ (UTF-8 lines "reading<TAB>surface<TAB>count",
// the reading in hiragana; lines starting with # are comments), one for
// each kind (manuals, interface strings, help pages, narrative) and
// analyser. A token is a word as the morphological analyser cut it from
// the text, an inflected word in the form it had there (使っ つかっ), which
// is what the lexicon's rows are.
//
// Tables read under the same kind add up (the same text read by two
// analysers: where they read a word alike it counts twice, which changes
// no order, and where they differ each reading has its evidence). Kinds
// are combined by Sightings: each kind's count per million of its tokens,
// then the power mean of those rates over the kinds read, so that each
// kind weighs alike whatever its size and, with a power below 1, a word
// several kinds write beats one that a single kind writes as often in all.
#ifndef NUV_USAGE_COUNTS_H
#define NUV_USAGE_COUNTS_H

#include <istream>
#include <string>
#include <unordered_map>
#include <vector>

class NuvUsageCounts {
public:
	// A count for each kind, in the order the kinds were first read.
	typedef std::vector<long> by_kind;

	// Adds the lines of a table of `kind`; counts of the same word add up.
	// Lines that are malformed, or whose text has no EUC-JP form, are
	// skipped (a fourth column is read only when it is "form", as older
	// tables wrote). Returns the number of lines taken.
			size_t				Read(std::istream& in,
									const std::string& kind = "text");

	// Adds a count by hand (EUC-JP reading in hiragana and surface).
			void				Add(const std::string& reading,
									const std::string& surface, long count,
									const std::string& kind = "text");

	// The counts of a word written `surface` and read `reading` (EUC-JP,
	// hiragana), kind by kind; zeros when the tables lack it.
			by_kind				Count(const std::string& reading,
									const std::string& surface) const;
	// The same, of `surface` under every reading together.
			by_kind				CountAnyReading(
									const std::string& surface) const;
	// The total of the counts of every kind.
	static	long				Total(const by_kind& counts);

	// The sightings counts stand for: the power mean over the kinds read
	// of each kind's count per million of its tokens.
			double				Sightings(const by_kind& counts) const;
	// The power of that mean: 1 is the mean of the rates, lower values let
	// the rates of several kinds together outweigh one kind's.
			void				SetKindPower(double power)
									{ fKindPower = power; }
	static	const double		kDefaultKindPower;

	// Calls `visit(reading, surface, total count)` for every word counted.
	template<typename Visitor>
			void				ForEach(Visitor visit) const;

			bool				IsEmpty() const { return fCounts.empty(); }
			size_t				CountKinds() const { return fKinds.size(); }

private:
			size_t				_KindIndex(const std::string& kind);
	static	void				_AddTo(by_kind& counts, size_t kind,
									long count);

			std::vector<std::string> fKinds;
			std::vector<long>	fTokens;		// by kind
			std::unordered_map<std::string, by_kind> fCounts;
			std::unordered_map<std::string, by_kind> fSurfaceCounts;
			double				fKindPower = kDefaultKindPower;
};



template<typename Visitor>
void
NuvUsageCounts::ForEach(Visitor visit) const
{
	for (const auto& [key, counts] : fCounts) {
		size_t tab = key.find('\t');
		visit(key.substr(0, tab), key.substr(tab + 1), Total(counts));
	}
}

#endif	// NUV_USAGE_COUNTS_H
