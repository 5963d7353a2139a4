// A user dictionary whose map the fuzz targets may read, to compare it with
// what a written file reads back as.
#ifndef NUV_FUZZ_USER_DICTIONARY_H
#define NUV_FUZZ_USER_DICTIONARY_H

#include <map>

#include "NuvDynamicDictionary.h"
#include "NuvEntry.h"
#include "NuvKey.h"

class FuzzUserDictionary : public NuvDynamicDictionary {
public:
			const std::map<NuvKey, NuvEntry>& Entries() const
									{ return entries; }
};

#endif	// NUV_FUZZ_USER_DICTIONARY_H
