// Records and enumerations shared by the engine, the automaton, the
// dictionaries and the front end.
//
// All text is EUC-JP held in std::string (byte strings).
#ifndef NUV_TYPES_H
#define NUV_TYPES_H

#include <cstdint>
#include <string>

// One key event as the engine sees it.
//
// `character` is the character the key produced: an ASCII or control code as
// is; otherwise the bytes of its UTF-8 text packed little-endian (first byte
// in bits 0-7, second in bits 8-15, third in bits 16-23).
// `key_code` is the platform's raw key code; the base engine ignores it.
struct nuv_input {
	int32_t	character;
	int32_t	key_code;

	nuv_input(int32_t character = 0, int32_t keyCode = 0)
		: character(character), key_code(keyCode) {}

	bool operator==(const nuv_input& other) const
		{ return character == other.character
			&& key_code == other.key_code; }
	bool operator!=(const nuv_input& other) const
		{ return !(*this == other); }
};

// The input mode of a state; the mode palette shows it.
enum nuv_mode {
	MODE_NONE = 0,		// to a state constructor: the mode of the state below
	MODE_HIRAKANA = 1,
	MODE_KATAKANA = 2,
	MODE_ASCII = 3,
	MODE_ZENEI = 4,
	MODE_ABBREV = 5,
	MODE_TC = 6,
	MODE_TUT = 7
};

// The logical keys that states ask about with NuvControler::IsKey().
enum nuv_key {
	KEY_YES = 0,
	KEY_NO = 1,
	KEY_BACKSPACE = 2,
	KEY_CANCEL = 3,
	KEY_CONFIRM = 4,
	KEY_ENTER = 5,
	KEY_ABBREV = 6,
	KEY_LATIN = 7,
	KEY_ZENEI = 8,
	KEY_KANA = 9,
	KEY_TC = 10,
	KEY_TUT = 11,
	KEY_TOGGLE_KANA = 12,
	KEY_OTHER_KANA = 13,
	KEY_ZENEI_CONFIRM = 14,
	KEY_NEXT = 15,
	KEY_PREVIOUS = 16,
	KEY_PURGE = 17,
	KEY_SELECT_A = 18,
	KEY_SELECT_S = 19,
	KEY_SELECT_D = 20,
	KEY_SELECT_F = 21,
	KEY_SELECT_J = 22,
	KEY_SELECT_K = 23,
	KEY_SELECT_L = 24,
	KEY_FORWARD = 25,
	KEY_BACKWARD = 26,
	KEY_DELETE = 27,
	KEY_HOME = 28,
	KEY_END = 29,
	KEY_KILL = 30
};

// Result codes of Input(), Undo() and Cancel().
enum {
	INPUT_CONSUMED = 0,	// the key was used (something undone or cancelled)
	INPUT_IGNORED = 1,	// not used; the front end may pass the key on
	INPUT_AGAIN = 2		// acted; process the same key again from the top
};

// One conversion result, or a look-up query when `candidate` is empty.
// A record with a non-empty `okuri` is okuri-ari, otherwise okuri-nasi.
struct nuv_candidate {
	std::string	reading;	// as typed, without okurigana
	std::string	okurigana;	// kana typed after the okuri point
	std::string	okuri;		// lower-case letter that began the okurigana
	std::string	candidate;	// the word; empty in a query

	bool operator==(const nuv_candidate& other) const
		{ return reading == other.reading && okurigana == other.okurigana
			&& okuri == other.okuri && candidate == other.candidate; }
	bool operator!=(const nuv_candidate& other) const
		{ return !(*this == other); }
};

#endif	// NUV_TYPES_H
