// Fuzzes the EUC-JP <-> UTF-8 conversions of the platform boundary with the
// input as text in each encoding. Checked: both end whatever the bytes and
// give well-formed text (C1 controls as single EUC-JP bytes included), a
// run that cannot be converted becoming the substitute 0x1A; EUC-JP text
// converted without a substitute comes back; the EUC-JP form of UTF-8 text
// is the EUC-JP form of its own UTF-8 form.
#include <cstddef>
#include <cstdint>
#include <string>

#include "BeNuvUtils.h"
#include "FuzzCheck.h"


namespace {

const char kSubstitute = 0x1A;


bool
HasSubstitute(const std::string& text)
{
	return text.find(kSubstitute) != std::string::npos;
}

}	// namespace


extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	const std::string text(reinterpret_cast<const char*>(data), size);

	// The engine's text on its way to the screen.
	const std::string utf8 = BeNuvUtils::ConvertEucToUtf8(text);
	NUV_FUZZ_CHECK(nuv_fuzz::IsWellFormedUtf8(utf8));
	NUV_FUZZ_CHECK(text.empty() == utf8.empty());
	if (!HasSubstitute(text) && !HasSubstitute(utf8))
		NUV_FUZZ_CHECK(BeNuvUtils::ConvertUtf8ToEuc(utf8) == text);

	// A key's or a palette's text on its way into the engine.
	const std::string euc = BeNuvUtils::ConvertUtf8ToEuc(text);
	// C1 controls (U+0080-U+009F) become single bytes 0x80-0x9F, as the
	// encoding defines them; no text in the system comes this way today.
	NUV_FUZZ_CHECK(nuv_fuzz::IsWellFormedEuc(euc, true));
	NUV_FUZZ_CHECK(text.empty() == euc.empty());
	// Several characters may share one EUC-JP form (full-width and plain
	// forms of a sign, say), so the text need not come back; the EUC-JP
	// form must.
	if (!HasSubstitute(euc)) {
		NUV_FUZZ_CHECK(BeNuvUtils::ConvertUtf8ToEuc(
			BeNuvUtils::ConvertEucToUtf8(euc)) == euc);
	}
	return 0;
}
