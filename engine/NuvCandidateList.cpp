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


NuvCandidateList::NuvCandidateList(const std::vector<nuv_candidate>& records)
{
	if (records.empty())
		return;
	fQuery = records.front();
	fQuery.candidate.clear();
	for (const nuv_candidate& record : records)
		Add(record.candidate);
}


bool
NuvCandidateList::Add(std::string_view word)
{
	if (fEnds.size() >= kMaxWords)
		return false;
	if ((fEnds.size() + 1) * 2 > fSlots.size())
		_Grow();

	const size_t mask = fSlots.size() - 1;
	size_t slot = _Hash(word) & mask;
	for (; fSlots[slot] != 0; slot = (slot + 1) & mask) {
		if (WordAt(fSlots[slot] - 1) == word)
			return false;
	}
	fWords.append(word.data(), word.size());
	fEnds.push_back(fWords.size());
	fSlots[slot] = static_cast<uint32_t>(fEnds.size());
	return true;
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
	return std::hash<std::string_view>()(word);
}


void
NuvCandidateList::_Grow()
{
	fSlots.assign(fSlots.empty() ? kInitialSlots : fSlots.size() * 2, 0);
	const size_t mask = fSlots.size() - 1;
	for (size_t i = 0; i < fEnds.size(); i++) {
		size_t slot = _Hash(WordAt(i)) & mask;
		while (fSlots[slot] != 0)
			slot = (slot + 1) & mask;
		fSlots[slot] = static_cast<uint32_t>(i + 1);
	}
}
