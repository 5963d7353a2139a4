// The interface of a dictionary: the large read-only one
// (NuvStaticDictionary) and the learning user dictionary
// (NuvDynamicDictionary).
#ifndef NUV_DICTIONARY_H
#define NUV_DICTIONARY_H

#include <istream>
#include <ostream>

#include "NuvEntry.h"
#include "NuvTypes.h"

class NuvDictionary {
public:
	virtual						~NuvDictionary();

	// Loads a dictionary file from `in`. A stream that has already failed
	// (a file that could not be opened) leaves the dictionary as it was.
	virtual	void				Read(std::istream& in) = 0;

	// Writes the dictionary to `out`, if it is one that is ever written.
	virtual	void				Write(std::ostream& out) = 0;

	// Every candidate of the key formed by the query's reading and okuri
	// letter; an empty entry when no line has that key. The query's
	// okurigana and candidate do not matter.
	virtual	NuvEntry			FindEntry(const nuv_candidate& query) = 0;

	// Learns c.candidate under the key of `c`, if this dictionary learns.
	virtual	void				InsertCandidate(const nuv_candidate& c) = 0;

	// Forgets c.candidate under the key of `c`, if this dictionary learns.
	virtual	void				RemoveCandidate(const nuv_candidate& c) = 0;
};

#endif	// NUV_DICTIONARY_H
