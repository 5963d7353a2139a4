#include "NuvEntry.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <unordered_set>

#include "NuvUtils.h"


namespace {

// Lists up to this length are searched linearly; longer ones (a large
// dictionary's common readings can hold hundreds of words) use a hash set
// so that merging stays linear.
const size_t kLinearSearchLimit = 32;

// The empty word as a field: an empty field would empty the whole entry
// when the line is read back, so the empty word takes the "(concat " form.
const char* const kEmptyWordField = "(concat \"\")";


std::string
DecodeField(std::string&& field)
{
	// Only a field that opens with "(concat " is decoded; any other field is
	// its own text, so the common case skips the copy that decoding makes.
	if (!field.empty() && field[0] == '(')
		return NuvUtils::DecodeElisp(field);
	return std::move(field);
}


void
WriteWord(std::ostream& out, const std::string& word)
{
	if (word.empty())
		out << kEmptyWordField;
	else
		out << NuvUtils::EncodeElisp(word);
	out << '/';
}


void
RemoveDuplicateStems(std::list<std::string>& stems)
{
	if (stems.size() <= kLinearSearchLimit) {
		for (auto it = stems.begin(); it != stems.end(); ) {
			if (std::find(stems.begin(), it, *it) != it)
				it = stems.erase(it);
			else
				++it;
		}
		return;
	}
	std::unordered_set<std::string_view> seen;
	seen.reserve(stems.size());
	for (auto it = stems.begin(); it != stems.end(); ) {
		if (!seen.insert(*it).second)
			it = stems.erase(it);
		else
			++it;
	}
}

}	// namespace


// #pragma mark - list functions


void
insert_stem_to_stems(const std::string& stem, std::list<std::string>& stems)
{
	auto found = std::find(stems.begin(), stems.end(), stem);
	if (found != stems.end()) {
		// splice keeps the node, so no string is copied
		stems.splice(stems.begin(), stems, found);
		return;
	}
	stems.push_front(stem);
}


void
remove_stem_from_stems(const std::string& stem, std::list<std::string>& stems)
{
	auto found = std::find(stems.begin(), stems.end(), stem);
	if (found != stems.end())
		stems.erase(found);
}


void
merge_stems(std::list<std::string>& into, const std::list<std::string>& from)
{
	if (from.empty())
		return;
	if (into.size() + from.size() <= kLinearSearchLimit) {
		// `from` may be `into` itself: every word is then found, and the
		// list does not grow while it is walked.
		for (const std::string& word : from) {
			if (std::find(into.begin(), into.end(), word) == into.end())
				into.push_back(word);
		}
		return;
	}
	std::unordered_set<std::string_view> seen;
	seen.reserve(into.size() + from.size());
	for (const std::string& word : into)
		seen.insert(word);
	for (const std::string& word : from) {
		if (seen.insert(word).second)
			into.push_back(word);
	}
}


bool
read_till_slash(const char*& cursor, std::string& field)
{
	const char* slash = std::strchr(cursor, '/');
	if (slash == nullptr)
		return false;
	field.assign(cursor, slash);
	cursor = slash + 1;
	return true;
}


// #pragma mark - NuvEntry


NuvEntry::NuvEntry(const char* text)
{
	const char* cursor = text;
	std::string field;
	while (read_till_slash(cursor, field)) {
		if (field.empty()) {
			// two slashes in a row: the line is not trusted at all
			stems.clear();
			okuri_blocks.clear();
			return;
		}
		if (field[0] != '[') {
			stems.push_back(DecodeField(std::move(field)));
			continue;
		}

		// the okurigana is in the candidates' notation, so that one holding
		// a slash or a line feed reads back as written
		std::string okurigana = DecodeField(field.substr(1));
		std::list<std::string>* block = nullptr;
		bool closed = false;
		while (read_till_slash(cursor, field)) {
			if (field == "]") {
				closed = true;
				break;
			}
			// the block exists only once it has a word
			if (block == nullptr)
				block = &okuri_blocks[okurigana];
			block->push_back(DecodeField(std::move(field)));
		}
		if (!closed) {
			stems.clear();
			okuri_blocks.clear();
			return;
		}
	}
}


void
NuvEntry::Merge(const NuvEntry& other)
{
	merge_stems(stems, other.stems);
	for (const auto& [okurigana, words] : other.okuri_blocks)
		merge_stems(okuri_blocks[okurigana], words);
}


void
NuvEntry::Insert(const nuv_candidate& c)
{
	insert_stem_to_stems(c.candidate, stems);
	if (!c.okurigana.empty())
		insert_stem_to_stems(c.candidate, okuri_blocks[c.okurigana]);
}


void
NuvEntry::Remove(const nuv_candidate& c)
{
	auto block = okuri_blocks.find(c.okurigana);
	if (block != okuri_blocks.end()) {
		remove_stem_from_stems(c.candidate, block->second);
		if (block->second.empty())
			okuri_blocks.erase(block);
	}

	// the main list keeps a word that another okurigana still uses
	for (const auto& [okurigana, words] : okuri_blocks) {
		if (std::find(words.begin(), words.end(), c.candidate) != words.end())
			return;
	}
	remove_stem_from_stems(c.candidate, stems);
}


void
NuvEntry::Fill(const nuv_candidate& query,
	std::vector<nuv_candidate>& out) const
{
	std::list<std::string> words;
	auto block = okuri_blocks.find(query.okurigana);
	if (block != okuri_blocks.end())
		words = block->second;
	merge_stems(words, stems);

	out.reserve(out.size() + words.size());
	for (std::string& word : words) {
		out.push_back(query);
		out.back().candidate = std::move(word);
	}
}


void
NuvEntry::Fill(const nuv_candidate& query, NuvCandidateList& out) const
{
	auto block = okuri_blocks.find(query.okurigana);
	if (block != okuri_blocks.end()) {
		for (const std::string& word : block->second)
			out.Add(word);
	}
	for (const std::string& word : stems)
		out.Add(word);
}


void
NuvEntry::RemoveDuplicates()
{
	RemoveDuplicateStems(stems);
	for (auto& [okurigana, words] : okuri_blocks)
		RemoveDuplicateStems(words);
}


std::ostream&
operator<<(std::ostream& out, const NuvEntry& entry)
{
	out << '/';
	for (const std::string& word : entry.stems)
		WriteWord(out, word);
	for (const auto& [okurigana, words] : entry.okuri_blocks) {
		out << '[' << NuvUtils::EncodeElisp(okurigana) << '/';
		for (const std::string& word : words)
			WriteWord(out, word);
		out << "]/";
	}
	return out;
}
