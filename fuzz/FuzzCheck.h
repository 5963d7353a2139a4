// The fuzz targets' one way to check: NUV_FUZZ_CHECK prints where and what
// failed, then aborts, which libFuzzer reports as a crash, saving the input.
// Also the well-formedness tests of EUC-JP and UTF-8 text.
#ifndef NUV_FUZZ_CHECK_H
#define NUV_FUZZ_CHECK_H

#include <cstddef>
#include <cstdint>
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


// Well-formed EUC-JP: ASCII, JIS X 0208 pairs (0xA1-0xFE each), half-width
// katakana (0x8E, 0xA1-0xDF) and JIS X 0212 triples (0x8F and a pair); with
// `allowC1`, a C1 control byte (0x80-0x9F but 0x8E, 0x8F) may stand alone.
inline bool
IsWellFormedEuc(const std::string& text, bool allowC1 = false)
{
	auto in = [&text](size_t i, unsigned first, unsigned last) {
		return i < text.size() && static_cast<unsigned char>(text[i]) >= first
			&& static_cast<unsigned char>(text[i]) <= last;
	};
	for (size_t i = 0; i < text.size();) {
		const unsigned char lead = text[i];
		if (lead < 0x80 || (allowC1 && lead <= 0x9F && lead != 0x8E
				&& lead != 0x8F))
			i += 1;
		else if (lead == 0x8E && in(i + 1, 0xA1, 0xDF))
			i += 2;
		else if (lead == 0x8F && in(i + 1, 0xA1, 0xFE) && in(i + 2, 0xA1, 0xFE))
			i += 3;
		else if (in(i, 0xA1, 0xFE) && in(i + 1, 0xA1, 0xFE))
			i += 2;
		else
			return false;
	}
	return true;
}


inline bool
IsContinuationByte(unsigned char byte)
{
	return (byte & 0xC0) == 0x80;
}


// Well-formed UTF-8: shortest forms only, no surrogates, nothing above
// U+10FFFF.
inline bool
IsWellFormedUtf8(const std::string& text)
{
	static const uint32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
	for (size_t i = 0; i < text.size();) {
		const unsigned char lead = text[i];
		const size_t length = lead < 0x80 ? 1 : lead < 0xC0 ? 0
			: lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF8 ? 4 : 0;
		if (length == 0 || i + length > text.size())
			return false;
		uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
		for (size_t k = 1; k < length; k++) {
			if (!IsContinuationByte(text[i + k]))
				return false;
			code = code << 6 | (text[i + k] & 0x3F);
		}
		if (code < kMinimum[length] || code > 0x10FFFF
			|| (code >= 0xD800 && code <= 0xDFFF))
			return false;
		i += length;
	}
	return true;
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
