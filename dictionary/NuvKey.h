// The key of a dictionary line: a reading, plus the okuri letter for a word
// with okurigana.
//
// The key text, as dictionary files write it, is `reading` immediately
// followed by `okuri`: "かんじ" (okuri-nasi), "かk" (okuri-ari), "abc" (an
// all-ASCII abbreviation key, okuri-nasi).
#ifndef NUV_KEY_H
#define NUV_KEY_H

#include <ostream>
#include <string>

#include "NuvTypes.h"

class NuvKey {
public:
	// Copies `reading` and `okuri` from the record.
								NuvKey(const nuv_candidate& c);

	// Splits a NUL-terminated key text read from a file: every byte of 0x80
	// or above goes to the kana part, every other byte to the ASCII part,
	// each in text order. With a kana part, `reading` is the kana part and
	// `okuri` the ASCII part ("あaい" gives あい and a); without one,
	// `reading` is the ASCII part and `okuri` is empty. `text` must not be
	// null.
								NuvKey(const char* text);

	// True when `reading` is not empty.
	explicit					operator bool() const
									{ return !reading.empty(); }

			std::string			reading;
			std::string			okuri;
};

// The order of the user dictionary: every okuri-ari key (non-empty okuri)
// before every okuri-nasi key; then by reading, then by okuri, bytes compared
// as unsigned values, a proper prefix first.
bool operator<(const NuvKey& a, const NuvKey& b);

bool operator==(const NuvKey& a, const NuvKey& b);

// Writes the key text: `reading` then `okuri`, no separator.
std::ostream& operator<<(std::ostream& out, const NuvKey& key);

#endif	// NUV_KEY_H
