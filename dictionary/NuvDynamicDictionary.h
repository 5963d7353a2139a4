// The user dictionary: the words the user has confirmed or registered, most
// recently learned first, kept in a map and persisted in a file of two
// sections:
//
//	;; okuri-ari entries.
//	かk /書/描/[く/書/]/[け/描/]/
//	;; okuri-nasi entries.
//	abc /ABC/
//	かんじ /漢字/感じ/
//
// Each section is in key order (NuvKey's order); each line is the key text,
// one blank and the entry text (NuvEntry.h). Reading accepts any file the
// static loader accepts: order and headers do not matter, and lines with the
// same key become one entry.
//
// Every entry of the map has a non-empty main list. A file written by
// Write() reads back into the same map and writes the same bytes again.
//
// Threads: no lock of its own; the owner serialises every call.
#ifndef NUV_DYNAMIC_DICTIONARY_H
#define NUV_DYNAMIC_DICTIONARY_H

#include <map>

#include "NuvKey.h"
#include "NuvStaticDictionary.h"

class NuvDynamicDictionary : public NuvStaticDictionary {
public:
								NuvDynamicDictionary();
	virtual						~NuvDynamicDictionary();

	// Merges the file's entries into the map (which is not emptied first).
	// Lines whose key has an empty reading and lines whose main list parses
	// empty are dropped. The base's buffer and items are freed again
	// afterwards. A stream that has already failed changes nothing.
	virtual	void				Read(std::istream& in) override;

	// Writes the whole map in the two-section layout above. A key whose line
	// would not read back as that key is left out, since the line would be
	// lost or would add its words to another key: one with an empty reading
	// or holding a line feed, a NUL or a blank-slash, a reading that begins
	// with ";" or mixes kana and ASCII bytes. The stream is not checked.
	virtual	void				Write(std::ostream& out) override;

	// A copy of the entry of NuvKey(query); an empty entry when the key is
	// absent.
	virtual	NuvEntry			FindEntry(const nuv_candidate& query) override;

	// Learns c.candidate under NuvKey(c) (NuvEntry::Insert), creating the
	// key when it is new.
	virtual	void				InsertCandidate(const nuv_candidate& c)
									override;

	// Forgets c.candidate under NuvKey(c) (NuvEntry::Remove); a key whose
	// main list becomes empty is erased. An absent key changes nothing.
	virtual	void				RemoveCandidate(const nuv_candidate& c)
									override;

	// The number of keys held.
			size_t				CountEntries() const
									{ return entries.size(); }

protected:
			std::map<NuvKey, NuvEntry> entries;
};

#endif	// NUV_DYNAMIC_DICTIONARY_H
