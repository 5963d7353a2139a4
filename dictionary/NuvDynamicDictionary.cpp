#include "NuvDynamicDictionary.h"

#include <utility>


namespace {

const char* const kOkuriAriHeader = ";; okuri-ari entries.\n";
const char* const kOkuriNasiHeader = ";; okuri-nasi entries.\n";


// Whether the line written for `key` reads back as the same key. The loader
// cuts lines at line feeds, ends the key at the first blank-slash, takes a
// line that begins with ";" for a comment, drops an empty reading and splits
// the key text into kana and ASCII parts (so a reading that mixes both, or
// holds a NUL, comes back as another key).
bool
IsWritable(const NuvKey& key)
{
	if (key.reading.empty() || key.reading[0] == ';')
		return false;
	std::string text = key.reading + key.okuri;
	if (text.find('\n') != std::string::npos
		|| text.find(" /") != std::string::npos)
		return false;
	return NuvKey(text.c_str()) == key;
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

	for (const dict_item& item : items) {
		NuvKey key(item.key);
		if (!key)
			continue;
		NuvEntry entry(item.entry);
		if (!entry)
			continue;
		auto found = entries.find(key);
		if (found != entries.end()) {
			found->second.Merge(entry);
			continue;
		}
		// merging into a new, empty entry keeps each word once
		entry.RemoveDuplicates();
		entries.emplace(std::move(key), std::move(entry));
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
