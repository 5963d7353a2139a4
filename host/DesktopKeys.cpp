#include "DesktopKeys.h"

#include <InterfaceDefs.h>


namespace {

// Keys without a character of their own: the keysym, the byte the platform
// gives them and the US key code.
struct NamedKey {
	uint32_t	keyval;
	char		byte;
	int32_t		key;
};

const NamedKey kNamedKeys[] = {
	{0xFF0D, '\n', 0x47},				// Return
	{0xFF8D, '\n', 0x5B},				// KP_Enter
	{0xFF08, B_BACKSPACE, 0x1E},		// BackSpace
	{0xFF09, B_TAB, 0x26},				// Tab
	{0xFE20, B_TAB, 0x26},				// ISO_Left_Tab (Shift-Tab)
	{0xFF1B, B_ESCAPE, 0x01},			// Escape
	{0xFFFF, B_DELETE, 0x34},			// Delete
	{0xFF9F, B_DELETE, 0x34},			// KP_Delete
	{0xFF51, B_LEFT_ARROW, 0x61},		// Left
	{0xFF52, B_UP_ARROW, 0x57},			// Up
	{0xFF53, B_RIGHT_ARROW, 0x63},		// Right
	{0xFF54, B_DOWN_ARROW, 0x62},		// Down
	{0xFF96, B_LEFT_ARROW, 0x61},		// KP_Left
	{0xFF97, B_UP_ARROW, 0x57},			// KP_Up
	{0xFF98, B_RIGHT_ARROW, 0x63},		// KP_Right
	{0xFF99, B_DOWN_ARROW, 0x62},		// KP_Down
	{0xFF50, B_HOME, 0x20},				// Home
	{0xFF57, B_END, 0x35},				// End
	{0xFF55, B_PAGE_UP, 0x21},			// Page_Up
	{0xFF56, B_PAGE_DOWN, 0x36},		// Page_Down
	{0xFF63, B_INSERT, 0x1F},			// Insert
	{0xFF80, ' ', 0x5E},				// KP_Space
	{0xFF89, B_TAB, 0x26},				// KP_Tab
};

// Keypad keys that type a character: the keysym, the character and the
// keypad's key code.
const NamedKey kKeypadKeys[] = {
	{0xFFB0, '0', 0x64}, {0xFFB1, '1', 0x58}, {0xFFB2, '2', 0x59},
	{0xFFB3, '3', 0x5A}, {0xFFB4, '4', 0x48}, {0xFFB5, '5', 0x49},
	{0xFFB6, '6', 0x4A}, {0xFFB7, '7', 0x37}, {0xFFB8, '8', 0x38},
	{0xFFB9, '9', 0x39}, {0xFFAE, '.', 0x65}, {0xFFAF, '/', 0x23},
	{0xFFAA, '*', 0x24}, {0xFFAD, '-', 0x25}, {0xFFAB, '+', 0x3A},
	{0xFFBD, '=', 0x00},
};

const uint32_t kFirstFunctionKeysym = 0xFFBE;	// F1
const uint32_t kLastFunctionKeysym = 0xFFC9;	// F12
const int32_t kFirstFunctionKey = 0x02;			// F1's key code
const uint32_t kUnicodeKeysymBase = 0x01000000;


void
AppendUtf8(uint32_t code, std::string& out)
{
	if (code < 0x80)
		out += static_cast<char>(code);
	else if (code < 0x800) {
		out += static_cast<char>(0xC0 | (code >> 6));
		out += static_cast<char>(0x80 | (code & 0x3F));
	} else if (code < 0x10000) {
		out += static_cast<char>(0xE0 | (code >> 12));
		out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
		out += static_cast<char>(0x80 | (code & 0x3F));
	} else {
		out += static_cast<char>(0xF0 | (code >> 18));
		out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
		out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
		out += static_cast<char>(0x80 | (code & 0x3F));
	}
}


// The character a keysym types, 0 when it types none. Latin-1 keysyms are
// their own code points; Unicode keysyms carry theirs above 0x01000000.
uint32_t
KeysymCharacter(uint32_t keyval)
{
	if ((keyval >= 0x20 && keyval <= 0x7E) || (keyval >= 0xA0
			&& keyval <= 0xFF))
		return keyval;
	if (keyval > kUnicodeKeysymBase && keyval <= kUnicodeKeysymBase + 0x10FFFF) {
		const uint32_t code = keyval - kUnicodeKeysymBase;
		if (code >= 0x20 && !(code >= 0x7F && code < 0xA0)
			&& !(code >= 0xD800 && code <= 0xDFFF))
			return code;
	}
	return 0;
}

}	// namespace


bool
DesktopKeys::Translate(uint32_t keyval, uint32_t state, KeyStep& step)
{
	if ((state & kReleaseMask) != 0)
		return false;

	int32_t modifiers = 0;
	if ((state & kShiftMask) != 0)
		modifiers |= B_SHIFT_KEY;
	if ((state & kControlMask) != 0)
		modifiers |= B_CONTROL_KEY;
	if ((state & (kAltMask | kMetaMask)) != 0)
		modifiers |= B_COMMAND_KEY;
	if ((state & (kMod4Mask | kSuperMask)) != 0)
		modifiers |= B_OPTION_KEY;
	if ((state & kLockMask) != 0)
		modifiers |= B_CAPS_LOCK;

	KeyStep result;
	result.kind = KeyStep::KEY;
	result.modifiers = modifiers;

	bool found = false;
	for (const NamedKey& named : kNamedKeys) {
		if (named.keyval == keyval) {
			result.bytes.assign(1, named.byte);
			result.key = named.key;
			found = true;
			break;
		}
	}
	for (size_t i = 0; !found && i < sizeof(kKeypadKeys)
			/ sizeof(kKeypadKeys[0]); i++) {
		if (kKeypadKeys[i].keyval == keyval) {
			result.bytes.assign(1, kKeypadKeys[i].byte);
			result.key = kKeypadKeys[i].key;
			found = true;
		}
	}
	if (!found && keyval >= kFirstFunctionKeysym
		&& keyval <= kLastFunctionKeysym) {
		result.bytes.assign(1, B_FUNCTION_KEY);
		result.key = kFirstFunctionKey
			+ static_cast<int32_t>(keyval - kFirstFunctionKeysym);
		found = true;
	}
	if (!found) {
		const uint32_t code = KeysymCharacter(keyval);
		if (code == 0)
			return false;
		if (code < 0x80) {
			char c = static_cast<char>(code);
			const char lower = c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
			// An upper-case letter opens a reading: with Caps Lock on,
			// every letter would. Shift alone decides a letter's case
			// then, so Caps Lock leaves typing as it was.
			if ((state & kLockMask) != 0 && lower >= 'a' && lower <= 'z')
				c = (state & kShiftMask) != 0 ? lower - ('a' - 'A') : lower;
			bool shifted = false;
			KeyScript::UsKey(c, result.key, shifted);
			// The keysym already carries Shift's effect, and some clients
			// leave Shift out of the state: the message shows Shift as the
			// US keyboard needs it.
			if (shifted)
				result.modifiers |= B_SHIFT_KEY;
			if ((modifiers & B_CONTROL_KEY) != 0 && lower >= 'a'
				&& lower <= 'z')
				result.bytes.assign(1, static_cast<char>(lower & 0x1F));
			else
				result.bytes.assign(1, c);
		} else
			AppendUtf8(code, result.bytes);
	}

	result.token = result.bytes;
	step = result;
	return true;
}
