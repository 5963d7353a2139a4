#include "NuvStaticDictionary.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include "NuvUtils.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif


namespace {

// A file whose lines fall into at most this many runs in key order (the
// usual dictionary has two: its okuri-ari and okuri-nasi sections, each
// sorted) keeps its items in file order and is searched run by run; any
// other file is sorted, stably, into one run. Either way lines with equal
// keys are merged in file order, so that a look-up gives the same entry
// whichever way the file was ordered.
const size_t kMaxRuns = 16;

// Chunk size for a stream whose length cannot be measured by seeking.
const size_t kReadChunkSize = 64 * 1024;

// Bytes per line of a usual dictionary, to reserve the items.
const size_t kTypicalLineLength = 24;

// The largest end of a stream taken for its size in one allocation. A
// directory reports the largest file offset; a larger stream is read in
// chunks, so that no allocation asks for more than the stream can give.
const std::streamoff kMaxMeasuredSize = std::streamoff(1) << 32;

// NUL bytes after the text in the buffer: its terminator, and room for the
// scans below, which read up to 65 bytes from a position before the end.
const size_t kPadding = 72;

typedef NuvStaticDictionary::dict_item dict_item;


// Byte order of NUL-terminated keys in the buffer, like strcmp(), a word
// at a time where words can be loaded.
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


// The first eight bytes of a key of at most `length` bytes, or up to its
// first NUL, zero after its end, as a number whose order is the byte order
// of the keys (a prefix order: keys in order give numbers in order, equal
// or ascending). Reads eight bytes, which the buffer's padding always
// allows.
inline uint64_t
KeyPrefix(const char* key, size_t length)
{
	uint64_t word = LoadWord(key);
	if (length < 8)
		word &= ~(~uint64_t(0) << (8 * length));
	uint64_t zeros = ZeroBytes(word);
	if (zeros != 0) {
		// the byte after the first NUL and all above it become zero
		word &= (zeros & (~zeros + 1)) - 1;
	}
	return __builtin_bswap64(word);
}


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

uint64_t
KeyPrefix(const char* key, size_t length)
{
	uint64_t prefix = 0;
	bool ended = false;
	for (size_t i = 0; i < 8; i++) {
		ended = ended || i >= length || key[i] == '\0';
		prefix = (prefix << 8)
			| (ended ? 0 : static_cast<unsigned char>(key[i]));
	}
	return prefix;
}


int
CompareKeys(const char* a, const char* b)
{
	return std::strcmp(a, b);
}

#endif


// The bytes the loader looks for, sixty-four at a time: bit i of
// `lineFeeds` marks a line feed at p[i], bit i of `separators` a blank at
// p[i] followed by "/" at p[i + 1]. Reads p[0] to p[64].
struct block_marks {
	uint64_t	lineFeeds;
	uint64_t	separators;
};

const size_t kBlockSize = 64;

#if defined(__SSE2__)

inline block_marks
MarkBlock(const char* p)
{
	block_marks marks = {0, 0};
	for (int i = 0; i < 4; i++) {
		const char* part = p + 16 * i;
		__m128i bytes = _mm_loadu_si128(
			reinterpret_cast<const __m128i*>(part));
		__m128i next = _mm_loadu_si128(
			reinterpret_cast<const __m128i*>(part + 1));
		uint64_t lineFeeds = static_cast<uint32_t>(_mm_movemask_epi8(
			_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n'))));
		uint64_t separators = static_cast<uint32_t>(_mm_movemask_epi8(
			_mm_and_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(' ')),
				_mm_cmpeq_epi8(next, _mm_set1_epi8('/')))));
		marks.lineFeeds |= lineFeeds << (16 * i);
		marks.separators |= separators << (16 * i);
	}
	return marks;
}

#else

inline block_marks
MarkBlock(const char* p)
{
	block_marks marks = {0, 0};
	for (size_t i = 0; i < kBlockSize; i++) {
		marks.lineFeeds |= uint64_t(p[i] == '\n') << i;
		marks.separators |= uint64_t(p[i] == ' ' && p[i + 1] == '/') << i;
	}
	return marks;
}

#endif


// Items per entry of the prefix index: one byte per line, and a search
// over the items themselves of three steps.
const size_t kPrefixStride = 8;


bool
KeyLess(const dict_item& item, const char* key)
{
	return std::strcmp(item.key, key) < 0;
}


// Walks the fields of an entry text as NuvEntry's parser reads them,
// without copying: `visit(field, inBlock)` for every word, inBlock true
// for a word inside a block. With `okurigana`, only the words of blocks
// for that okurigana are visited as inBlock, other blocks' words not at
// all. False, after visiting some words, when the text is malformed (an
// empty field outside a block, a block never closed): the parser then
// gives an empty entry.
template<typename Visit>
bool
WalkEntry(const char* text, Visit visit,
	const std::string* okurigana = nullptr)
{
	const char* cursor = text;
	while (const char* slash = std::strchr(cursor, '/')) {
		std::string_view field(cursor, slash - cursor);
		cursor = slash + 1;
		if (field.empty())
			return false;
		if (field[0] != '[') {
			if (okurigana == nullptr)
				visit(field, false);
			continue;
		}

		const std::string_view opener = field.substr(1);
		const bool wanted = okurigana == nullptr || opener == *okurigana;
		bool closed = false;
		while (const char* end = std::strchr(cursor, '/')) {
			field = std::string_view(cursor, end - cursor);
			cursor = end + 1;
			if (field == "]") {
				closed = true;
				break;
			}
			if (wanted)
				visit(field, true);
		}
		if (!closed)
			return false;
	}
	return true;
}


// Adds a field's word: a "(concat " field decoded, any other as it stands.
void
AddField(std::string_view field, NuvCandidateList& out)
{
	if (!field.empty() && field[0] == '(')
		out.Add(NuvUtils::DecodeElisp(std::string(field)));
	else
		out.Add(field);
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
	fRunStarts.clear();
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
	std::vector<const char*> entries;
	_FindLines(query.reading + query.okuri, entries);

	// The result is what merging every matching line, in file order, into
	// an empty entry gives. For the first line that is the line without
	// repeated words.
	for (size_t i = 0; i < entries.size(); i++) {
		if (i > 0) {
			result.Merge(NuvEntry(entries[i]));
			continue;
		}
		result = NuvEntry(entries[i]);
		result.RemoveDuplicates();
	}
	return result;
}


void
NuvStaticDictionary::FindCandidates(const nuv_candidate& query,
	const NuvEntry& preferred, NuvCandidateList& out) const
{
	std::vector<const char*> entries;
	_FindLines(query.reading + query.okuri, entries);
	// A malformed line gives an empty entry: it adds nothing at all, not
	// even the words before its fault, so each line is checked whole first.
	std::vector<const char*> wellFormed;
	size_t words = preferred.stems.size();
	size_t bytes = 0;
	for (const char* entry : entries) {
		size_t lineWords = 0;
		size_t lineBytes = 0;
		if (WalkEntry(entry, [&](std::string_view word, bool) {
				lineWords++;
				lineBytes += word.size();
			})) {
			wellFormed.push_back(entry);
			words += lineWords;
			bytes += lineBytes;
		}
	}
	// One allocation for a huge list rather than a rehash at every
	// doubling; repeated words only leave room unused.
	out.Reserve(words, bytes);

	const std::string& okurigana = query.okurigana;
	const auto block = preferred.okuri_blocks.find(okurigana);
	if (block != preferred.okuri_blocks.end()) {
		for (const std::string& word : block->second)
			out.Add(word);
	}
	for (const char* entry : wellFormed) {
		WalkEntry(entry, [&](std::string_view field, bool inBlockOf) {
			if (inBlockOf)
				AddField(field, out);
		}, &okurigana);
	}
	for (const std::string& word : preferred.stems)
		out.Add(word);
	for (const char* entry : wellFormed) {
		WalkEntry(entry, [&](std::string_view field, bool inBlock) {
			if (!inBlock)
				AddField(field, out);
		});
	}
}


bool
NuvStaticDictionary::_FindLines(const std::string& key,
	std::vector<const char*>& entries) const
{
	// no key text holds a NUL: it ends the key in the buffer
	if (key.find('\0') != std::string::npos)
		return false;

	// The runs are in file order and so are the matches within a run.
	const char* text = key.c_str();
	uint64_t prefix = 0;
	for (size_t i = 0; i < 8; i++) {
		prefix = (prefix << 8)
			| (i < key.size() ? static_cast<unsigned char>(key[i]) : 0);
	}
	for (size_t run = 0; run + 1 < fRunStarts.size(); run++) {
		const size_t runEnd = fRunStarts[run + 1];
		std::pair<size_t, size_t> range = _NarrowSearch(prefix, run);
		size_t i = std::lower_bound(items.begin() + range.first,
			items.begin() + range.second, text, KeyLess) - items.begin();
		for (; i < runEnd && std::strcmp(items[i].key, text) == 0; i++)
			entries.push_back(items[i].entry);
	}
	return true;
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


// Cuts the text into items in file order, noting where the keys stop
// ascending and sampling the prefix index on the way, while each key is
// still in the cache.
//
// One pass over the text marks, 64 bytes at a time, the line feeds and the
// blank-slashes; each line then takes its first blank-slash and its line
// feed from the marks, so that the loop branches about once per line and
// once per block rather than once per byte looked for.
void
NuvStaticDictionary::_SplitLines(size_t length)
{
	char* const start = buffer.get();
	char* const end = start + length;

	// A dictionary line is some 24 bytes; the vector grows if lines are
	// shorter.
	items.reserve(length / kTypicalLineLength + 16);
	fPrefixes.reserve(items.capacity() / kPrefixStride + 1);
	fRunStarts.push_back(0);

	const char* previousKey = nullptr;
	uint64_t previousPrefix = 0;
	// The key's prefix is taken before its end becomes NUL: a load that
	// overlaps a byte just stored waits for the store.
	uint64_t prefix = 0;
	auto cutKey = [&](char* key, char* separator) {
		prefix = KeyPrefix(key, separator - key);
		*separator = '\0';
	};
	auto addItem = [&](char* key, char* entry) {
		// keys whose first eight bytes are equal and hold no NUL are
		// compared in full
		if (previousKey != nullptr && (previousPrefix > prefix
				|| (previousPrefix == prefix && (prefix & 0xFF) != 0
					&& CompareKeys(previousKey + 8, key + 8) > 0)))
			fRunStarts.push_back(items.size());
		if (items.size() % kPrefixStride == 0)
			fPrefixes.push_back(prefix);
		items.emplace_back(key, entry);
		previousKey = key;
		previousPrefix = prefix;
	};

	// A line feed in the padding ends a last line that has none, so that
	// it is cut like the others; cutting makes it the text's NUL again.
	*end = '\n';

	// The line being cut, from `line` on, and its blank-slash once found;
	// `wantKey` while neither is found nor the line a comment.
	char* line = start;
	char* keyEnd = nullptr;
	bool wantKey = *line != ';';
	for (char* block = start; block <= end; block += kBlockSize) {
		const block_marks marks = MarkBlock(block);
		uint64_t from = ~uint64_t(0);	// the bytes from `line` on
		for (;;) {
			const uint64_t lineFeeds = marks.lineFeeds & from;
			if (lineFeeds == 0) {
				// the line goes on in the next block
				const uint64_t separators = marks.separators & from;
				if (wantKey && separators != 0) {
					keyEnd = block + __builtin_ctzll(separators);
					cutKey(line, keyEnd);
					wantKey = false;
				}
				break;
			}
			const int lineFeed = __builtin_ctzll(lineFeeds);
			// the separators before the line feed
			const uint64_t separators = marks.separators & from
				& (lineFeeds ^ (lineFeeds - 1));
			if (wantKey && separators != 0) {
				keyEnd = block + __builtin_ctzll(separators);
				cutKey(line, keyEnd);
			}
			block[lineFeed] = '\0';
			if (keyEnd != nullptr)
				addItem(line, keyEnd + 2);
			line = block + lineFeed + 1;
			keyEnd = nullptr;
			wantKey = *line != ';';
			from = lineFeed == 63 ? 0 : ~uint64_t(0) << (lineFeed + 1);
		}
	}
	_SortItems();
}


// Sorts the items into one run when there are too many runs to search one
// by one.
void
NuvStaticDictionary::_SortItems()
{
	fRunStarts.push_back(items.size());
	if (fRunStarts.size() <= kMaxRuns + 1)
		return;

	std::stable_sort(items.begin(), items.end());
	fRunStarts.clear();
	fRunStarts.push_back(0);
	fRunStarts.push_back(items.size());
	fPrefixes.clear();
	for (size_t i = 0; i < items.size(); i += kPrefixStride)
		fPrefixes.push_back(KeyPrefix(items[i].key, 8));
}


// The range of items of run `run` that holds the first item of the run not
// less than a key whose KeyPrefix() is `prefix`, or the run's end when
// there is none.
//
// The samples are the items whose index is a multiple of kPrefixStride;
// within a run their prefixes ascend.
std::pair<size_t, size_t>
NuvStaticDictionary::_NarrowSearch(uint64_t prefix, size_t run) const
{
	const size_t runStart = fRunStarts[run];
	const size_t runEnd = fRunStarts[run + 1];
	auto samples = fPrefixes.begin()
		+ (runStart + kPrefixStride - 1) / kPrefixStride;
	auto samplesEnd = fPrefixes.begin()
		+ (runEnd + kPrefixStride - 1) / kPrefixStride;
	// Sampled items before `first` have smaller prefixes, so smaller keys;
	// those from `last` on have greater prefixes, so greater keys.
	auto first = std::lower_bound(samples, samplesEnd, prefix);
	// Few samples share a prefix: look at the next ones before searching.
	auto last = first;
	while (last < samplesEnd && last - first < 4 && *last == prefix)
		++last;
	if (last < samplesEnd && *last == prefix)
		last = std::upper_bound(last, samplesEnd, prefix);
	size_t low = first == samples ? runStart
		: (first - fPrefixes.begin() - 1) * kPrefixStride + 1;
	size_t high = last == samplesEnd ? runEnd
		: (last - fPrefixes.begin()) * kPrefixStride;
	return std::make_pair(low, high);
}
