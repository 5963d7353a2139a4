// Fuzzes the conversion engine with key sequences over the default tables
// and the large dictionary of settings/, driven as the front end drives it:
// Input() while it answers INPUT_AGAIN, then Confirmed() and Pending().
//
// Input: one key per byte: 00-7F that character; 80-87 a character outside
// ASCII packed as the front end packs UTF-8 (あ, ー, é, €, ａ, ｶ, a four-byte
// character cut to three bytes and with all four, negative); 88 the front
// end clears the engine; 89-FF that byte alone, as from a Latin-1 keyboard.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "FuzzCheck.h"
#include "NuvAutomaton.h"
#include "NuvControler.h"
#include "NuvDynamicDictionary.h"
#include "NuvEntry.h"
#include "NuvStaticDictionary.h"
#include "NuvUtils.h"


namespace {

// Far more rounds than any chain of states needs for one key.
const int kMaxRounds = 16;

// A word under registration may take in a candidate that is itself a word
// registered a moment before, so a few hundred keys can double a word again
// and again into megabytes; every key then costs time in proportion to it.
// That is the user's own doing, not a fault, so an input whose composed
// text passes this size types no further keys.
const size_t kMaxPendingBytes = 4096;

const int32_t kClearKey = 0x88;

// Characters outside ASCII, packed as the front end packs UTF-8 bytes
// (first byte lowest): あ, ー, é, €, ａ, ｶ, a four-byte character cut to its
// first three bytes, and all four (negative).
const int32_t kWideCharacters[] = {0x8281E3, 0xBC83E3, 0xA9C3, 0xAC82E2,
	0x81BDEF, 0xB6BDEF, 0x989FF0, static_cast<int32_t>(0x80989FF0u)};


// The automata of kana, full-width and Latin input, in that order.
struct SharedResources {
	NuvAutomaton		automata[3];
	NuvStaticDictionary	large;
};


// Built on first use and kept until the process ends: a fuzz run makes
// millions of controllers, and the large dictionary takes a while to load.
SharedResources&
Resources()
{
	static SharedResources* resources = [] {
		auto read = [](const char* name, auto& reader) {
			std::ifstream file(std::string(NUV_SETTINGS_SOURCE_DIR) + "/"
				+ name, std::ios::binary);
			NUV_FUZZ_CHECK(file.is_open());
			reader.Read(file);
		};
		SharedResources* shared = new SharedResources;
		read("roman_kana.table", shared->automata[0]);
		read("roman_zennei.table", shared->automata[1]);
		for (NuvAutomaton& automaton : shared->automata)
			read("control_key.table", automaton);
		read("NUV-JISYO.L", shared->large);
		NUV_FUZZ_CHECK(shared->large.CountItems() > 0);
		return shared;
	}();
	return *resources;
}


// The records from `first` to `last`, at least one, hold well-formed text
// (the ASCII separators leave no cut character of one field whole).
void
CheckRecords(const nuv_candidate* first, const nuv_candidate* last)
{
	NUV_FUZZ_CHECK(first != nullptr && first < last);
	for (const nuv_candidate* c = first; c != last; c++) {
		NUV_FUZZ_CHECK(NuvUtils::IsValidEuc(c->reading + "/"
			+ c->okurigana + "/" + c->okuri + "/" + c->candidate));
	}
}


// A record handed to a hook: well-formed, and a word exactly when `word`.
void
CheckRecord(const nuv_candidate& record, bool word)
{
	NUV_FUZZ_CHECK(record.candidate.empty() != word);
	CheckRecords(&record, &record + 1);
}


// A controller over the shared resources (the automata cleared for each
// controller) and a user dictionary of its own, merging look-ups as the
// front end does (learned words first); every hook checks its contract.
class FuzzControler : public NuvControler {
public:
	FuzzControler()
	{
		for (NuvAutomaton& automaton : Resources().automata)
			automaton.Clear();
		State();
	}

	// Lets the states leave while these hooks still check them.
	~FuzzControler() { ClearState(0); }

