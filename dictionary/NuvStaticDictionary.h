// The large read-only dictionary.
//
// Read() keeps the whole file in one NUL-terminated buffer and cuts it up in
// place: each line's line feed and the blank of its first blank-slash become
// NUL, and the line becomes one item of two pointers, its key text and its
// entry text. The items stay in file order, which for a dictionary file is
// a few runs in key text order (two sections, each sorted); FindEntry() is a
// binary search in each run plus the parsing of the matching lines; nothing
// else is parsed and nothing is cached. A file of many runs has its items
// sorted into one run instead. A sampled index of key prefixes (a byte per
// line) keeps most of the search in the processor's cache.
//
// Lines that begin with ";" are comments; lines without a blank-slash are
// skipped. A last line without a line feed is loaded like the others, so a
// hand-edited file keeps its last word.
//
// Threads: Read() and Clear() need the only reference; after loading,
// FindEntry() changes nothing, so any number of threads may look up at once.
#ifndef NUV_STATIC_DICTIONARY_H
#define NUV_STATIC_DICTIONARY_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "NuvCandidateList.h"
#include "NuvDictionary.h"

class NuvStaticDictionary : public NuvDictionary {
public:
	// One line of the loaded file: pointers into `buffer`.
	struct dict_item {
								dict_item(const char* key, const char* entry)
									: key(key), entry(entry) {}

		const char*				key;	// NUL-terminated key text
		const char*				entry;	// NUL-terminated text after " /"
	};

								NuvStaticDictionary();
	virtual						~NuvStaticDictionary();

	// Frees the buffer and the items together.
			void				Clear();

	// Replaces the content with the dictionary file in `in`; a stream that
	// has already failed keeps the earlier content. Reads the stream to its
	// end. Lines with the same key are all kept.
	virtual	void				Read(std::istream& in) override;

	// Does nothing: this dictionary is never written.
	virtual	void				Write(std::ostream& out) override;

	// Every line whose key text is query.reading followed by query.okuri,
	// parsed and merged in file order into one entry (so a word appears
	// once); an empty entry when there is none.
	virtual	NuvEntry			FindEntry(const nuv_candidate& query) override;

	// Adds to `out` the candidates for `query` of `preferred` (the user
	// dictionary's entry for the same key) merged with this dictionary's:
	// the same words in the same order as FindEntry(), NuvEntry::Merge()
	// into a copy of `preferred` and NuvEntry::Fill() give, that is
	// preferred's block for query.okurigana, this dictionary's blocks for
	// it, preferred's main words, then this dictionary's, each word once.
	// No entry is built: the matching lines are read in place, so a key
	// with a million candidates costs one pass over its lines and one hash
	// look-up per word. Any number of threads, like FindEntry().
			void				FindCandidates(const nuv_candidate& query,
									const NuvEntry& preferred,
									NuvCandidateList& out) const;

	// Do nothing: this dictionary does not learn.
	virtual	void				InsertCandidate(const nuv_candidate& c)
									override;
	virtual	void				RemoveCandidate(const nuv_candidate& c)
									override;

	// The number of lines loaded.
			size_t				CountItems() const { return items.size(); }

protected:
			std::vector<dict_item> items;
			std::unique_ptr<char[]> buffer;

private:
			void				_ReadBuffer(std::istream& in, size_t& length);
			void				_SplitLines(size_t length);
			void				_SortItems();
	// The entry texts of every line whose key text is `key`, in the order
	// FindEntry() merges them; false when `key` holds a NUL.
			bool				_FindLines(const std::string& key,
									std::vector<const char*>& entries) const;
			std::pair<size_t, size_t> _NarrowSearch(uint64_t prefix,
									size_t run) const;

			// The first eight key bytes of every kPrefixStride-th item, as
			// numbers in key order (ascending within each run): a search over this small array, which
			// stays in the cache, leaves a few items to search in the
			// buffer itself.
			std::vector<uint64_t> fPrefixes;

			// The first item of each run of ascending keys, then the
			// number of items: runs are [fRunStarts[i], fRunStarts[i + 1]).
			std::vector<size_t>	fRunStarts;
};

// Byte order of the key texts, bytes compared as unsigned values.
inline bool
operator<(const NuvStaticDictionary::dict_item& a,
	const NuvStaticDictionary::dict_item& b)
{
	return std::strcmp(a.key, b.key) < 0;
}

#endif	// NUV_STATIC_DICTIONARY_H
