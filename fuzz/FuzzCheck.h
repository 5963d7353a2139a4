// The fuzz targets' one way to check: NUV_FUZZ_CHECK prints where and what
// failed, then aborts, which libFuzzer reports as a crash, saving the input.
// Also a text property several targets check their outputs for.
#ifndef NUV_FUZZ_CHECK_H
#define NUV_FUZZ_CHECK_H

#include <cstdio>
#include <cstdlib>
#include <string>

namespace nuv_fuzz {

[[noreturn]] inline void
Fail(const char* condition, const char* file, int line)
{
	std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
	std::abort();
}


// No control byte (below 0x20 or 0x7F).
inline bool
IsPrintable(const std::string& text)
{
	for (const unsigned char byte : text) {
		if (byte < 0x20 || byte == 0x7F)
			return false;
	}
	return true;
}

}	// namespace nuv_fuzz

#define NUV_FUZZ_CHECK(condition) \
	do { \
		if (!(condition)) \
			nuv_fuzz::Fail(#condition, __FILE__, __LINE__); \
	} while (false)

#endif	// NUV_FUZZ_CHECK_H
