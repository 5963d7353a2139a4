#include <gtest/gtest.h>

#include <InterfaceDefs.h>

#include "DesktopKeys.h"


namespace {

const uint32_t kShift = DesktopKeys::kShiftMask;
const uint32_t kLock = DesktopKeys::kLockMask;
const uint32_t kControl = DesktopKeys::kControlMask;

}	// namespace


TEST(DesktopKeysTest, KeysGiveThePlatformsBytesKeyCodeAndModifiers)
{
	const struct {
		uint32_t	keyval;
		uint32_t	state;
		const char*	bytes;
		int32_t		key;
		int32_t		modifiers;
	} kKeys[] = {
		{'K', kShift, "K", 0x43, B_SHIFT_KEY},
		// A client that leaves Shift out of the state still gets it shown.
		{'K', 0, "K", 0x43, B_SHIFT_KEY},
		// Caps Lock leaves a letter's case to Shift, so that it does not
		// make every letter open a reading; other keys keep their keysym.
		{'K', kLock, "k", 0x43, B_CAPS_LOCK},
		{'k', kLock | kShift, "K", 0x43, B_SHIFT_KEY | B_CAPS_LOCK},
		{'!', kLock | kShift, "!", 0x12, B_SHIFT_KEY | B_CAPS_LOCK},
		{' ', 0, " ", 0x5E, 0},
		// A Unicode keysym types its character as UTF-8, with no key code.
		{0x01000000 + 0x3042, 0, "\xE3\x81\x82", 0, 0},
		// Enter, keypad Enter and control-J are told apart by key code;
		// control with a capital letter is the same control character.
		{0xFF0D, 0, "\n", 0x47, 0}, {0xFF8D, 0, "\n", 0x5B, 0},
		{'j', kControl, "\n", 0x42, B_CONTROL_KEY},
		{'G', kControl | kShift, "\x07", 0x40, B_CONTROL_KEY | B_SHIFT_KEY},
		// BackSpace, Delete, Escape, Tab, Left, Down and F1.
		{0xFF08, 0, "\x08", 0x1E, 0}, {0xFFFF, 0, "\x7F", 0x34, 0},
		{0xFF1B, 0, "\x1B", 0x01, 0}, {0xFF09, 0, "\t", 0x26, 0},
		{0xFF51, 0, "\x1C", 0x61, 0}, {0xFF54, 0, "\x1F", 0x62, 0},
		{0xFFBE, 0, "\x10", 0x02, 0},
		// Alt is Command; Super and Mod4 are Option.
		{'x', DesktopKeys::kAltMask, "x", 0x4D, B_COMMAND_KEY},
		{'x', DesktopKeys::kSuperMask, "x", 0x4D, B_OPTION_KEY},
		{'x', DesktopKeys::kMod4Mask, "x", 0x4D, B_OPTION_KEY},
	};
	for (const auto& row : kKeys) {
		SCOPED_TRACE(testing::Message() << std::hex << row.keyval << " "
			<< row.state);
		KeyStep step;
		ASSERT_TRUE(DesktopKeys::Translate(row.keyval, row.state, step));
		EXPECT_EQ(step.bytes, row.bytes);
		EXPECT_EQ(step.key, row.key);
		EXPECT_EQ(step.modifiers, row.modifiers);
	}
}


TEST(DesktopKeysTest, ReleasesModifiersAndUnknownKeysAreNotTranslated)
{
	KeyStep step;
	step.token = "untouched";
	EXPECT_FALSE(DesktopKeys::Translate('a', DesktopKeys::kReleaseMask,
		step));
	// Shift_L, Mode_switch, a surrogate and no keysym.
	for (uint32_t keyval : {0xFFE1, 0xFF7E, 0x01000000 + 0xD800, 0x0})
		EXPECT_FALSE(DesktopKeys::Translate(keyval, 0, step)) << keyval;
	EXPECT_EQ(step.token, "untouched");
}
