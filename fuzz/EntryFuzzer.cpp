// Fuzzes the entry text of a dictionary line and NuvEntry's learning
// operations against a plain model made of lists.
//
// Input: the entry text (after a line's blank-slash) up to the first NUL;
// then operations, each a byte and fields (FuzzInput.h): 0 Insert(candidate,
// okurigana), 1 Remove(candidate, okurigana), 2 Merge(entry text),
// 3 Fill(okurigana), 4 RemoveDuplicates().
//
// Checked after the parse and every operation: Check() (long lists take the
// implementation's hashing path, never the model's).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <list>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "NuvEntry.h"
#include "NuvUtils.h"


namespace {

typedef std::list<std::string> Words;

struct ModelEntry {
	Words							stems;
	std::map<std::string, Words>	blocks;
};


// The line format read the plain way: fields end at "/", an empty field
// outside a block or an unclosed block empties the entry, "[" opens a block
// that "]" closes, and text after the last slash is ignored.
ModelEntry
ModelParse(const std::string& text)
{
	// A field is complete only when a slash ends it.
	std::istringstream in(text);
	auto next = [&in](std::string& field) {
		return std::getline(in, field, '/') && !in.eof();
	};
	ModelEntry entry;
	std::string field;
	while (next(field)) {
		if (field.empty())
			return ModelEntry();
		if (field[0] != '[') {
			entry.stems.push_back(NuvUtils::DecodeElisp(field));
			continue;
		}
		// the okurigana is in the candidates' notation too
		const std::string okurigana = NuvUtils::DecodeElisp(field.substr(1));
		while (next(field) && field != "]")
			entry.blocks[okurigana].push_back(NuvUtils::DecodeElisp(field));
		// no slash ended a "]" field
		if (in.eof())
			return ModelEntry();
	}
	return entry;
}


void
RemoveFirst(Words& words, const std::string& word)
{
	auto found = std::find(words.begin(), words.end(), word);
	if (found != words.end())
		words.erase(found);
}


// Appends the words of `from` that `into` lacks, in their order.
void
MergeWords(Words& into, const Words& from)
{
	for (const std::string& word : from) {
		if (std::find(into.begin(), into.end(), word) == into.end())
			into.push_back(word);
	}
}


void
RemoveDuplicates(Words& words)
{
	Words unique;
	MergeWords(unique, words);
	words.swap(unique);
}


// The entry equals the model, and writing and reading back changes nothing:
// the words come back as they were, in their order, duplicates and empty
// words included.
void
Check(const NuvEntry& entry, const ModelEntry& model)
{
	NUV_FUZZ_CHECK(entry.stems == model.stems);
	NUV_FUZZ_CHECK(entry.okuri_blocks == model.blocks);
	std::ostringstream out;
	out << entry;
	const std::string written = out.str();
	NUV_FUZZ_CHECK(written[0] == '/');
	const NuvEntry reread(written.c_str() + 1);
	NUV_FUZZ_CHECK(reread.stems == entry.stems);
	NUV_FUZZ_CHECK(reread.okuri_blocks == entry.okuri_blocks);
}

}	// namespace


extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	nuv_fuzz::ByteReader ops(data, size);
	const std::string text = ops.SplitAt(std::string(1, '\0'));
	NuvEntry entry(text.c_str());
	ModelEntry model = ModelParse(text);
	Check(entry, model);

	while (!ops.AtEnd()) {
		const uint8_t op = ops.Byte() % 5;
		nuv_candidate c;
		if (op == 0 || op == 1 || op == 3) {
			// Fill() takes the reading, the others the candidate.
			(op == 3 ? c.reading : c.candidate) = ops.Field();
			c.okurigana = ops.Field();
		}
		auto block = model.blocks.find(c.okurigana);
		switch (op) {
			case 0:
				entry.Insert(c);
				RemoveFirst(model.stems, c.candidate);
				model.stems.push_front(c.candidate);
				if (!c.okurigana.empty()) {
					RemoveFirst(model.blocks[c.okurigana], c.candidate);
					model.blocks[c.okurigana].push_front(c.candidate);
				}
				break;
			case 1:
			{
				// A word leaves the main list only when no block holds it.
				entry.Remove(c);
				if (block != model.blocks.end()) {
					RemoveFirst(block->second, c.candidate);
					if (block->second.empty())
						model.blocks.erase(block);
				}
				if (std::none_of(model.blocks.begin(), model.blocks.end(),
						[&c](const auto& other) {
							return std::count(other.second.begin(),
								other.second.end(), c.candidate) != 0;
						}))
					RemoveFirst(model.stems, c.candidate);
				break;
			}
			case 2:
			{
				const std::string other = ops.Field(255);
				entry.Merge(NuvEntry(other.c_str()));
				// the entry text ends at a NUL, as a C string
				const ModelEntry parsed = ModelParse(other.c_str());
				MergeWords(model.stems, parsed.stems);
				for (const auto& [okurigana, words] : parsed.blocks)
					MergeWords(model.blocks[okurigana], words);
				break;
			}
			case 3:
			{
				// The okurigana's block first, then the main list's other
				// words, each after the query that `out` already holds.
				std::vector<nuv_candidate> out(1);
				entry.Fill(c, out);
				Words words;
				if (block != model.blocks.end())
					words = block->second;
				MergeWords(words, model.stems);
				std::vector<nuv_candidate> expected(1);
				for (const std::string& word : words) {
					expected.push_back(c);
					expected.back().candidate = word;
				}
				NUV_FUZZ_CHECK(out == expected);
				break;
			}
			case 4:
				entry.RemoveDuplicates();
				RemoveDuplicates(model.stems);
				for (auto& other : model.blocks)
					RemoveDuplicates(other.second);
				break;
		}
		Check(entry, model);
	}
	return 0;
}
