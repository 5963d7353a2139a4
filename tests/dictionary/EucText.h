// Test helper: EUC-JP text from the UTF-8 literals of the test sources.
#ifndef NUV_TEST_EUC_TEXT_H
#define NUV_TEST_EUC_TEXT_H

#include <iconv.h>

#include <cassert>
#include <string>

// The EUC-JP bytes of `utf8`; other bytes (ASCII, NUL) pass unchanged.
inline std::string
Euc(const std::string& utf8)
{
	iconv_t converter = iconv_open("EUC-JP", "UTF-8");
	assert(converter != reinterpret_cast<iconv_t>(-1));
	std::string result(utf8.size() * 2 + 4, '\0');
	char* in = const_cast<char*>(utf8.data());
	size_t inLeft = utf8.size();
	char* out = &result[0];
	size_t outLeft = result.size();
	size_t status = iconv(converter, &in, &inLeft, &out, &outLeft);
	assert(status != static_cast<size_t>(-1));
	(void)status;
	iconv_close(converter);
	result.resize(result.size() - outLeft);
	return result;
}

#endif	// NUV_TEST_EUC_TEXT_H
