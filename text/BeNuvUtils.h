// Conversions between the engine's EUC-JP text and the platform's UTF-8.
#ifndef BE_NUV_UTILS_H
#define BE_NUV_UTILS_H

#include <string>


// Static conversions over the platform's text-encoding functions. They share
// no state (each uses its own 256-byte stack buffer), so any thread may call
// them at any time.
class BeNuvUtils {
public:
	// The UTF-8 text for the EUC-JP text `euc`, converted in passes of at
	// most 256 output bytes. A character the platform cannot convert, or a
	// run of invalid bytes, becomes the substitute byte 0x1A; so does a
	// character cut off by the end of the text. An empty text gives an
	// empty result.
	static	std::string			ConvertEucToUtf8(const std::string& euc);

	// The EUC-JP text for the UTF-8 text `utf8`, in the same passes and
	// with the same substitute byte.
	static	std::string			ConvertUtf8ToEuc(const std::string& utf8);
};


#endif	// BE_NUV_UTILS_H
