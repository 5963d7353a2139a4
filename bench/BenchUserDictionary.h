// A user dictionary file for the benchmarks that save one: `keys` keys of
// three hiragana, three words each, every tenth key okuri-ari with a block.
#ifndef BENCH_USER_DICTIONARY_H
#define BENCH_USER_DICTIONARY_H

#include <sstream>
#include <string>

#include "NuvDynamicDictionary.h"


inline std::string
BenchUserDictionary(size_t keys)
{
	NuvDynamicDictionary user;
	for (size_t i = 0; i < keys; i++) {
		nuv_candidate c;
		for (size_t rest = i, n = 0; n < 3; n++, rest /= 82) {
			c.reading += '\xA4';
			c.reading += static_cast<char>(0xA2 + rest % 82);
		}
		if (i % 10 == 0) {
			c.okuri = "k";
			c.okurigana = "\xA4\xAF";
		}
		for (int word = 0; word < 3; word++) {
			c.candidate = "\xB8\xC0" + std::to_string(i * 3 + word);
			user.InsertCandidate(c);
		}
	}
	std::ostringstream out;
	user.Write(out);
	return out.str();
}

#endif	// BENCH_USER_DICTIONARY_H
