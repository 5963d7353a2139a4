// All candidates of one dictionary key, and the text form of a dictionary
// line.
//
// A line is the key text (see NuvKey.h), one blank and a slash, then the
// entry text: fields each terminated by "/". A field is
//	- a candidate, in the notation of NuvUtils::EncodeElisp: the word itself,
//	  or its "(concat " form when it holds awkward bytes;
//	- a block opener, "[" and an okurigana in the same notation (plain kana
//	  are written as they are, so older readers see the same line);
//	- a block end, exactly "]".
// The candidates between an opener and the next block end belong to that
// okurigana. Example: かk /書/描/[く/書/]/[け/描/]/
//
// The key ends at the first blank-slash of the line. An empty field (two
// slashes in a row) outside a block, or a block that is never closed, makes
// the whole entry empty; text after the last slash (a carriage return, say)
// is ignored. The empty word is therefore written as (concat "") so that it
// reads back as itself instead of emptying its line.
//
// All text is EUC-JP in byte strings. Lists are not kept unique: a list read
// from a file keeps the duplicates the file holds.
#ifndef NUV_ENTRY_H
#define NUV_ENTRY_H

#include <list>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "NuvCandidateList.h"
#include "NuvTypes.h"

class NuvEntry {
public:
	// Empty lists, no blocks.
								NuvEntry() {}

	// Parses the entry text of a line: the NUL-terminated text right after
	// the blank-slash. `text` must not be null. Malformed text gives an
	// empty entry (no candidates, no blocks).
	explicit					NuvEntry(const char* text);

	// True when the main list is not empty; the blocks are not consulted.
	explicit					operator bool() const
									{ return !stems.empty(); }

	// Adds the other entry's candidates after this entry's own: the words
	// of each of its lists that this entry's matching list lacks, in their
	// order. A block of `other` that this entry lacks is created.
			void				Merge(const NuvEntry& other);

	// Learns c.candidate: moves it to the front of the main list and, when
	// c.okurigana is not empty, to the front of that okurigana's block
	// (created when missing).
			void				Insert(const nuv_candidate& c);

	// Forgets c.candidate: removes it from the block of c.okurigana (a block
	// left empty is deleted), and from the main list unless another block
	// still holds it.
			void				Remove(const nuv_candidate& c);

	// Appends to `out` one copy of `query` per candidate, with `candidate`
	// set: first the words of the block for query.okurigana, then the main
	// words that block lacks. The entry is not changed.
			void				Fill(const nuv_candidate& query,
									std::vector<nuv_candidate>& out) const;
	// The same words in the same order, added to `out` (which skips the
	// words it holds already) rather than made into records.
			void				Fill(const nuv_candidate& query,
									NuvCandidateList& out) const;

	// Drops every later copy of a word within the main list and within each
	// block, which is what merging this entry into an empty one gives.
			void				RemoveDuplicates();

			std::list<std::string> stems;
			std::map<std::string, std::list<std::string>> okuri_blocks;
};

// Writes the entry text: "/", each main word in the EncodeElisp notation
// followed by "/", then for each block in okurigana byte order "[", the
// okurigana in the same notation, "/", its words the same way, and "]/".
// An entry with nothing in it is written as "/" alone. The empty word is
// written as (concat "").
std::ostream& operator<<(std::ostream& out, const NuvEntry& entry);

// Moves `stem` to the front of `stems`: its first occurrence, if any, is
// removed and the word is inserted at the front.
void insert_stem_to_stems(const std::string& stem,
	std::list<std::string>& stems);

// Removes the first occurrence of `stem`, if any.
void remove_stem_from_stems(const std::string& stem,
	std::list<std::string>& stems);

// Appends to `into`, in order, each word of `from` that `into` does not
// hold yet (so a word repeated in `from` is appended once).
void merge_stems(std::list<std::string>& into,
	const std::list<std::string>& from);

// Field reader of the parser. When a "/" lies at or after `cursor`, sets
// `field` to the bytes before it (possibly none), moves `cursor` past it and
// returns true; otherwise returns false and changes nothing. `cursor` points
// into NUL-terminated text.
bool read_till_slash(const char*& cursor, std::string& field);

#endif	// NUV_ENTRY_H
