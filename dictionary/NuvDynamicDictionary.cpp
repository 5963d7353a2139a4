#include "NuvDynamicDictionary.h"

#include <iterator>
#include <utility>


namespace {

const char* const kOkuriAriHeader = ";; okuri-ari entries.";
const char* const kOkuriNasiHeader = ";; okuri-nasi entries.";
const size_t kReadChunkSize = 1 << 16;

enum {
	kTopSection = 0,
	kOkuriAriSection = 1,
	kOkuriNasiSection = 2
};


// The length of the white space at `at` that may stand between a key and
// its slash: a blank or a tab (1), the full-width blank A1 A1 (2), else 0.
size_t
BlankAt(const std::string& text, size_t at)
{
	const unsigned char c = text[at];
	if (c == ' ' || c == '\t')
		return 1;
	if (c == 0xA1 && at + 1 < text.size()
		&& static_cast<unsigned char>(text[at + 1]) == 0xA1)
		return 2;
	return 0;
}


// Where the key of `line` ends, white space before it left out, with the
// slash that ends it in `slash`; npos when no slash follows white space.
// The line is walked by EUC-JP characters, so that the second byte of a
// character is never taken for a blank or a slash.
size_t
FindKeyEnd(const std::string& line, size_t& slash)
{
	size_t keyEnd = 0;
	bool blankBefore = false;
	for (size_t at = 0; at < line.size(); ) {
		const unsigned char c = line[at];
		if (c == '/' && blankBefore) {
			slash = at;
			return keyEnd;
		}
		const size_t blank = BlankAt(line, at);
		if (blank > 0) {
			blankBefore = true;
			at += blank;
			continue;
		}
		at += c < 0x80 ? 1 : (c == 0x8F ? 3 : 2);
		if (at > line.size())
			at = line.size();
		keyEnd = at;
		blankBefore = false;
	}
	return std::string::npos;
}


// Whether `text`, read as a key, would end early or lose its end: it holds
// white space followed by a slash, ends in white space, or ends in a cut
// character, which would take in the blank-slash after it. Walked by EUC-JP
// characters, as FindKeyEnd() walks a line.
bool
BreaksAsKey(const std::string& text)
{
	bool blankBefore = false;
	size_t at = 0;
	while (at < text.size()) {
		const unsigned char c = text[at];
		if (c == '/' && blankBefore)
			return true;
		const size_t blank = BlankAt(text, at);
		blankBefore = blank > 0;
		at += blank > 0 ? blank : (c < 0x80 ? 1 : (c == 0x8F ? 3 : 2));
	}
	return blankBefore || at > text.size();
}


// Whether the key text `text` is written with a backslash before it: it
// begins with ";" (which would begin a comment) after any backslashes. The
// reader takes one backslash off such a text, so each of them reads back.
bool
IsEscaped(const std::string& text)
{
	const size_t first = text.find_first_not_of('\\');
	return first != std::string::npos && text[first] == ';';
}

}	// namespace


// The key text is written escaped where needed (IsEscaped), so a reading
// may begin with ";".
bool
NuvDynamicDictionary::IsWritable(const NuvKey& key)
{
	const std::string& reading = key.reading;
	if (reading.empty())
		return false;
	bool kana = (reading[0] & 0x80) != 0;
	if (!kana && !key.okuri.empty())
		return false;
	for (char c : reading) {
		if (((c & 0x80) != 0) != kana || c == '\n' || c == '\0')
			return false;
	}
	for (char c : key.okuri) {
		if ((c & 0x80) != 0 || c == '\n' || c == '\0')
			return false;
	}
	// the okuri is ASCII and follows whole characters of the reading
	return key.okuri.empty() ? !BreaksAsKey(reading)
		: !BreaksAsKey(reading + key.okuri);
}


namespace {

bool
IsHeader(const std::string& line, const char* header)
{
	// a header saved with CR LF line ends is still a header
	std::string::size_type length = line.size();
	if (length > 0 && line[length - 1] == '\r')
		length--;
	return line.compare(0, length, header) == 0
		&& std::char_traits<char>::length(header) == length;
}


void
WriteKept(std::ostream& out, const std::vector<std::string>& lines,
	bool withHeader)
{
	if (lines.empty())
		return;
	if (withHeader)
		out << NuvDynamicDictionary::kKeptLinesHeader << '\n';
	for (const std::string& line : lines)
		out << line << '\n';
}

}	// namespace


const char* const NuvDynamicDictionary::kKeptLinesHeader
	= ";; lines kept as they were, not read as entries:";


NuvDynamicDictionary::NuvDynamicDictionary()
	:
	fRecording(false),
	fLeftOut(0)
{
}


NuvDynamicDictionary::~NuvDynamicDictionary()
{
}


void
NuvDynamicDictionary::Read(std::istream& in)
{
	if (in.fail())
		return;

	// A stream on a directory fails on its first read; read() reports that
	// through the stream's state instead of throwing.
	std::string text;
	std::vector<char> chunk(kReadChunkSize);
	while (in.read(chunk.data(), chunk.size()) || in.gcount() > 0)
		text.append(chunk.data(), static_cast<size_t>(in.gcount()));

	fOkuriAriHint = entries.end();
	fOkuriNasiHint = entries.end();
	int section = kTopSection;
	std::string line;
	size_t start = 0;
	while (start < text.size()) {
		size_t end = text.find('\n', start);
		if (end == std::string::npos)
			end = text.size();
		line.assign(text, start, end - start);
		_ReadLine(line, section);
		start = end + 1;
	}
}


