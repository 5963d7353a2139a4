// The fuzz targets' one way to check: NUV_FUZZ_CHECK prints where and what
// failed, then aborts, which libFuzzer reports as a crash, saving the input.
// Also the well-formedness tests of EUC-JP and UTF-8 text.
#ifndef NUV_FUZZ_CHECK_H
#define NUV_FUZZ_CHECK_H

#include <cstddef>
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
	const size_t size = text.size();
	auto isRowByte = [](unsigned char byte) {
		return byte >= 0xA1 && byte <= 0xFE;
	};
	for (size_t i = 0; i < size;) {
		const unsigned char lead = text[i];
		if (lead < 0x80) {
			i++;
			continue;
		}
		if (allowC1 && lead <= 0x9F && lead != 0x8E && lead != 0x8F) {
			i++;
			continue;
		}
		if (lead == 0x8E) {
			if (i + 1 >= size || static_cast<unsigned char>(text[i + 1]) < 0xA1
				|| static_cast<unsigned char>(text[i + 1]) > 0xDF)
				return false;
			i += 2;
		} else if (lead == 0x8F) {
			if (i + 2 >= size || !isRowByte(text[i + 1])
				|| !isRowByte(text[i + 2]))
				return false;
			i += 3;
		} else {
			if (!isRowByte(lead) || i + 1 >= size || !isRowByte(text[i + 1]))
				return false;
			i += 2;
		}
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
	for (size_t i = 0; i < text.size();) {
		const unsigned char lead = text[i];
		size_t length;
		uint32_t minimum;
		if (lead < 0x80) {
			i++;
			continue;
		} else if (lead >= 0xC0 && lead <= 0xDF) {
			length = 2;
			minimum = 0x80;
		} else if (lead >= 0xE0 && lead <= 0xEF) {
			length = 3;
			minimum = 0x800;
		} else if (lead >= 0xF0 && lead <= 0xF7) {
			length = 4;
			minimum = 0x10000;
		} else
			return false;
		if (i + length > text.size())
			return false;
		uint32_t code = lead & (0xFF >> (length + 1));
		for (size_t k = 1; k < length; k++) {
			const unsigned char byte = text[i + k];
			if (!IsContinuationByte(byte))
				return false;
			code = code << 6 | (byte & 0x3F);
		}
		if (code < minimum || code > 0x10FFFF
			|| (code >= 0xD800 && code <= 0xDFFF))
			return false;
		i += length;
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
