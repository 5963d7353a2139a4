// Fuzzes table files and key sequences through NuvAutomaton beside a model
// (the table as a map of key strings, the pending letters as a string).
//
// Input: the table text up to the first NUL byte; after it, the keys, one
// byte each, except that 0xFF starts a two-byte operation: FF 00 Undo(),
// FF 01 Cancel(), FF 02 Clear(), FF 03 ForceConfirm(), FF xx Input of xx
// with bits set above the low byte.
//
// Checked after every step against the model; carried-over letters running
// in a circle must not hang a key (libFuzzer's time limit).
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <locale>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "NuvAutomaton.h"
#include "NuvUtils.h"


namespace {

// The table as the documented format reads: tokens between white space (as
// operator>> cuts them in the classic locale) in key-value pairs, each
// decoded; a pair with an empty key, a key longer than kMaxKeyLength after
// decoding, or a token longer than kMaxTokenLength before decoding is
// skipped; a later pair replaces an earlier one.
class ModelAutomaton {
public:
	explicit ModelAutomaton(const std::string& table)
	{
		std::istringstream in(table);
		in.imbue(std::locale::classic());
		std::string key;
		std::string value;
		while (in >> key >> value) {
			if (key.size() > NuvAutomaton::kMaxTokenLength
				|| value.size() > NuvAutomaton::kMaxTokenLength)
				continue;
			key = NuvUtils::DecodeCString(key);
			if (key.empty() || key.size() > NuvAutomaton::kMaxKeyLength)
				continue;
			// letters in the output are carried over
			std::string output;
			std::string rest;
			for (const unsigned char c : NuvUtils::DecodeCString(value))
				(std::isalpha(c) ? rest : output) += c;
			fEntries[key] = {output, rest};
			for (size_t length = 0; length < key.size(); length++) {
				fInner.insert(key.substr(0, length));
				fNodes.insert(key.substr(0, length + 1));
			}
		}
	}

	int32_t Input(char byte)
	{
		std::string queue(1, byte);
		std::string at = pending;
		std::string output;
		std::set<std::string> fired;
		while (!queue.empty()) {
			const std::string next = at + queue[0];
			if (fNodes.count(next) == 0) {
				if (at.empty())
					return INPUT_IGNORED;
				output += _Output(at);
				at.clear();
				continue;
			}
			queue.erase(0, 1);
			if (fInner.count(next) != 0) {
				at = next;
				continue;
			}
			// a leaf fired twice in one key restarts from the same state:
			// the carried-over letters run in a circle
			if (!fired.insert(next).second)
				return INPUT_IGNORED;
			output += _Output(next);
			queue = fEntries[next].second;
			at.clear();
		}
		pending = at;
		confirmed += output;
		return INPUT_CONSUMED;
	}

	// Undo() drops the last pending letter, Cancel() all of them.
	int32_t Drop(bool all)
	{
		if (pending.empty())
			return INPUT_IGNORED;
		pending.erase(all ? 0 : pending.size() - 1);
		return INPUT_CONSUMED;
	}

	void ForceConfirm()
	{
		confirmed += _Output(pending);
		pending.clear();
	}

	// The pending letters, and the text confirmed since it was last taken.
	std::string pending;
	std::string confirmed;

private:
	std::string _Output(const std::string& path) const
	{
		auto found = fEntries.find(path);
		return found != fEntries.end() ? found->second.first : std::string();
	}

	// defined keys: their output and carried-over letters
	std::map<std::string, std::pair<std::string, std::string>> fEntries;
	std::set<std::string>	fNodes;		// every node but the root: key prefixes
	std::set<std::string>	fInner;		// nodes with children, root included
};


}	// namespace


extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	nuv_fuzz::ByteReader keys(data, size);
	const std::string table = keys.SplitAt(std::string(1, '\0'));

	NuvAutomaton automaton;
	std::istringstream in(table);
	automaton.Read(in);
	ModelAutomaton model(table);

	while (!keys.AtEnd()) {
		int32_t result = INPUT_CONSUMED;
		int32_t expected = INPUT_CONSUMED;
		const uint8_t byte = keys.Byte();
		const bool escaped = byte == 0xFF && !keys.AtEnd();
		const uint8_t op = escaped ? keys.Byte() : byte;
		if (!escaped || op > 3) {
			// only the low byte of the character is a key byte
			result = automaton.Input(escaped
				? nuv_input(0x7F3100 | op, 0x55) : nuv_input(op));
			expected = model.Input(static_cast<char>(op));
		} else if (op < 2) {
			result = op == 0 ? automaton.Undo() : automaton.Cancel();
			expected = model.Drop(op == 1);
		} else if (op == 2) {
			automaton.Clear();
			model.pending.clear();
		} else {
			automaton.ForceConfirm();
			model.ForceConfirm();
		}
		NUV_FUZZ_CHECK(result == expected);
		NUV_FUZZ_CHECK(automaton.Pending() == model.pending);
		NUV_FUZZ_CHECK(automaton.IsEmpty() == model.pending.empty());
		NUV_FUZZ_CHECK(automaton.Confirmed() == model.confirmed);
		model.confirmed.clear();
	}
	return 0;
}
