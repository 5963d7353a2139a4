// Fuzzes whole dictionary files through the static and the user dictionary.
//
// Input: the file's bytes, then, after the first "\0OPS" if any, learning
// operations on the user dictionary, each a byte and fields (FuzzInput.h):
//	0 InsertCandidate(reading, okuri, okurigana, candidate)
//	1 RemoveCandidate(reading, okuri, okurigana, candidate)
//	2 InsertCandidate on the n-th key held (n, okurigana, candidate)
//	3 RemoveCandidate on the n-th key held, for a word it holds (n, m)
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <list>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "NuvDynamicDictionary.h"
#include "NuvEntry.h"
#include "NuvKey.h"
#include "NuvStaticDictionary.h"


namespace {

// A stream buffer over a string that cannot seek, as a pipe would be.
class PipeBuffer : public std::streambuf {
public:
	explicit PipeBuffer(const std::string& text)
	{
		char* start = const_cast<char*>(text.data());
		setg(start, start, start + text.size());
	}
};


// A user dictionary whose map the checks may read.
class FuzzUserDictionary : public NuvDynamicDictionary {
public:
	const std::map<NuvKey, NuvEntry>& Entries() const { return entries; }
};


// A line's key text and entry text.
typedef std::pair<std::string, std::string> ModelLine;


// Whether a user dictionary writes `text` with a backslash before it, and
// takes one off when it reads it: it is ";" after any backslashes.
bool
Escaped(const std::string& text)
{
	const size_t at = text.find_first_not_of('\\');
	return at != std::string::npos && text[at] == ';';
}


// The lines of a user dictionary file read its lenient way: one that begins
// with ";", holds a NUL or has no slash after white space is no entry; the
// key runs to the first slash that follows white space (blanks, tabs, the
// full-width blank A1 A1, walking EUC-JP characters), less that white space
// and a backslash where Escaped() says; the entry text is the rest, less
// trailing blanks, tabs and CRs, with a final slash added when it lacks one.
std::vector<ModelLine>
UserModelLines(const std::string& file, size_t& others)
{
	std::vector<ModelLine> lines;
	std::istringstream in(file);
	for (std::string line; std::getline(in, line);) {
		if (line.find_first_not_of(" \t\r") == std::string::npos)
			continue;
		const std::string bare = line.substr(0, line.size()
			- (line.back() == '\r' ? 1 : 0));
		if (bare == ";; okuri-ari entries." || bare == ";; okuri-nasi entries."
			|| bare == NuvDynamicDictionary::kKeptLinesHeader)
			continue;
		// a comment or a line with a NUL is walked no further
		size_t at = line[0] == ';' || line.find('\0') != std::string::npos
			? line.size() : 0;
		size_t keyEnd = 0;
		bool blank = false;
		while (at < line.size() && (line[at] != '/' || !blank)) {
			const unsigned char c = line[at];
			blank = c == ' ' || c == '\t' || (c == 0xA1 && at + 1 < line.size()
				&& static_cast<unsigned char>(line[at + 1]) == 0xA1);
			if (blank) {
				at += c == 0xA1 ? 2 : 1;
			} else {
				at = std::min(line.size(),
					at + (c < 0x80 ? 1 : c == 0x8F ? 3 : 2));
				keyEnd = at;
			}
		}
		if (at >= line.size()) {
			others++;
			continue;
		}
		std::string entry = line.substr(at + 1);
		entry.erase(entry.find_last_not_of(" \t\r") + 1);
		if (!entry.empty() && entry.back() != '/')
			entry += '/';
		std::string key = line.substr(0, keyEnd);
		if (!key.empty() && key[0] == '\\' && Escaped(key))
			key.erase(0, 1);
		lines.push_back({key, entry});
	}
	return lines;
}


// `found` holds the words of the entry texts `lines` merged: for one line
// that line's words each once in their order; for several the same words,
// each once, in some order (lines with equal keys have no defined order).
void
CheckMerged(const NuvEntry& found, const std::vector<std::string>& lines)
{
	NuvEntry merged;
	for (const std::string& text : lines)
		merged.Merge(NuvEntry(text.c_str()));
	auto words = [&lines](NuvEntry entry) {
		if (lines.size() > 1) {
			entry.stems.sort();
			for (auto& block : entry.okuri_blocks)
				block.second.sort();
		}
		return std::make_pair(entry.stems, entry.okuri_blocks);
	};
	NUV_FUZZ_CHECK(words(found) == words(merged));
}


// The static dictionary, from a seekable stream and from a pipe, loads
// exactly the lines of the file read the plain way and finds every key with
// their words. Read the plain way, a line that begins with ";" is a comment;
// the key runs to the first blank-slash and the entry text from after it to
// the end of the line, each cut at a NUL byte; a line without a blank-slash
// is not an item.
void
CheckStatic(const std::string& file)
{
	std::map<std::string, std::vector<std::string>> byKey;
	size_t items = 0;
	std::istringstream in(file);
	for (std::string line; std::getline(in, line);) {
		const size_t separator = line.find(" /");
		if (line[0] == ';' || separator == std::string::npos)
			continue;
		byKey[std::string(line.c_str()).substr(0, separator)].push_back(
			line.c_str() + separator + 2);
		items++;
	}

	NuvStaticDictionary seekable;
	NuvStaticDictionary piped;
	std::istringstream stream(file);
	PipeBuffer pipeBuffer(file);
	std::istream pipe(&pipeBuffer);
	seekable.Read(stream);
	piped.Read(pipe);
	NUV_FUZZ_CHECK(seekable.CountItems() == items
		&& piped.CountItems() == items);

	// Every key of a line finds its words; so do the keys next to it in
	// byte order (one byte shorter or longer, its last byte changed), or
	// they find nothing when no line has them.
	auto check = [&](const std::string& text) {
		// the key text split anywhere between reading and okuri letter is
		// the same key text
		nuv_candidate query;
		const size_t split = text.size() / 2;
		query.reading = text.substr(0, split);
		query.okuri = text.substr(split);
		const NuvEntry found = seekable.FindEntry(query);
		auto lines = byKey.find(text);
		if (lines == byKey.end()) {
			NUV_FUZZ_CHECK(found.stems.empty()
				&& found.okuri_blocks.empty());
			return;
		}
		CheckMerged(found, lines->second);
		CheckMerged(piped.FindEntry(query), lines->second);
	};
	for (const auto& entry : byKey) {
		const std::string& key = entry.first;
		// a key text cannot hold a NUL, so the key and a NUL finds nothing
		for (const std::string& near : {key, key + '\0', key + '\x01',
				key + '\xff'})
			check(near);
		if (key.empty())
			continue;
		check(key.substr(0, key.size() - 1));
		std::string neighbour = key;
		neighbour.back()++;
		check(neighbour);
		neighbour.back() -= 2;
		check(neighbour);
	}
}


// Whether the line of `key` reads back as that key: its key text holds no
// line feed or NUL, is read whole (escaped where Escaped() says) as the key
// of a line (no white space before a slash or at its end) and splits into
// the same kana and ASCII parts.
bool
ReadsBackAsItself(const NuvKey& key)
{
	const std::string text = key.reading + key.okuri;
	if (key.reading.empty() || text.find('\n') != std::string::npos
		|| text.find('\0') != std::string::npos)
		return false;
	size_t others = 0;
	const std::vector<ModelLine> lines = UserModelLines(
		(Escaped(text) ? "\\" : "") + text + " /x/", others);
	if (lines.size() != 1 || lines[0].first != text)
		return false;
	const NuvKey reread(text.c_str());
	return reread.reading == key.reading && reread.okuri == key.okuri;
}


// The reader takes every line of the lenient model whose key and main list
// are not empty and whose key reads back as itself; it keeps every other
// line that is not blank or a header.
void
CheckUserRead(const FuzzUserDictionary& user, const std::string& file)
{
	size_t kept = 0;
	const std::vector<ModelLine> lines = UserModelLines(file, kept);
	std::map<NuvKey, std::vector<std::string>> byKey;
	for (const ModelLine& line : lines) {
		const NuvKey key(line.first.c_str());
		if (key && NuvEntry(line.second.c_str()) && ReadsBackAsItself(key))
			byKey[key].push_back(line.second);
		else
			kept++;
	}
	NUV_FUZZ_CHECK(user.Entries().size() == byKey.size());
	NUV_FUZZ_CHECK(user.CountKeptLines() == kept);
	for (const auto& [key, texts] : byKey) {
		auto found = user.Entries().find(key);
		NUV_FUZZ_CHECK(found != user.Entries().end());
		CheckMerged(found->second, texts);
	}
}


void
ApplyOperations(FuzzUserDictionary& user, nuv_fuzz::ByteReader& ops)
{
	const auto& entries = user.Entries();
	while (!ops.AtEnd()) {
		const uint8_t op = ops.Byte() % 4;
		if (op >= 2 && entries.empty())
			continue;
		const auto held = op < 2 ? entries.end()
			: std::next(entries.begin(), ops.Byte() % entries.size());
		nuv_candidate c;
		c.reading = held == entries.end() ? ops.Field() : held->first.reading;
		c.okuri = held == entries.end() ? ops.Field(3) : held->first.okuri;
		if (op != 3) {
			c.okurigana = ops.Field(7);
			c.candidate = ops.Field();
		} else {
			const std::list<std::string>& stems = held->second.stems;
			c.candidate = *std::next(stems.begin(), ops.Byte() % stems.size());
			if (!held->second.okuri_blocks.empty())
				c.okurigana = held->second.okuri_blocks.begin()->first;
		}
		if (op % 2 == 0) {
			user.InsertCandidate(c);
			const NuvEntry found = user.FindEntry(c);
			NUV_FUZZ_CHECK(!found.stems.empty()
				&& found.stems.front() == c.candidate);
		} else
			user.RemoveCandidate(c);
	}
}


std::string
Written(NuvDictionary& dictionary)
{
	std::ostringstream out;
	dictionary.Write(out);
	return out.str();
}


// Write, Read, Write gives the same bytes, and the dictionary read back
// holds the same entries, less keys that cannot read back as themselves.
void
CheckRoundTrip(FuzzUserDictionary& user)
{
	const std::string written = Written(user);
	FuzzUserDictionary reread;
	std::istringstream in(written);
	reread.Read(in);
	NUV_FUZZ_CHECK(Written(reread) == written);
	for (const auto& [key, entry] : user.Entries()) {
		auto found = reread.Entries().find(key);
		if (found == reread.Entries().end()) {
			NUV_FUZZ_CHECK(!ReadsBackAsItself(key));
			continue;
		}
		NUV_FUZZ_CHECK(found->second.stems == entry.stems);
		NUV_FUZZ_CHECK(found->second.okuri_blocks == entry.okuri_blocks);
	}
	for (const auto& entry : reread.Entries())
		NUV_FUZZ_CHECK(user.Entries().count(entry.first) == 1);
}

}	// namespace


extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	nuv_fuzz::ByteReader ops(data, size);
	const std::string file = ops.SplitAt(std::string("\0OPS", 4));
	CheckStatic(file);

	FuzzUserDictionary user;
	std::istringstream in(file);
	user.Read(in);
	CheckUserRead(user, file);

	ApplyOperations(user, ops);
	CheckRoundTrip(user);
	return 0;
}
