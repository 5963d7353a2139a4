#include "TestText.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <vector>


namespace nuv_test {

namespace {

// Converts with iconv; on a byte it cannot convert, `onError` decides what
// is appended and the byte is skipped.
template<typename OnError>
std::string
Convert(const char* to, const char* from, const std::string& text,
	OnError onError)
{
	iconv_t cd = iconv_open(to, from);
	if (cd == reinterpret_cast<iconv_t>(-1))
		return std::string();

	std::string result;
	std::vector<char> buffer(text.size() * 4 + 16);
	char* in = const_cast<char*>(text.data());
	size_t inLeft = text.size();
	while (inLeft > 0) {
		char* out = buffer.data();
		size_t outLeft = buffer.size();
		const size_t status = iconv(cd, &in, &inLeft, &out, &outLeft);
		result.append(buffer.data(), out - buffer.data());
		if (status == static_cast<size_t>(-1) && errno != E2BIG) {
			// EILSEQ or EINVAL: one bad (or truncated) byte.
			result += onError(static_cast<unsigned char>(*in));
			in++;
			inLeft--;
			iconv(cd, nullptr, nullptr, nullptr, nullptr);
		}
	}
	iconv_close(cd);
	return result;
}

}	// namespace


std::string
EucToUtf8(const std::string& euc)
{
	return Convert("UTF-8", "EUC-JP", euc, [](unsigned char byte) {
		char escape[8];
		std::snprintf(escape, sizeof(escape), "\\x%02X", byte);
		return std::string(escape);
	});
}


std::string
Utf8ToEuc(const std::string& utf8)
{
	return Convert("EUC-JP", "UTF-8", utf8,
		[](unsigned char) { return std::string("?"); });
}

}	// namespace nuv_test