void
NuvDynamicDictionary::Write(std::ostream& out)
{
	fLeftOut = 0;
	WriteKept(out, fKeptLines[kTopSection], false);
	out << kOkuriAriHeader << '\n';
	bool nasiHeaderWritten = false;
	for (const auto& [key, entry] : entries) {
		if (!nasiHeaderWritten && key.okuri.empty()) {
			WriteKept(out, fKeptLines[kOkuriAriSection], true);
			out << kOkuriNasiHeader << '\n';
			nasiHeaderWritten = true;
		}
		if (!IsWritable(key)) {
			fLeftOut++;
			continue;
		}
		if (IsEscaped(key.reading))
			out << '\\';
		out << key << ' ' << entry << '\n';
	}
	if (!nasiHeaderWritten) {
		WriteKept(out, fKeptLines[kOkuriAriSection], true);
		out << kOkuriNasiHeader << '\n';
	}
	WriteKept(out, fKeptLines[kOkuriNasiSection], true);
}


NuvEntry
NuvDynamicDictionary::FindEntry(const nuv_candidate& query)
{
	auto found = entries.find(NuvKey(query));
	if (found == entries.end())
		return NuvEntry();
	return found->second;
}


void
NuvDynamicDictionary::InsertCandidate(const nuv_candidate& c)
{
	entries[NuvKey(c)].Insert(c);
	if (fRecording)
		fChanges.push_back(Change{true, c});
}


void
NuvDynamicDictionary::RemoveCandidate(const nuv_candidate& c)
{
	// A purge of a word this session does not hold is recorded all the
	// same: another session may have saved that word meanwhile.
	if (fRecording)
		fChanges.push_back(Change{false, c});
	auto found = entries.find(NuvKey(c));
	if (found == entries.end())
		return;
	found->second.Remove(c);
	if (!found->second)
		entries.erase(found);
}


size_t
NuvDynamicDictionary::CountKeptLines() const
{
	return fKeptLines[0].size() + fKeptLines[1].size() + fKeptLines[2].size();
}


void
NuvDynamicDictionary::TakeChanges(ChangeList& out)
{
	if (out.empty())
		out.swap(fChanges);
	else {
		out.insert(out.end(), std::make_move_iterator(fChanges.begin()),
			std::make_move_iterator(fChanges.end()));
	}
	fChanges.clear();
}


void
NuvDynamicDictionary::Apply(const Change& change)
{
	const bool recording = fRecording;
	fRecording = false;
	if (change.learned)
		InsertCandidate(change.candidate);
	else
		RemoveCandidate(change.candidate);
	fRecording = recording;
}


void
NuvDynamicDictionary::SwapContent(NuvDynamicDictionary& other)
{
	entries.swap(other.entries);
	for (int i = 0; i < 3; i++)
		fKeptLines[i].swap(other.fKeptLines[i]);
}


void
NuvDynamicDictionary::_ReadLine(const std::string& line, int& section)
{
	if (line.find_first_not_of(" \t\r") == std::string::npos)
		return;
	if (line[0] == ';') {
		if (IsHeader(line, kOkuriAriHeader))
			section = kOkuriAriSection;
		else if (IsHeader(line, kOkuriNasiHeader))
			section = kOkuriNasiSection;
		else if (!IsHeader(line, kKeptLinesHeader))
			fKeptLines[section].push_back(line);
		return;
	}

	size_t slash = 0;
	const size_t keyEnd = line.find('\0') == std::string::npos
		? FindKeyEnd(line, slash) : std::string::npos;
	if (keyEnd != std::string::npos && keyEnd > 0) {
		std::string keyText = line.substr(0, keyEnd);
		if (keyText[0] == '\\' && IsEscaped(keyText))
			keyText.erase(0, 1);
		const NuvKey key(keyText.c_str());
		// the final slash of a hand-written line may be missing, and the
		// line may end in a carriage return or blanks
		std::string text = line.substr(slash + 1);
		const size_t last = text.find_last_not_of(" \t\r");
		text.resize(last == std::string::npos ? 0 : last + 1);
		if (!text.empty() && text.back() != '/')
			text += '/';
		NuvEntry entry(text.c_str());
		if (key && entry && IsWritable(key)) {
			// Each section of a file this class wrote is in the map's order
			// for its kind of key: inserting next to the previous key of the
			// same kind spares most of the map's searches.
			auto& hint = key.okuri.empty() ? fOkuriNasiHint : fOkuriAriHint;
			const size_t count = entries.size();
			auto found = entries.try_emplace(hint, key, std::move(entry));
			if (entries.size() == count) {
				// try_emplace took nothing from `entry`
				found->second.Merge(entry);
			} else
				found->second.RemoveDuplicates();
			hint = std::next(found);
			return;
		}
	}
	// Not an entry: kept as it is, so that a write-back loses nothing.
	fKeptLines[section].push_back(line);
}
