// Fuzzes the text helpers with the input as one byte string: the candidate
// codecs, EUC-JP character helpers and kana conversions of NuvUtils, and the
// EUC-JP <-> UTF-8 conversions of the platform boundary (BeNuvUtils), each
// against the properties stated with its checks.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "BeNuvUtils.h"
#include "FuzzCheck.h"
#include "NuvUtils.h"


namespace {

const size_t kMaxPops = 64;

const char kSubstitute = 0x1A;


// The byte offsets where the characters of `text` start, as every helper
// pairs the bytes: a byte of 0x80 or above takes the byte after it.
std::vector<size_t>
CharacterStarts(const std::string& text)
{
	std::vector<size_t> starts;
	for (size_t i = 0; i < text.size();) {
		starts.push_back(i);
		i += static_cast<unsigned char>(text[i]) >= 0x80 && i + 1 < text.size()
			? 2 : 1;
	}
	return starts;
}


void
CheckCodecs(const std::string& text)
{
	// A candidate survives its dictionary notation whatever bytes it holds,
	// and the notation never carries a line break, a control byte or a
	// field separator into the line.
	const std::string elisp = NuvUtils::EncodeElisp(text);
	NUV_FUZZ_CHECK(NuvUtils::DecodeElisp(elisp) == text);
	NUV_FUZZ_CHECK(nuv_fuzz::IsPrintable(elisp));
	NUV_FUZZ_CHECK(elisp.find('/') == std::string::npos);
	// a field that opened or closed an okurigana block would be misread
	NUV_FUZZ_CHECK(elisp[0] != '[' && elisp != "]");
	if (elisp == text)
		NUV_FUZZ_CHECK(text.find_first_of("\"\\") == std::string::npos);

	const std::string quoted = NuvUtils::EncodeCString(text);
	NUV_FUZZ_CHECK(quoted.front() == '"' && quoted.back() == '"');
	NUV_FUZZ_CHECK(NuvUtils::DecodeCString(quoted) == text);
	NUV_FUZZ_CHECK(nuv_fuzz::IsPrintable(quoted));

	// The text itself taken as encoded input: the decoders read any bytes,
	// never produce more than they were given, and leave text that is not
	// in their shape alone.
	const std::string decoded = NuvUtils::DecodeCString(text);
	if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
		NUV_FUZZ_CHECK(decoded.size() <= text.size() - 2);
	else
		NUV_FUZZ_CHECK(decoded == text);

	const std::string decodedElisp = NuvUtils::DecodeElisp(text);
	NUV_FUZZ_CHECK(decodedElisp.size() <= text.size());
	if (text.compare(0, sConcatHead.size(), sConcatHead) != 0
		|| text.size() <= sConcatHead.size() || text.back() != ')')
		NUV_FUZZ_CHECK(decodedElisp == text);

	const std::string printable = NuvUtils::ConvertToPrintable(text);
	const size_t controls = std::count_if(text.begin(), text.end(),
		[](unsigned char byte) { return byte < 0x20; });
	NUV_FUZZ_CHECK(printable.size() == text.size() + controls);
	NUV_FUZZ_CHECK(nuv_fuzz::IsPrintable(printable));
}


void
CheckCharacters(const std::string& text)
{
	const std::vector<size_t> starts = CharacterStarts(text);
	const bool loneLast = !starts.empty()
		&& static_cast<unsigned char>(text[starts.back()]) >= 0x80
		&& starts.back() + 1 == text.size();

	// SplitEucString gives one code per character, a high byte's code
	// holding both of its bytes, and drops only a lone high byte at the end.
	const std::vector<int32_t> codes = NuvUtils::SplitEucString(text);
	NUV_FUZZ_CHECK(codes.size() == starts.size() - (loneLast ? 1 : 0));
	for (size_t i = 0; i < codes.size(); i++) {
		const unsigned char lead = text[starts[i]];
		NUV_FUZZ_CHECK(codes[i] == (lead < 0x80 ? lead : lead << 8
			| static_cast<unsigned char>(text[starts[i] + 1])));
	}
	NUV_FUZZ_CHECK(NuvUtils::JoinEucString(codes)
		== text.substr(0, loneLast ? text.size() - 1 : text.size()));

	// PopBackEuc removes exactly the last character; popping repeatedly
	// visits the character starts in reverse (each pop walks the text from
	// its start, so long texts are popped only near their end) and leaves an
	// empty text empty.
	std::string popped = text;
	const size_t pops = std::min<size_t>(starts.size(), kMaxPops);
	for (size_t i = starts.size(); i-- > starts.size() - pops;) {
		NuvUtils::PopBackEuc(popped);
		NUV_FUZZ_CHECK(popped == text.substr(0, starts[i]));
	}
	if (popped.empty()) {
		NuvUtils::PopBackEuc(popped);
		NUV_FUZZ_CHECK(popped.empty());
	}

	// EucTokenizer reads up to the first NUL; what it returns, put back
	// with EucCombinator, is that part of the text byte for byte, each code
	// starting at a character start.
	const std::string head(text.c_str());
	std::string combined;
	EucCombinator writer(combined);
	EucTokenizer reader(text);
	size_t count = 0;
	for (int32_t code = reader.GetChar(); code != 0; code = reader.GetChar()) {
		NUV_FUZZ_CHECK(count < starts.size()
			&& combined.size() == starts[count]);
		writer.PutChar(code);
		count++;
	}
	NUV_FUZZ_CHECK(combined == head);
	NUV_FUZZ_CHECK(reader.GetChar() == 0);
}


void
CheckKana(const std::string& text)
{
	// The conversions stop at a NUL, change characters only within the
	// kana blocks, and join う゛ into one character, so the text never grows
	// towards katakana.
	const std::string head(text.c_str());
	const std::vector<int32_t> codes = NuvUtils::SplitEucString(head);
	const std::string katakana = NuvUtils::ConvertEucHirakanaToKatakana(text);
	const std::string hiragana = NuvUtils::ConvertEucKatakanaToHirakana(text);
	NUV_FUZZ_CHECK(katakana.size() <= head.size());
	NUV_FUZZ_CHECK(NuvUtils::SplitEucString(katakana).size() <= codes.size());
	NUV_FUZZ_CHECK(NuvUtils::SplitEucString(hiragana).size() >= codes.size());

	// A text without katakana comes back from katakana unchanged; a text
	// without hiragana and without the mark ゛ comes back from hiragana.
	auto has = [&codes](int32_t first, int32_t last) {
		return std::any_of(codes.begin(), codes.end(),
			[=](int32_t code) { return code >= first && code <= last; });
	};
	if (!has(0xA5A1, 0xA5F4)) {
		NUV_FUZZ_CHECK(NuvUtils::ConvertEucKatakanaToHirakana(katakana)
			== head);
	}
	if (!has(0xA4A1, 0xA4F3) && !has(0xA1AB, 0xA1AB)) {
		NUV_FUZZ_CHECK(NuvUtils::ConvertEucHirakanaToKatakana(hiragana)
			== head);
	}
}

// Both conversions end whatever the bytes and give well-formed text, a run
// that cannot be converted becoming kSubstitute.
void
CheckUtf8(const std::string& text)
{
	// The engine's text on its way to the screen.
	const std::string utf8 = BeNuvUtils::ConvertEucToUtf8(text);
	NUV_FUZZ_CHECK(NuvUtils::IsValidUtf8(utf8));
	NUV_FUZZ_CHECK(text.empty() == utf8.empty());
	if (text.find(kSubstitute) == std::string::npos
		&& utf8.find(kSubstitute) == std::string::npos)
		NUV_FUZZ_CHECK(BeNuvUtils::ConvertUtf8ToEuc(utf8) == text);

	// A key's or a palette's text on its way into the engine.
	const std::string euc = BeNuvUtils::ConvertUtf8ToEuc(text);
	// C1 controls (U+0080-U+009F) become single bytes 0x80-0x9F, as the
	// encoding defines them; no text in the system comes this way today.
	// Taken as ASCII, which stands alone too, such a byte that cuts a
	// character still fails.
	std::string c1AsAscii = euc;
	std::replace_if(c1AsAscii.begin(), c1AsAscii.end(), [](unsigned char b) {
		return b >= 0x80 && b <= 0x9F && b != 0x8E && b != 0x8F;
	}, ' ');
	NUV_FUZZ_CHECK(NuvUtils::IsValidEuc(c1AsAscii));
	NUV_FUZZ_CHECK(text.empty() == euc.empty());
	// Several characters may share one EUC-JP form (full-width and plain
	// forms of a sign, say), so the text need not come back; the EUC-JP
	// form must.
	if (euc.find(kSubstitute) == std::string::npos) {
		NUV_FUZZ_CHECK(BeNuvUtils::ConvertUtf8ToEuc(
			BeNuvUtils::ConvertEucToUtf8(euc)) == euc);
	}
}

}	// namespace


extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	const std::string text(reinterpret_cast<const char*>(data), size);
	CheckCodecs(text);
	CheckCharacters(text);
	CheckKana(text);
	CheckUtf8(text);
	return 0;
}
