#include "ComposedText.h"

#include "NuvContract.h"


namespace {

const std::string kReading = NuvContract::kReadingMarkerUtf8;
const std::string kConversion = NuvContract::kConversionMarkerUtf8;
const std::string kRegistration = NuvContract::kRegistrationMarkerUtf8;


bool
StartsWith(const std::string& text, const std::string& prefix, size_t at = 0)
{
	return text.compare(at, prefix.size(), prefix) == 0;
}

}	// namespace


std::string
ComposedText::WithoutMarkers(const std::string& composed)
{
	std::string text = composed;
	bool registration = false;
	if (StartsWith(text, kRegistration)) {
		registration = true;
		text.erase(0, kRegistration.size());
	} else if (StartsWith(text, kReading) || StartsWith(text, kConversion))
		text.erase(0, kReading.size());

	// A registration shows its word around the cursor, with the nested
	// composition just before the cursor: the last | is the cursor, and
	// the nested marker is the last ▽ or ▼ ahead of it.
	size_t readingAt = StartsWith(composed, kReading) ? 0 : std::string::npos;
	if (registration) {
		const size_t cursor = text.rfind(NuvContract::kCursorMarker);
		if (cursor != std::string::npos) {
			text.erase(cursor, 1);
			const size_t before = cursor > 0 ? cursor - 1 : 0;
			const size_t reading = cursor > 0
				? text.rfind(kReading, before) : std::string::npos;
			const size_t conversion = cursor > 0
				? text.rfind(kConversion, before) : std::string::npos;
			size_t nested = reading;
			if (nested == std::string::npos
				|| (conversion != std::string::npos && conversion > nested))
				nested = conversion;
			if (nested != std::string::npos) {
				text.erase(nested, kReading.size());
				if (nested == reading)
					readingAt = nested;
			}
		}
	}

	// The okuri point of a kana reading stands right after kana; in an
	// abbreviation (Latin letters) a * is the user's own.
	if (readingAt != std::string::npos) {
		for (size_t i = readingAt; i < text.size(); i++) {
			if (text[i] == NuvContract::kOkuriMarker[0] && i > readingAt
				&& (static_cast<unsigned char>(text[i - 1]) & 0x80) != 0) {
				text.erase(i, 1);
				break;
			}
		}
	}
	return text;
}
