// The candidates found for one reading, as a conversion offers them: the
// query record once and the words, each once, in the order they were
// added. Words are kept back to back in one buffer with a hash index over
// them, so that a reading with a million candidates costs some 30 bytes per
// word and a constant time per word added; the full nuv_candidate record
// of a word is made only when it is asked for (a page as it is shown).
//
// Threads: a plain value; one thread at a time.
#ifndef NUV_CANDIDATE_LIST_H
#define NUV_CANDIDATE_LIST_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "NuvTypes.h"

class NuvCandidateList {
public:
	// No words; an empty query.
								NuvCandidateList();
	// No words yet for `query` (its `candidate` is ignored).
	explicit					NuvCandidateList(const nuv_candidate& query);

	// Appends `word` unless the list holds it already. True when appended.
			bool				Add(std::string_view word);
	// Makes room for `words` more words of `bytes` bytes in all, so that
	// adding them grows nothing.
			void				Reserve(size_t words, size_t bytes);

			size_t				CountItems() const { return fEnds.size(); }
			bool				IsEmpty() const { return fEnds.empty(); }
	// The word at `index`, which must be below CountItems(); valid until
	// the next Add().
			std::string_view	WordAt(size_t index) const;
	// The query record with `candidate` set to the word at `index`.
			nuv_candidate		ItemAt(size_t index) const;
	// Every record, for tests and small lists.
			std::vector<nuv_candidate> Items() const;
			const nuv_candidate& Query() const { return fQuery; }

private:
			size_t				_Hash(std::string_view word) const;
	// Rebuilds the index with `size` slots, a power of two.
			void				_Rehash(size_t size);

			nuv_candidate		fQuery;
			std::string			fWords;
			// Where each word ends in fWords; a word starts where the one
			// before it ends.
			std::vector<size_t>	fEnds;
			// Word numbers plus one by hash (0 marks a free slot), with the
			// hash's high bits, so that a probe compares words only when
			// those agree. A power of two in size, at most half full.
			struct slot {
				uint32_t			word;
				uint32_t			tag;
			};
			std::vector<slot>	fSlots;
};

#endif	// NUV_CANDIDATE_LIST_H