	NuvDynamicDictionary user;
	bool purgeShown = false;

	void SetMode(nuv_mode mode)
	{
		NUV_FUZZ_CHECK(mode >= MODE_HIRAKANA && mode <= MODE_TUT);
	}

	void ShowCandidates(const nuv_candidate* first, const nuv_candidate* last,
		int remaining)
	{
		NUV_FUZZ_CHECK(last - first <= 7);
		NUV_FUZZ_CHECK(remaining >= 0);
		CheckRecords(first, last);
	}

	void HideCandidates() {}

	void ShowRegisters(const nuv_candidate* first, const nuv_candidate* last)
	{
		CheckRecords(first, last);
	}

	void HideRegisters() {}

	void ShowPurge(const nuv_candidate& candidate)
	{
		NUV_FUZZ_CHECK(!purgeShown);
		CheckRecord(candidate, true);
		purgeShown = true;
	}

	void HidePurge() { purgeShown = false; }

	NuvInteractiveConverter* Converter(nuv_mode mode)
	{
		return &Resources().automata[mode == MODE_HIRAKANA
			|| mode == MODE_KATAKANA ? 0 : mode == MODE_ZENEI ? 1 : 2];
	}

	void FindCandidates(const nuv_candidate& query, NuvCandidateList& out)
	{
		NUV_FUZZ_CHECK(out.IsEmpty());
		CheckRecord(query, false);
		NuvEntry merged;
		merged.Merge(user.FindEntry(query));
		merged.Merge(Resources().large.FindEntry(query));
		merged.Fill(query, out);
	}

	void InsertCandidate(const nuv_candidate& candidate)
	{
		NUV_FUZZ_CHECK(!candidate.reading.empty());
		CheckRecord(candidate, true);
		user.InsertCandidate(candidate);
	}

	void RemoveCandidate(const nuv_candidate& candidate)
	{
		CheckRecord(candidate, true);
		user.RemoveCandidate(candidate);
	}
};


// Returns the size of the composed text.
size_t
CheckText(FuzzControler& controler)
{
	const std::string confirmed = controler.Confirmed();
	const std::string pending = controler.Pending();
	NUV_FUZZ_CHECK(NuvUtils::IsValidEuc(confirmed + "/" + pending));
	NUV_FUZZ_CHECK(!controler.IsEmpty() || pending.empty());
	return pending.size();
}


// Returns the size of the composed text after the key.
size_t
Press(FuzzControler& controler, nuv_input key)
{
	for (int round = 0; ; round++) {
		NUV_FUZZ_CHECK(round < kMaxRounds);
		const int32_t result = controler.Input(key);
		NUV_FUZZ_CHECK(result == INPUT_CONSUMED || result == INPUT_IGNORED
			|| result == INPUT_AGAIN);
		// Control-J in Latin input empties the stack on purpose; the
		// Pending() that the front end asks for next makes the default
		// state again, and no key may find the stack empty after that.
		const size_t pending = CheckText(controler);
		NUV_FUZZ_CHECK(controler.CountStates() > 0);
		if (result != INPUT_AGAIN)
			return pending;
	}
}

}	// namespace


extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	FuzzControler controler;
	for (size_t i = 0; i < size; i++) {
		if (data[i] == kClearKey) {
			controler.Clear();
			CheckText(controler);
			continue;
		}
		const int32_t key = data[i] >= 0x80 && data[i] < 0x88
			? kWideCharacters[data[i] - 0x80] : data[i];
		if (Press(controler, nuv_input(key, 0)) > kMaxPendingBytes)
			break;
	}

	controler.Clear();
	NUV_FUZZ_CHECK(controler.CountStates() == 1);
	NUV_FUZZ_CHECK(controler.IsEmpty());
	NUV_FUZZ_CHECK(controler.Pending().empty());
	NUV_FUZZ_CHECK(controler.Confirmed().empty());
	NUV_FUZZ_CHECK(!controler.purgeShown);
	return 0;
}
