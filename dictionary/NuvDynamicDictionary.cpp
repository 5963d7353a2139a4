#include "NuvDynamicDictionary.h"

#include <iterator>
#include <utility>


namespace {

const char* const kOkuriAriHeader = ";; okuri-ari entries.\n";
const char* const kOkuriNasiHeader = ";; okuri-nasi entries.\n";


// Whether the line written for `key` reads back as the same key. The loader
// cuts lines at line feeds, ends the key at the first blank-slash, takes a
// line that begins with ";" for a comment, drops an empty reading, and
// splits the key text into its kana and its ASCII bytes (so a reading that
// mixes both, or an ASCII reading with an okuri, comes back as another key,
// and a NUL ends the key).
bool
IsWritable(const NuvKey& key)
{
	const std::string& reading = key.reading;
	if (reading.empty() || reading[0] == ';')
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
	return reading.find(" /") == std::string::npos
		&& key.okuri.find(" /") == std::string::npos;
}

}	// namespace


NuvDynamicDictionary::NuvDynamicDictionary()
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
	NuvStaticDictionary::Read(in);

	// The items come in file order, and each section of a user dictionary
	// file is written in the map's order for its kind of key: inserting next
	// to the previous key of the same kind spares most of the map's
	// searches. A hand-edited file in another order still loads, only with
	// more searching.
	auto okuriAriHint = entries.end();
	auto okuriNasiHint = entries.end();
	for (const dict_item& item : items) {
		NuvKey key(item.key);
		if (!key)
			continue;
		NuvEntry entry(item.entry);
		if (!entry)
			continue;
		auto& hint = key.okuri.empty() ? okuriNasiHint : okuriAriHint;
		size_t count = entries.size();
		auto found = entries.try_emplace(hint, std::move(key),
			std::move(entry));
		if (entries.size() == count) {
			// try_emplace took nothing from `entry`
			found->second.Merge(entry);
		} else {
			// merging into a new, empty entry keeps each word once
			found->second.RemoveDuplicates();
		}
		hint = std::next(found);
	}
	Clear();
}


void
NuvDynamicDictionary::Write(std::ostream& out)
{
	out << kOkuriAriHeader;
	bool nasiHeaderWritten = false;
	for (const auto& [key, entry] : entries) {
		if (!nasiHeaderWritten && key.okuri.empty()) {
			out << kOkuriNasiHeader;
			nasiHeaderWritten = true;
		}
		if (!IsWritable(key))
			continue;
		out << key << ' ' << entry << '\n';
	}
	if (!nasiHeaderWritten)
		out << kOkuriNasiHeader;
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
}


void
NuvDynamicDictionary::RemoveCandidate(const nuv_candidate& c)
{
	auto found = entries.find(NuvKey(c));
	if (found == entries.end())
		return;
	found->second.Remove(c);
	if (!found->second)
		entries.erase(found);
}
