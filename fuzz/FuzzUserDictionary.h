// A user dictionary whose map the fuzz targets may read, and the check that
// it survives being written and read back.
#ifndef NUV_FUZZ_USER_DICTIONARY_H
#define NUV_FUZZ_USER_DICTIONARY_H

#include <map>
#include <sstream>
#include <string>

#include "FuzzCheck.h"
#include "NuvDynamicDictionary.h"
#include "NuvEntry.h"
#include "NuvKey.h"

class FuzzUserDictionary : public NuvDynamicDictionary {
public:
			const std::map<NuvKey, NuvEntry>& Entries() const
									{ return entries; }
};

namespace nuv_fuzz {

inline std::string
Written(NuvDictionary& dictionary)
{
	std::ostringstream out;
	dictionary.Write(out);
	return out.str();
}


// Write, Read, Write gives the same bytes, and the dictionary read back
// holds the same entries, less keys for which `mayBeLost(key)` is true.
template<typename Predicate>
void
CheckRoundTrip(FuzzUserDictionary& user, Predicate mayBeLost)
{
	const std::string written = Written(user);
	FuzzUserDictionary reread;
	std::istringstream in(written);
	reread.Read(in);
	NUV_FUZZ_CHECK(Written(reread) == written);

	for (const auto& [key, entry] : user.Entries()) {
		auto found = reread.Entries().find(key);
		if (found == reread.Entries().end()) {
			NUV_FUZZ_CHECK(mayBeLost(key));
			continue;
		}
		NUV_FUZZ_CHECK(found->second.stems == entry.stems);
		NUV_FUZZ_CHECK(found->second.okuri_blocks == entry.okuri_blocks);
	}
	for (const auto& entry : reread.Entries())
		NUV_FUZZ_CHECK(user.Entries().count(entry.first) == 1);
}

}	// namespace nuv_fuzz

#endif	// NUV_FUZZ_USER_DICTIONARY_H
