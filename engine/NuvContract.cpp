#include "NuvContract.h"


namespace {

// What opens the remaining count: "[残り ".
const char* const kRemainingOpen[] = {
	"[\xBB\xC4\xA4\xEA ",			// EUC-JP
	"[\xE6\xAE\x8B\xE3\x82\x8A ",	// UTF-8
};
const char* const kSeparator = "  ";
const size_t kSeparatorLength = 2;

}	// namespace


std::string
NuvCandidatePage::Format(const std::vector<std::string>& candidates,
	int32_t remaining, Encoding encoding)
{
	std::string line;
	for (size_t i = 0; i < candidates.size(); i++) {
		line += NuvContract::kSelectionLabels[
			i < NuvContract::kPageSize ? i : NuvContract::kPageSize - 1];
		line += ':';
		line += candidates[i];
		line += kSeparator;
	}
	line += kRemainingOpen[encoding];
	line += std::to_string(remaining);
	line += ']';
	return line;
}


bool
NuvCandidatePage::Parse(const std::string& line, Encoding encoding,
	std::vector<std::string>& candidates, int32_t& remaining)
{
	candidates.clear();
	remaining = 0;
	const std::string open = kRemainingOpen[encoding];
	const size_t bracket = line.rfind(open);
	if (bracket == std::string::npos || line.back() != ']')
		return false;
	const size_t digits = bracket + open.size();
	const std::string count = line.substr(digits, line.size() - 1 - digits);
	if (count.empty() || count.size() > 9
		|| count.find_first_not_of("0123456789") != std::string::npos)
		return false;

	// Every entry is "<label>:<candidate>" and two blanks; an entry ends
	// where the next label's "  X:" begins, the last one before the count.
	const std::string entries = line.substr(0, bracket);
	const char* const labels = NuvContract::kSelectionLabels;
	size_t at = 0;
	for (int32_t i = 0; at < entries.size() && i < NuvContract::kPageSize;
			i++) {
		if (entries.size() - at < 2 + kSeparatorLength
			|| entries[at] != labels[i] || entries[at + 1] != ':')
			break;
		size_t end = std::string::npos;
		if (i + 1 < NuvContract::kPageSize) {
			end = entries.find(kSeparator + std::string(1, labels[i + 1])
				+ ":", at + 2);
		}
		if (end == std::string::npos) {
			if (entries.compare(entries.size() - kSeparatorLength,
					kSeparatorLength, kSeparator) != 0)
				break;
			end = entries.size() - kSeparatorLength;
		}
		candidates.push_back(entries.substr(at + 2, end - at - 2));
		at = end + kSeparatorLength;
	}
	if (at < entries.size()) {
		candidates.clear();
		return false;
	}
	remaining = std::stoi(count);
	return true;
}
