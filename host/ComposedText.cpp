#include "ComposedText.h"


namespace {

const std::string kReading = "▽";
const std::string kConversion = "▼";
const std::string kRegistration = "★";


bool
StartsWith(const std::string& text, const std::string& prefix, size_t at = 0)
{
	return text.compare(at, prefix.size(), prefix) == 0;
}


// Where the pending romaji of `composed` start and end.
void
FindPendingRomaji(const std::string& composed, size_t& start, size_t& end)
{
	end = composed.size();
	if (StartsWith(composed, kRegistration)) {
		const size_t cursor = composed.rfind('|');
		if (cursor != std::string::npos)
			end = cursor;
	}
	start = end;
	while (start > 0 && composed[start - 1] >= 'a' && composed[start - 1] <= 'z')
		start--;
	// Letters after Latin text are that text (a word typed in Latin mode
	// inside a registration), not romaji.
	if (start > 0 && start < end && composed[start - 1] != '*'
		&& (static_cast<unsigned char>(composed[start - 1]) & 0x80) == 0)
		start = end;
}

}	// namespace


std::string
ComposedText::WithoutMarkers(const std::string& composed,
	std::vector<int32_t>* offsets)
{
	// The bytes to leave out, found on the text as shown.
	std::vector<bool> drop(composed.size(), false);
	auto dropMarker = [&drop](size_t at) {
		for (size_t i = at; i < at + kReading.size() && i < drop.size(); i++)
			drop[i] = true;
	};
	bool registration = false;
	size_t readingAt = std::string::npos;
	if (StartsWith(composed, kRegistration)) {
		registration = true;
		dropMarker(0);
	} else if (StartsWith(composed, kReading) || StartsWith(composed,
			kConversion)) {
		dropMarker(0);
		if (StartsWith(composed, kReading))
			readingAt = 0;
	}

	// A registration shows its word around the cursor, with the nested
	// composition just before the cursor: the last | is the cursor, and
	// the nested marker is the last ▽ or ▼ ahead of it.
	if (registration) {
		const size_t cursor = composed.rfind('|');
		if (cursor != std::string::npos && cursor >= kRegistration.size()) {
			drop[cursor] = true;
			size_t nested = std::string::npos;
			for (const std::string* marker : {&kReading, &kConversion}) {
				const size_t at = composed.rfind(*marker, cursor);
				if (at != std::string::npos && at >= kRegistration.size()
					&& (nested == std::string::npos || at > nested))
					nested = at;
			}
			if (nested != std::string::npos) {
				dropMarker(nested);
				if (StartsWith(composed, kReading, nested))
					readingAt = nested;
			}
		}
	}

	// The okuri point of a kana reading stands right after kana; in an
	// abbreviation (Latin letters) a * is the user's own.
	if (readingAt != std::string::npos) {
		for (size_t i = readingAt + kReading.size() + 1; i < composed.size();
				i++) {
			if (composed[i] == '*' && !drop[i - 1]
				&& (static_cast<unsigned char>(composed[i - 1]) & 0x80) != 0) {
				drop[i] = true;
				break;
			}
		}
	}

	std::string text;
	if (offsets != NULL)
		offsets->assign(composed.size() + 1, 0);
	for (size_t i = 0; i < composed.size(); i++) {
		if (offsets != NULL)
			(*offsets)[i] = static_cast<int32_t>(text.size());
		if (!drop[i])
			text += composed[i];
	}
	if (offsets != NULL)
		(*offsets)[composed.size()] = static_cast<int32_t>(text.size());
	return text;
}


std::string
ComposedText::PendingRomaji(const std::string& composed)
{
	size_t start, end;
	FindPendingRomaji(composed, start, end);
	return composed.substr(start, end - start);
}


std::string
ComposedText::WithoutPendingRomaji(const std::string& composed)
{
	size_t start, end;
	FindPendingRomaji(composed, start, end);
	return composed.substr(0, start) + composed.substr(end);
}
