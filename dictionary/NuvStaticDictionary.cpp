#include "NuvStaticDictionary.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>


namespace {

// A file whose lines fall into at most this many runs in key order (the
// usual dictionary has two: its okuri-ari and okuri-nasi sections, each
// sorted) is put in order by merging the runs; any other file is sorted
// from scratch. Both keep lines with equal keys in file order, so that a
// look-up gives the same entry whichever way the file was ordered.
const size_t kMaxMergedRuns = 16;

// Chunk size for a stream whose length cannot be measured by seeking.
const size_t kReadChunkSize = 64 * 1024;

// Bytes per line of a usual dictionary, to reserve the items.
const size_t kTypicalLineLength = 24;

// The largest end of a stream taken for its size in one allocation. A
// directory reports the largest file offset; a larger stream is read in
// chunks, so that no allocation asks for more than the stream can give.
const std::streamoff kMaxMeasuredSize = std::streamoff(1) << 32;

// NUL bytes after the text in the buffer: its terminator, and room for the
// scans below, which read eight bytes at a time.
const size_t kPadding = 16;

typedef NuvStaticDictionary::dict_item dict_item;


// Word-wise scanning. The loader spends its time looking at every byte of
// the text; eight at a time is several times faster than one, and faster
// than a library call per short line. A word may extend past the end of the
// text into the padding, never past the buffer.
#if defined(__GNUC__) && defined(__BYTE_ORDER__) \
	&& __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__

const uint64_t kOnes = 0x0101010101010101ULL;
const uint64_t kHighs = 0x8080808080808080ULL;


inline uint64_t
LoadWord(const char* p)
{
	uint64_t word;
	std::memcpy(&word, p, sizeof(word));
	return word;
}


// High bit set in each byte of `word` that is zero. The lowest one marked is
// always right; bytes above a zero byte may be marked wrongly.
inline uint64_t
ZeroBytes(uint64_t word)
{
	return (word - kOnes) & ~word & kHighs;
}


// High bit set in each byte of `word` that is not zero; exact.
inline uint64_t
NonZeroBytes(uint64_t word)
{
	return (((word & ~kHighs) + ~kHighs) | word) & kHighs;
}


// The first blank followed by "/", or line feed, at or after `p`; `end` if
// the text ends first.
char*
FindKeyEnd(char* p, char* end)
{
	for (; p < end; p += 8) {
		uint64_t word = LoadWord(p);
		uint64_t marks = ZeroBytes(word ^ (kOnes * ' '))
			| ZeroBytes(word ^ (kOnes * '\n'));
		for (; marks != 0; marks &= marks - 1) {
			char* found = p + (__builtin_ctzll(marks) >> 3);
			if (found >= end)
				return end;
			if (*found == '\n' || (*found == ' ' && found[1] == '/'))
				return found;
		}
	}
	return end;
}


// The first line feed at or after `p`; `end` if the text ends first.
char*
FindLineEnd(char* p, char* end)
{
	for (; p < end; p += 8) {
		uint64_t marks = ZeroBytes(LoadWord(p) ^ (kOnes * '\n'));
		if (marks != 0) {
			char* found = p + (__builtin_ctzll(marks) >> 3);
			return found < end ? found : end;
		}
	}
	return end;
}


// strcmp() of two NUL-terminated keys in the buffer.
int
CompareKeys(const char* a, const char* b)
{
	for (;; a += 8, b += 8) {
		uint64_t x = LoadWord(a);
		uint64_t marks = ZeroBytes(x) | NonZeroBytes(x ^ LoadWord(b));
		if (marks != 0) {
			int i = __builtin_ctzll(marks) >> 3;
			return static_cast<unsigned char>(a[i])
				- static_cast<unsigned char>(b[i]);
		}
	}
}

#else

char*
FindKeyEnd(char* p, char* end)
{
	for (; p < end; p++) {
		if (*p == '\n' || (*p == ' ' && p[1] == '/'))
			return p;
	}
	return end;
}


char*
FindLineEnd(char* p, char* end)
{
	char* found = static_cast<char*>(std::memchr(p, '\n', end - p));
	return found != nullptr ? found : end;
}


int
CompareKeys(const char* a, const char* b)
{
	return std::strcmp(a, b);
}

#endif


// Items per entry of the prefix index: one byte per line, and a search
// over the items themselves of three steps.
const size_t kPrefixStride = 8;


// The first eight bytes of a NUL-terminated key, zero-padded, as a number
// whose order is the byte order of the keys (a prefix order: keys in order
// give numbers in order, equal or ascending).
uint64_t
KeyPrefix(const char* key)
{
	uint64_t prefix = 0;
	bool ended = false;
	for (int i = 0; i < 8; i++) {
		ended = ended || key[i] == '\0';
		prefix = (prefix << 8)
			| (ended ? 0 : static_cast<unsigned char>(key[i]));
	}
	return prefix;
}


bool
KeyLess(const dict_item& item, const char* key)
{
	return std::strcmp(item.key, key) < 0;
}


// Galloping searches: probe 1, 2, 4, ... items from one end of the sorted
// range [first, last), then search between the last two probes by
// bisection, so that a boundary k items from that end costs about 2 log k
// comparisons instead of k.
//
// From the front: the first item that does not go before `value`. An item
// goes before it when it is smaller, or also when equal with `equalBefore`.
template<typename Item>
Item*
GallopFromFront(Item* first, Item* last, const dict_item& value,
	bool equalBefore)
{
	auto goesBefore = [&](const dict_item& item) {
		int order = CompareKeys(item.key, value.key);
		return equalBefore ? order <= 0 : order < 0;
	};
	const size_t count = last - first;
	size_t known = 0;	// items [0, known) go before `value`
	size_t step = 1;
	while (known + step <= count && goesBefore(first[known + step - 1])) {
		known += step;
		step *= 2;
	}
	Item* low = first + known;
	Item* high = first + std::min(known + step - 1, count);
	return std::partition_point(low, high, goesBefore);
}


// From the back: the first item of the tail of items that go after `value`.
// An item goes after it when it is greater, or also when equal with
// `equalAfter`.
template<typename Item>
Item*
GallopFromBack(Item* first, Item* last, const dict_item& value,
	bool equalAfter)
{
	auto goesAfter = [&](const dict_item& item) {
		int order = CompareKeys(item.key, value.key);
		return equalAfter ? order >= 0 : order > 0;
	};
	const size_t count = last - first;
	size_t known = 0;	// the last `known` items go after `value`
	size_t step = 1;
	while (known + step <= count
		&& goesAfter(*(last - (known + step)))) {
		known += step;
		step *= 2;
	}
	Item* high = last - known;
	Item* low = last - std::min(known + step - 1, count);
	return std::partition_point(low, high,
		[&](const dict_item& item) { return !goesAfter(item); });
}


// Merges the sorted neighbouring runs [a, b) and [b, c) in place; of equal
// keys, those of the first run come first. Only the shorter run is copied
// aside, and whole stretches of one run move at a time.
void
MergeRuns(dict_item* a, dict_item* b, dict_item* c)
{
	if (b - a <= c - b) {
		std::vector<dict_item> aside(a, b);
		const dict_item* first = aside.data();
		const dict_item* firstEnd = first + aside.size();
		dict_item* second = b;
		dict_item* out = a;
		while (first < firstEnd && second < c) {
			if (CompareKeys(second->key, first->key) < 0) {
				dict_item* stop = GallopFromFront(second, c, *first, false);
				out = std::copy(second, stop, out);
				second = stop;
			} else {
				const dict_item* stop = GallopFromFront(first, firstEnd,
					*second, true);
				out = std::copy(first, stop, out);
				first = stop;
			}
		}
		// what is left of the second run is in place already
		std::copy(first, firstEnd, out);
		return;
	}

	std::vector<dict_item> aside(b, c);
	const dict_item* second = aside.data();
	const dict_item* secondEnd = second + aside.size();
	dict_item* firstEnd = b;
	dict_item* out = c;
	while (a < firstEnd && second < secondEnd) {
		if (CompareKeys(secondEnd[-1].key, firstEnd[-1].key) < 0) {
			dict_item* stop = GallopFromBack(a, firstEnd, secondEnd[-1],
				false);
			out = std::copy_backward(stop, firstEnd, out);
			firstEnd = stop;
		} else {
			const dict_item* stop = GallopFromBack(second, secondEnd,
				firstEnd[-1], true);
			out = std::copy_backward(stop, secondEnd, out);
			secondEnd = stop;
		}
	}
	// what is left of the first run is in place already
	std::copy_backward(second, secondEnd, out);
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
	fPrefixes.clear();
	fPrefixes.shrink_to_fit();
	buffer.reset();
}


void
NuvStaticDictionary::Read(std::istream& in)
{
	if (in.fail())
		return;
	Clear();

	size_t length;
	_ReadBuffer(in, length);
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
	std::pair<size_t, size_t> range = _NarrowSearch(text);
	auto item = std::lower_bound(items.begin() + range.first,
		items.begin() + range.second, text, KeyLess);
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


// Reads the whole stream into a new buffer with kPadding NUL bytes after the
// text, and sets `length` to the number of text bytes.
void
NuvStaticDictionary::_ReadBuffer(std::istream& in, size_t& length)
{
	in.seekg(0, std::ios::end);
	std::streamoff end = in.tellg();
	buffer.reset();
	if (end >= 0 && end <= kMaxMeasuredSize && in.good()) {
		// not value-initialised: every byte up to `length` is overwritten
		buffer.reset(new (std::nothrow) char[static_cast<size_t>(end)
			+ kPadding]);
	}
	if (buffer) {
		in.seekg(0, std::ios::beg);
		length = static_cast<size_t>(end);
		in.read(buffer.get(), static_cast<std::streamsize>(length));
		// a file that shrank meanwhile gives fewer bytes
		length = static_cast<size_t>(in.gcount());
	} else {
		// A stream that cannot seek (a pipe), or whose end is no size:
		// read it in chunks, from its start where it has one.
		in.clear();
		if (end >= 0) {
			in.seekg(0, std::ios::beg);
			in.clear();
		}
		std::string text;
		std::vector<char> chunk(kReadChunkSize);
		while (in.read(chunk.data(), chunk.size()) || in.gcount() > 0)
			text.append(chunk.data(), static_cast<size_t>(in.gcount()));
		length = text.size();
		buffer.reset(new char[length + kPadding]);
		std::memcpy(buffer.get(), text.data(), length);
	}
	// the NUL that ends the text, and zeroes for the word-wise scans
	std::memset(buffer.get() + length, 0, kPadding);
}


// Cuts the text into items and puts them in key order.
//
// Runs of keys in ascending order are noted on the way, comparing each key
// with the one before it while both are still in the cache.
void
NuvStaticDictionary::_SplitLines(size_t length)
{
	char* const start = buffer.get();
	char* const end = start + length;

	// A dictionary line is some 24 bytes; the vector grows if lines are
	// shorter, and the merge below leaves it at its exact size.
	items.reserve(length / kTypicalLineLength + 16);

	std::vector<size_t> runStarts;
	runStarts.push_back(0);
	const char* previousKey = nullptr;

	for (char* line = start; line < end; ) {
		if (*line == ';') {
			line = FindLineEnd(line, end) + 1;
			continue;
		}

		char* keyEnd = FindKeyEnd(line, end);
		if (keyEnd == end || *keyEnd == '\n') {
			// no blank-slash: not an item
			*keyEnd = '\0';
			line = keyEnd + 1;
			continue;
		}
		*keyEnd = '\0';
		char* entry = keyEnd + 2;
		char* lineEnd = FindLineEnd(entry, end);
		*lineEnd = '\0';

		if (previousKey != nullptr && CompareKeys(previousKey, line) > 0)
			runStarts.push_back(items.size());
		items.emplace_back(line, entry);
		previousKey = line;
		line = lineEnd + 1;
	}

	_SortItems(runStarts);
	_IndexPrefixes();
}


void
NuvStaticDictionary::_SortItems(const std::vector<size_t>& runStarts)
{
	if (runStarts.size() <= 1)
		return;
	if (runStarts.size() > kMaxMergedRuns) {
		std::stable_sort(items.begin(), items.end());
		return;
	}

	// Merge neighbouring runs pairwise until one is left.
	std::vector<size_t> bounds(runStarts);
	bounds.push_back(items.size());
	while (bounds.size() > 2) {
		std::vector<size_t> merged;
		merged.push_back(0);
		size_t i = 0;
		for (; i + 2 < bounds.size(); i += 2) {
			MergeRuns(items.data() + bounds[i], items.data() + bounds[i + 1],
				items.data() + bounds[i + 2]);
			merged.push_back(bounds[i + 2]);
		}
		if (i + 1 < bounds.size())
			merged.push_back(bounds[i + 1]);
		bounds.swap(merged);
	}
}


void
NuvStaticDictionary::_IndexPrefixes()
{
	fPrefixes.reserve(items.size() / kPrefixStride + 1);
	for (size_t i = 0; i < items.size(); i += kPrefixStride)
		fPrefixes.push_back(KeyPrefix(items[i].key));
}


// The range of items that holds the first item not less than `key`, or its
// end when there is none.
std::pair<size_t, size_t>
NuvStaticDictionary::_NarrowSearch(const char* key) const
{
	uint64_t prefix = KeyPrefix(key);
	// Sampled items before `first` have smaller prefixes, so smaller keys;
	// those from `last` on have greater prefixes, so greater keys.
	size_t first = std::lower_bound(fPrefixes.begin(), fPrefixes.end(),
		prefix) - fPrefixes.begin();
	// Few samples share a prefix: look at the next ones before searching.
	size_t last = first;
	while (last < fPrefixes.size() && last - first < 4
		&& fPrefixes[last] == prefix)
		last++;
	if (last < fPrefixes.size() && fPrefixes[last] == prefix) {
		last = std::upper_bound(fPrefixes.begin() + last, fPrefixes.end(),
			prefix) - fPrefixes.begin();
	}
	size_t low = first == 0 ? 0 : (first - 1) * kPrefixStride + 1;
	size_t high = std::min(last * kPrefixStride, items.size());
	return std::make_pair(low, high);
}
