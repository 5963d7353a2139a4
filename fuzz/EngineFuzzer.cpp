// Fuzzes the conversion engine with key sequences over the default tables
// and the large dictionary (FuzzControler.h), driven as the front end drives
// it: Input() while it answers INPUT_AGAIN, then Confirmed() and Pending().
//
// Input: one key per byte: 00-7F that character; 80-87 a character outside
// ASCII packed as the front end packs UTF-8 (あ, ー, é, €, ａ, ｶ, a four-byte
// character cut to three bytes and with all four, negative); 88 the front
// end clears the engine; 89-FF that byte alone, as from a Latin-1 keyboard.
//
// Checked after every round: the stack is not empty once Pending() was
// asked for; the answer is a result code, not INPUT_AGAIN endlessly; the
// texts are well-formed EUC-JP; nothing is pending when the engine says it
// is empty; the hooks check their contracts. At the end, clearing leaves
// one empty state and no prompt, and the user dictionary survives Write and
// Read with every learned word.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "FuzzControler.h"
#include "FuzzUserDictionary.h"


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
// (first byte lowest).
const int32_t kWideCharacters[] = {
	0x8281E3,		// あ
	0xBC83E3,		// ー
	0xA9C3,			// é
	0xAC82E2,		// €
	0x81BDEF,		// ａ
	0xB6BDEF,		// ｶ
	0x989FF0,		// a four-byte character, cut to its first three bytes
	static_cast<int32_t>(0x80989FF0u),	// all four bytes, negative
};


nuv_input
KeyFor(uint8_t byte)
{
	if (byte >= 0x80 && byte < 0x88)
		return nuv_input(kWideCharacters[byte - 0x80], 0);
	return nuv_input(byte, 0);
}


// Returns the size of the composed text.
size_t
CheckText(FuzzControler& controler)
{
	const std::string confirmed = controler.Confirmed();
	NUV_FUZZ_CHECK(nuv_fuzz::IsWellFormedEuc(confirmed));
	const std::string pending = controler.Pending();
	NUV_FUZZ_CHECK(nuv_fuzz::IsWellFormedEuc(pending));
	if (controler.IsEmpty())
		NUV_FUZZ_CHECK(pending.empty());
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
		if (Press(controler, KeyFor(data[i])) > kMaxPendingBytes)
			break;
	}

	controler.Clear();
	NUV_FUZZ_CHECK(controler.CountStates() == 1);
	NUV_FUZZ_CHECK(controler.IsEmpty());
	NUV_FUZZ_CHECK(controler.Pending().empty());
	NUV_FUZZ_CHECK(controler.Confirmed().empty());
	NUV_FUZZ_CHECK(!controler.PurgeShown());

	// Every learned word comes back, under whatever reading.
	nuv_fuzz::CheckRoundTrip(controler.UserDictionary(),
		[](const NuvKey&) { return false; });
	return 0;
}
