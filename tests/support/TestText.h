// Text helpers for tests: engine texts are EUC-JP, assertions read better in
// UTF-8.
#ifndef NUV_TEST_TEXT_H
#define NUV_TEST_TEXT_H

#include <string>

namespace nuv_test {

// `euc` in UTF-8. A byte sequence that is not EUC-JP comes out as "\xNN"
// escapes for its bytes, so a broken text still prints and never equals a
// well-formed expectation.
std::string EucToUtf8(const std::string& euc);

// `utf8` in EUC-JP; characters EUC-JP lacks come out as "?".
std::string Utf8ToEuc(const std::string& utf8);

}	// namespace nuv_test

#endif	// NUV_TEST_TEXT_H
