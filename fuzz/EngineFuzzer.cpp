// Fuzzes the conversion engine with arbitrary key sequences over the default
// tables and the large dictionary, through FuzzControler, driven the way the
// front end drives it: Input(), repeated while the answer is INPUT_AGAIN,
// then Confirmed() and Pending().
//
// Input: one key per byte.
//	00-7F	that ASCII or control character (key code 0)
//	80-87	a character outside ASCII, its UTF-8 bytes packed little-endian
//			as the front end packs them: あ, ー, é, €, full-width a, half-
//			width カ, a four-byte character as the front end packs it
//			(its first three bytes) and with all four (a negative value)
//	88		the front end clears the engine (the method is deactivated)
//	89-FF	that byte alone as the character, as from a Latin-1 keyboard
//
// Checked after every round of every key: the stack is not empty once the
// front end has asked for Pending(); the
// answer is a result code; a key is not answered INPUT_AGAIN endlessly;
// Confirmed() and Pending() are well-formed EUC-JP; nothing is pending when
// the engine says it is empty. The hooks check their own contracts
// (FuzzControler.h). At the end, clearing the engine leaves one empty direct
// input state and no prompt; the user dictionary, written, read back and
// written again, gives the same bytes, and holds every word learned.
#include <cstddef>
#include <cstdint>
#include <sstream>
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
	if (byte < 0x80)
		return nuv_input(byte, 0);
	if (byte < 0x88)
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


std::string
Written(NuvDictionary& dictionary)
{
	std::ostringstream out;
	dictionary.Write(out);
	return out.str();
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

	const std::string written = Written(controler.UserDictionary());
	FuzzUserDictionary reread;
	std::istringstream in(written);
	reread.Read(in);
	NUV_FUZZ_CHECK(Written(reread) == written);

	// Every learned word comes back, under whatever reading.
	for (const auto& [key, entry] : controler.UserDictionary().Entries()) {
		auto found = reread.Entries().find(key);
		NUV_FUZZ_CHECK(found != reread.Entries().end());
		NUV_FUZZ_CHECK(found->second.stems == entry.stems);
		NUV_FUZZ_CHECK(found->second.okuri_blocks == entry.okuri_blocks);
	}
	NUV_FUZZ_CHECK(reread.Entries().size()
		== controler.UserDictionary().Entries().size());
	return 0;
}
