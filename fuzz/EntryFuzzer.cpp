// Fuzzes the entry text of a dictionary line and NuvEntry's learning
// operations against a plain model made of vectors.
//
// Input: the entry text (after a line's blank-slash) up to the first NUL;
// then operations, each a byte and fields (FuzzInput.h): 0 Insert(candidate,
// okurigana), 1 Remove(candidate, okurigana), 2 Merge(entry text),
// 3 Fill(okurigana), 4 RemoveDuplicates().
//
// Checked: the parse matches the model; every operation leaves the entry
// equal to the model (long lists take the implementation's hashing path,
// never the model's); after each step, writing, reading back and writing
// again gives the same entry and bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "NuvEntry.h"
#include "NuvUtils.h"


namespace {

typedef std::vector<std::string> Words;

struct ModelEntry {
	Words							stems;
	std::map<std::string, Words>	blocks;
};


bool
NextField(const std::string& text, size_t& position, std::string& field)
{
	const size_t slash = text.find('/', position);
	if (slash == std::string::npos)
		return false;
	field = text.substr(position, slash - position);
	position = slash + 1;
	return true;
}


// The line format read the plain way: fields end at "/", an empty field
// outside a block or an unclosed block empties the entry, "[" opens a block
// that "]" closes, and text after the last slash is ignored.
ModelEntry
ModelParse(const std::string& text)
{
	ModelEntry entry;
	size_t position = 0;
	std::string field;
	while (NextField(text, position, field)) {
		if (field.empty())
			return ModelEntry();
		if (field[0] != '[') {
			entry.stems.push_back(NuvUtils::DecodeElisp(field));
			continue;
		}
		// the okurigana is in the candidates' notation too
		const std::string okurigana = NuvUtils::DecodeElisp(field.substr(1));
		bool closed = false;
		while (NextField(text, position, field)) {
			if (field == "]") {
				closed = true;
				break;
			}
			entry.blocks[okurigana].push_back(NuvUtils::DecodeElisp(field));
		}
		if (!closed)
			return ModelEntry();
	}
	return entry;
}


void
ModelMoveToFront(const std::string& word, Words& words)
{
	auto found = std::find(words.begin(), words.end(), word);
	if (found != words.end())
		words.erase(found);
	words.insert(words.begin(), word);
}


void
ModelRemoveFirst(const std::string& word, Words& words)
{
	auto found = std::find(words.begin(), words.end(), word);
	if (found != words.end())
		words.erase(found);
}


void
ModelMergeWords(Words& into, const Words& from)
{
	for (const std::string& word : from) {
		if (std::find(into.begin(), into.end(), word) == into.end())
			into.push_back(word);
	}
}


void
ModelInsert(ModelEntry& entry, const std::string& word,
	const std::string& okurigana)
{
	ModelMoveToFront(word, entry.stems);
	if (!okurigana.empty())
		ModelMoveToFront(word, entry.blocks[okurigana]);
}


void
ModelRemove(ModelEntry& entry, const std::string& word,
	const std::string& okurigana)
{
	auto block = entry.blocks.find(okurigana);
	if (block != entry.blocks.end()) {
		ModelRemoveFirst(word, block->second);
		if (block->second.empty())
			entry.blocks.erase(block);
	}
	for (const auto& other : entry.blocks) {
		const Words& words = other.second;
		if (std::find(words.begin(), words.end(), word) != words.end())
			return;
	}
	ModelRemoveFirst(word, entry.stems);
}


void
ModelMerge(ModelEntry& entry, const ModelEntry& other)
{
	ModelMergeWords(entry.stems, other.stems);
	for (const auto& [okurigana, words] : other.blocks)
		ModelMergeWords(entry.blocks[okurigana], words);
}


Words
ModelFill(const ModelEntry& entry, const std::string& okurigana)
{
	Words words;
	auto block = entry.blocks.find(okurigana);
	if (block != entry.blocks.end())
		words = block->second;
	ModelMergeWords(words, entry.stems);
	return words;
}


void
ModelRemoveDuplicates(Words& words)
{
	Words unique;
	ModelMergeWords(unique, words);
	words.swap(unique);
}


bool
Equals(const NuvEntry& entry, const ModelEntry& model)
{
	if (!std::equal(entry.stems.begin(), entry.stems.end(),
			model.stems.begin(), model.stems.end())
		|| entry.okuri_blocks.size() != model.blocks.size())
		return false;
	auto modelBlock = model.blocks.begin();
	for (const auto& [okurigana, words] : entry.okuri_blocks) {
		if (okurigana != modelBlock->first
			|| !std::equal(words.begin(), words.end(),
				modelBlock->second.begin(), modelBlock->second.end()))
			return false;
		++modelBlock;
	}
	return true;
}


std::string
Written(const NuvEntry& entry)
{
	std::ostringstream out;
	out << entry;
	return out.str();
}


// Writing, reading back and writing again changes nothing: the words come
// back as they were, in their order, duplicates and empty words included.
void
CheckRoundTrip(const NuvEntry& entry)
{
	const std::string written = Written(entry);
	NUV_FUZZ_CHECK(!written.empty() && written[0] == '/');
	NUV_FUZZ_CHECK(written.find('\0') == std::string::npos);
	const NuvEntry reread(written.c_str() + 1);
	NUV_FUZZ_CHECK(reread.stems == entry.stems);
	NUV_FUZZ_CHECK(reread.okuri_blocks == entry.okuri_blocks);
	NUV_FUZZ_CHECK(Written(reread) == written);
}


}	// namespace


extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	nuv_fuzz::ByteReader ops(data, size);
	const std::string text = ops.SplitAt(std::string(1, '\0'));
	NuvEntry entry(text.c_str());
	ModelEntry model = ModelParse(text);
	NUV_FUZZ_CHECK(Equals(entry, model));
	NUV_FUZZ_CHECK(static_cast<bool>(entry) == !model.stems.empty());
	CheckRoundTrip(entry);

	while (!ops.AtEnd()) {
		nuv_candidate c;
		switch (ops.Byte() % 5) {
			case 0:
				c.candidate = ops.Field();
				c.okurigana = ops.Field();
				entry.Insert(c);
				ModelInsert(model, c.candidate, c.okurigana);
				break;
			case 1:
				c.candidate = ops.Field();
				c.okurigana = ops.Field();
				entry.Remove(c);
				ModelRemove(model, c.candidate, c.okurigana);
				break;
			case 2:
			{
				const std::string other = ops.Field(255);
				entry.Merge(NuvEntry(other.c_str()));
				ModelMerge(model, ModelParse(other.c_str()));
				break;
			}
			case 3:
			{
				c.reading = ops.Field();
				c.okurigana = ops.Field();
				std::vector<nuv_candidate> out(1);
				entry.Fill(c, out);
				const Words expected = ModelFill(model, c.okurigana);
				NUV_FUZZ_CHECK(out.size() == expected.size() + 1);
				for (size_t i = 0; i < expected.size(); i++) {
					nuv_candidate filled = c;
					filled.candidate = expected[i];
					NUV_FUZZ_CHECK(out[i + 1] == filled);
				}
				break;
			}
			case 4:
				entry.RemoveDuplicates();
				ModelRemoveDuplicates(model.stems);
				for (auto& block : model.blocks)
					ModelRemoveDuplicates(block.second);
				break;
		}
		NUV_FUZZ_CHECK(Equals(entry, model));
		CheckRoundTrip(entry);
	}
	return 0;
}
