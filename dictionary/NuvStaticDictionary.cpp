#include "NuvStaticDictionary.h"

#include <algorithm>
#include <cstring>
#include <string>


namespace {

// A file whose lines fall into at most this many runs in key order (the
// usual dictionary has two: its okuri-ari and okuri-nasi sections, each
// sorted) is put in order by merging the runs; any other file is sorted
// from scratch.
const size_t kMaxMergedRuns = 16;

// Chunk size for a stream whose length cannot be measured by seeking.
const size_t kReadChunkSize = 64 * 1024;


bool
KeyLess(const NuvStaticDictionary::dict_item& item, const char* key)
{
	return std::strcmp(item.key, key) < 0;
}

}	// namespace


NuvStaticDictionary::NuvStaticDictionary()
{
}


NuvStaticDictionary::~NuvStaticDictionary()
{
	Clear();
}


void
NuvStaticDictionary::Clear()
{
	// the items point into the buffer: they go first
	items.clear();
	items.shrink_to_fit();
	buffer.reset();
}


void
NuvStaticDictionary::Read(std::istream& in)
{
	if (in.fail())
		return;
	Clear();

	size_t length;
	if (!_ReadBuffer(in, length))
		return;
	_SplitLines(length);
}


void
NuvStaticDictionary::Write(std::ostream&)
{
}


NuvEntry
NuvStaticDictionary::FindEntry(const nuv_candidate& query)
{
	NuvEntry result;
	std::string key;
	key.reserve(query.reading.size() + query.okuri.size());
	key += query.reading;
	key += query.okuri;
	// no key text holds a NUL: it ends the key in the buffer
	if (key.find('\0') != std::string::npos)
		return result;

	const char* text = key.c_str();
	auto item = std::lower_bound(items.begin(), items.end(), text, KeyLess);
	if (item == items.end() || std::strcmp(item->key, text) != 0)
		return result;

	// The result is what merging every matching line into an empty entry
	// gives; for the first line that is the line without repeated words.
	result = NuvEntry(item->entry);
	result.RemoveDuplicates();
	for (++item; item != items.end() && std::strcmp(item->key, text) == 0;
			++item)
		result.Merge(NuvEntry(item->entry));
	return result;
}


void
NuvStaticDictionary::InsertCandidate(const nuv_candidate&)
{
}


void
NuvStaticDictionary::RemoveCandidate(const nuv_candidate&)
{
}


// #pragma mark - private


// Reads the whole stream into a new buffer with two NUL bytes after the
// text, and sets `length` to the number of text bytes.
bool
NuvStaticDictionary::_ReadBuffer(std::istream& in, size_t& length)
{
	in.seekg(0, std::ios::end);
	std::streamoff end = in.tellg();
	if (end >= 0 && in.good()) {
		in.seekg(0, std::ios::beg);
		length = static_cast<size_t>(end);
		// not value-initialised: every byte up to `length` is overwritten
		buffer.reset(new char[length + 2]);
		in.read(buffer.get(), static_cast<std::streamsize>(length));
		// a file that shrank meanwhile gives fewer bytes
		length = static_cast<size_t>(in.gcount());
	} else {
		// A stream that cannot seek (a pipe): read it in chunks.
		in.clear();
		std::string text;
		std::vector<char> chunk(kReadChunkSize);
		while (in.read(chunk.data(), chunk.size()) || in.gcount() > 0)
			text.append(chunk.data(), static_cast<size_t>(in.gcount()));
		length = text.size();
		buffer.reset(new char[length + 2]);
		std::memcpy(buffer.get(), text.data(), length);
	}
	buffer[length] = '\0';
	buffer[length + 1] = '\0';
	return true;
}


// Cuts the text into items and puts them in key order.
void
NuvStaticDictionary::_SplitLines(size_t length)
{
	char* const start = buffer.get();
	char* const end = start + length;

	// one item at most per line: reserving avoids regrowing the vector
	size_t lines = 1;
	for (const char* p = start;
			(p = static_cast<const char*>(std::memchr(p, '\n', end - p)))
				!= nullptr; p++)
		lines++;
	items.reserve(lines);

	// Where each run of keys in ascending order begins, noted while the
	// lines are cut, when the previous key is still in the cache.
	std::vector<size_t> runStarts;
	runStarts.push_back(0);
	const char* previousKey = nullptr;

	for (char* line = start; line < end; ) {
		char* lineEnd = static_cast<char*>(std::memchr(line, '\n',
			end - line));
		if (lineEnd == nullptr)
			lineEnd = end;	// a last line without a line feed; *end is NUL
		char* next = lineEnd + 1;

		if (*line == ';') {
			line = next;
			continue;
		}
		*lineEnd = '\0';

		char* blank = line;
		while ((blank = static_cast<char*>(std::memchr(blank, ' ',
				lineEnd - blank))) != nullptr && blank[1] != '/')
			blank++;
		if (blank != nullptr) {
			*blank = '\0';
			if (previousKey != nullptr && std::strcmp(previousKey, line) > 0)
				runStarts.push_back(items.size());
			items.emplace_back(line, blank + 2);
			previousKey = line;
		}
		line = next;
	}

	_SortItems(runStarts);
}


void
NuvStaticDictionary::_SortItems(const std::vector<size_t>& runStarts)
{
	if (runStarts.size() <= 1)
		return;
	if (runStarts.size() > kMaxMergedRuns) {
		std::sort(items.begin(), items.end());
		return;
	}

	// Merge neighbouring runs pairwise until one is left. The merge is
	// stable, so lines with equal keys keep their file order.
	std::vector<size_t> bounds(runStarts);
	bounds.push_back(items.size());
	while (bounds.size() > 2) {
		std::vector<size_t> merged;
		merged.push_back(0);
		size_t i = 0;
		for (; i + 2 < bounds.size(); i += 2) {
			std::inplace_merge(items.begin() + bounds[i],
				items.begin() + bounds[i + 1], items.begin() + bounds[i + 2]);
			merged.push_back(bounds[i + 2]);
		}
		if (i + 1 < bounds.size())
			merged.push_back(bounds[i + 1]);
		bounds.swap(merged);
	}
}
