#include "BeNuvUtils.h"

#include <algorithm>
#include <limits>

#include <UTF8.h>


static const uint32 kEucJpEncoding = 12;	// B_EUC_CONVERSION
static const int32 kPassBufferSize = 256;
static const char kSubstitute = 0x1A;

typedef status_t (*text_converter)(uint32 encoding, const char* source,
	int32* sourceLength, char* destination, int32* destinationLength,
	int32* state, char substitute);


// Runs `convert` over `source` in passes through a fixed buffer, each pass
// taking up the source where the previous one stopped.
static std::string
ConvertInPasses(text_converter convert, const std::string& source)
{
	std::string result;
	result.reserve(source.size() + source.size() / 2);
	char buffer[kPassBufferSize];
	int32 state = 0;
	size_t consumed = 0;

	// The first pass runs also for an empty source.
	do {
		const size_t remaining = source.size() - consumed;
		int32 sourceLength = static_cast<int32>(std::min<size_t>(remaining,
			std::numeric_limits<int32>::max()));
		int32 destinationLength = kPassBufferSize;
		// The status is not examined: whatever the pass produced is kept.
		convert(kEucJpEncoding, source.data() + consumed, &sourceLength,
			buffer, &destinationLength, &state, kSubstitute);

		if (destinationLength > 0)
			result.append(buffer, std::min(destinationLength, kPassBufferSize));

		if (sourceLength <= 0) {
			// Nothing consumed: the rest is a character cut off by the end of
			// the text (or something else the platform cannot get past), and
			// another pass would do the same. End here, and show that
			// something was lost by one substitute for the whole rest rather
			// than dropping it silently.
			if (remaining > 0)
				result += kSubstitute;
			break;
		}
		consumed += std::min<size_t>(sourceLength, remaining);
	} while (consumed < source.size());

	return result;
}


std::string
BeNuvUtils::ConvertEucToUtf8(const std::string& euc)
{
	return ConvertInPasses(convert_to_utf8, euc);
}


std::string
BeNuvUtils::ConvertUtf8ToEuc(const std::string& utf8)
{
	return ConvertInPasses(convert_from_utf8, utf8);
}
