#include "NuvCandidateList.h"

#include <functional>


namespace {

const size_t kInitialSlots = 16;

// Word numbers are kept in 32 bits: words beyond this many are dropped.
const size_t kMaxWords = UINT32_MAX - 1;

}	// namespace


NuvCandidateList::NuvCandidateList()
{
}


NuvCandidateList::NuvCandidateList(const nuv_candidate& query)
	:
	fQuery(query)
{
	fQuery.candidate.clear();
}


bool
NuvCandidateList::Add(std::string_view word)
{
	if (fEnds.size() >= kMaxWords)
		return false;
	if ((fEnds.size() + 1) * 2 > fSlots.size())
		_Rehash(fSlots.empty() ? kInitialSlots : fSlots.size() * 2);

	const size_t hash = _Hash(word);
	const uint32_t tag = static_cast<uint32_t>(hash >> 32);
	const size_t mask = fSlots.size() - 1;
	size_t i = hash & mask;
	for (; fSlots[i].word != 0; i = (i + 1) & mask) {
		if (fSlots[i].tag == tag && WordAt(fSlots[i].word - 1) == word)
			return false;
	}
	fWords.append(word.data(), word.size());
	fEnds.push_back(fWords.size());
	fSlots[i] = slot{static_cast<uint32_t>(fEnds.size()), tag};
	return true;
}


void
NuvCandidateList::Reserve(size_t words, size_t bytes)
{
	fWords.reserve(fWords.size() + bytes);
	fEnds.reserve(fEnds.size() + words);
	size_t size = fSlots.empty() ? kInitialSlots : fSlots.size();
	while (size < (fEnds.size() + words) * 2)
		size *= 2;
	if (size > fSlots.size())
		_Rehash(size);
}


std::string_view
NuvCandidateList::WordAt(size_t index) const
{
	const size_t start = index == 0 ? 0 : fEnds[index - 1];
	return std::string_view(fWords.data() + start, fEnds[index] - start);
}


nuv_candidate
NuvCandidateList::ItemAt(size_t index) const
{
	nuv_candidate record = fQuery;
	record.candidate.assign(WordAt(index));
	return record;
}


std::vector<nuv_candidate>
NuvCandidateList::Items() const
{
	std::vector<nuv_candidate> records;
	records.reserve(CountItems());
	for (size_t i = 0; i < CountItems(); i++)
		records.push_back(ItemAt(i));
	return records;
}


size_t
NuvCandidateList::_Hash(std::string_view word) const
{
	// 64 bits: the low ones index, the high ones tag
	return static_cast<uint64_t>(std::hash<std::string_view>()(word));
}


void
NuvCandidateList::_Rehash(size_t size)
{
	std::vector<slot> old(size, slot{0, 0});
	old.swap(fSlots);
	const size_t mask = size - 1;
	for (const slot& entry : old) {
		if (entry.word == 0)
			continue;
		// the tag holds the hash's high bits only: hash the word again
		size_t i = _Hash(WordAt(entry.word - 1)) & mask;
		while (fSlots[i].word != 0)
			i = (i + 1) & mask;
		fSlots[i] = entry;
	}
}
