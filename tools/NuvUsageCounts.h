// How often real text writes each word: the tables tools/data/word-counts.tsv
// and word-counts-unidic.tsv, the same text read by two analysers (UTF-8
// lines "reading<TAB>surface<TAB>count<TAB>kind", the reading in hiragana;
// lines starting with # are comments). Tables read one after the other add
// up: where the analysers read a word alike it counts twice, which changes
// no order, and where they differ each reading has its evidence. Only the lines of kind
// "form" are kept: a token as the morphological analyser cut it from the
// text, an inflected word in the form it had there (使っ つかっ), which is
// what the lexicon's rows are.
#ifndef NUV_USAGE_COUNTS_H
#define NUV_USAGE_COUNTS_H

#include <istream>
#include <string>
#include <unordered_map>

class NuvUsageCounts {
public:
	// Adds the lines of a table; counts of the same word add up. Lines that
	// are malformed or not EUC-JP expressible are skipped. Returns the
	// number of lines taken.
			size_t				Read(std::istream& in);

	// Adds a count by hand (EUC-JP reading in hiragana and surface).
			void				Add(const std::string& reading,
									const std::string& surface, long count);

	// The count of a word written `surface` and read `reading` (EUC-JP,
	// hiragana), 0 when the table lacks it.
			long				Count(const std::string& reading,
									const std::string& surface) const;

	// Calls `visit(reading, surface, count)` for every word counted.
	template<typename Visitor>
			void				ForEach(Visitor visit) const;

	// The count of `surface` under every reading together.
			long				CountAnyReading(
									const std::string& surface) const;

			bool				IsEmpty() const { return fCounts.empty(); }

private:
			std::unordered_map<std::string, long> fCounts;
			std::unordered_map<std::string, long> fSurfaceCounts;
};



template<typename Visitor>
void
NuvUsageCounts::ForEach(Visitor visit) const
{
	for (const auto& [key, count] : fCounts) {
		size_t tab = key.find('\t');
		visit(key.substr(0, tab), key.substr(tab + 1), count);
	}
}

#endif	// NUV_USAGE_COUNTS_H
