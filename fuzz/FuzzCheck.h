// The fuzz targets' one way to check: NUV_FUZZ_CHECK prints where and what
// failed, then aborts, which libFuzzer reports as a crash, saving the input.
// Also the text properties the targets check their outputs for.
#ifndef NUV_FUZZ_CHECK_H
#define NUV_FUZZ_CHECK_H

#include <cstdio>
#include <cstdlib>
#include <string>

#include "NuvUtils.h"

namespace nuv_fuzz {

[[noreturn]] inline void
Fail(const char* condition, const char* file, int line)
{
	std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
	std::abort();
}


// Well-formed EUC-JP as NuvUtils::IsValidEuc (tested on its own against a
// walk byte by byte) tells it; with `allowC1`, a C1 control byte (0x80-0x9F
// but 0x8E, 0x8F) may also stand alone. Such a byte is taken as ASCII, which
// stands alone too, so one that cuts a character still fails.
inline bool
IsWellFormedEuc(std::string text, bool allowC1 = false)
{
	for (char& byte : text) {
		const unsigned char b = byte;
		if (allowC1 && b >= 0x80 && b <= 0x9F && b != 0x8E && b != 0x8F)
			byte = ' ';
	}
	return NuvUtils::IsValidEuc(text);
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
