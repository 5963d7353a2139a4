// Desktop keys: what a desktop input framework reports for a key press (an
// X keysym, a hardware key code and a modifier state) turned into the key
// step that a US keyboard would give the input method on the platform.
//
// The keysym decides the key: its character (letters, digits, symbols,
// Latin-1 and Unicode keysyms) or its name (Return apart from KP_Enter,
// arrows, BackSpace, Delete, Escape, Tab, Home, End, Page_Up, Page_Down,
// Insert, F1-F12). The hardware key code is not used: layouts other than US
// already show in the keysym. Modifiers: Shift, Control, Alt (the platform's
// Command key), Super (Option) and Caps Lock. Control with a letter gives
// the control character, as nuvim's key scripts make it. With Caps Lock on,
// Shift alone decides a letter's case (a letter without Shift is lower-case,
// with Shift upper-case), so that Caps Lock does not turn every letter into
// one that opens a reading.
#ifndef DESKTOP_KEYS_H
#define DESKTOP_KEYS_H

#include <cstdint>

#include "KeyScript.h"

class DesktopKeys {
public:
	// Modifier bits of the desktop state word (X11 and the frameworks
	// built on it).
	static const uint32_t		kShiftMask = 1u << 0;
	static const uint32_t		kLockMask = 1u << 1;
	static const uint32_t		kControlMask = 1u << 2;
	static const uint32_t		kAltMask = 1u << 3;		// Mod1
	static const uint32_t		kMod4Mask = 1u << 6;	// Super on most maps
	static const uint32_t		kSuperMask = 1u << 26;
	static const uint32_t		kMetaMask = 1u << 28;
	static const uint32_t		kReleaseMask = 1u << 30;

	// Fills `step` with the KEY step for `keyval` pressed with `state`.
	// False, and `step` untouched, for a key the method has no message for
	// (a modifier key alone, a key release, a keysym with no character and
	// no name here): such keys belong to the application.
	static	bool				Translate(uint32_t keyval, uint32_t state,
									KeyStep& step);
};

#endif	// DESKTOP_KEYS_H
