#include <gtest/gtest.h>

#include <InterfaceDefs.h>

#include "DesktopKeys.h"


namespace {

const uint32_t kShift = DesktopKeys::kShiftMask;
const uint32_t kControl = DesktopKeys::kControlMask;

KeyStep
Translated(uint32_t keyval, uint32_t state = 0)
{
	KeyStep step;
	EXPECT_TRUE(DesktopKeys::Translate(keyval, state, step)) << keyval;
	return step;
}

}	// namespace


TEST(DesktopKeysTest, PrintableKeysGiveTheirCharacterAndUsKeyCode)
{
	KeyStep upper = Translated('K', kShift);
	EXPECT_EQ(upper.bytes, "K");
	EXPECT_EQ(upper.key, 0x43);
	EXPECT_EQ(upper.modifiers, B_SHIFT_KEY);
	// A client that leaves Shift out of the state still gets it shown.
	EXPECT_EQ(Translated('K').modifiers, B_SHIFT_KEY);
	// Caps Lock leaves a letter's case to Shift, so that it does not make
	// every letter open a reading; other keys keep their keysym.
	const uint32_t kLock = DesktopKeys::kLockMask;
	KeyStep locked = Translated('K', kLock);
	EXPECT_EQ(locked.bytes, "k");
	EXPECT_EQ(locked.modifiers, B_CAPS_LOCK);
	KeyStep lockedShift = Translated('k', kLock | kShift);
	EXPECT_EQ(lockedShift.bytes, "K");
	EXPECT_EQ(lockedShift.modifiers, B_SHIFT_KEY | B_CAPS_LOCK);
	EXPECT_EQ(Translated('!', kLock | kShift).bytes, "!");

	KeyStep space = Translated(' ');
	EXPECT_EQ(space.bytes, " ");
	EXPECT_EQ(space.key, 0x5E);

	// A Unicode keysym types its character as UTF-8, with no key code.
	KeyStep kana = Translated(0x01000000 + 0x3042);
	EXPECT_EQ(kana.bytes, "\xE3\x81\x82");
	EXPECT_EQ(kana.key, 0);
}


TEST(DesktopKeysTest, EnterKeypadEnterAndControlJAreToldApartByKeyCode)
{
	KeyStep enter = Translated(0xFF0D);
	KeyStep keypad = Translated(0xFF8D);
	KeyStep controlJ = Translated('j', kControl);
	EXPECT_EQ(enter.bytes, "\n");
	EXPECT_EQ(keypad.bytes, "\n");
	EXPECT_EQ(controlJ.bytes, "\n");
	EXPECT_EQ(enter.key, 0x47);
	EXPECT_EQ(keypad.key, 0x5B);
	EXPECT_EQ(controlJ.key, 0x42);
	EXPECT_EQ(controlJ.modifiers, B_CONTROL_KEY);

	// Control with a capital letter is the same control character.
	EXPECT_EQ(Translated('G', kControl | kShift).bytes, "\x07");
}


TEST(DesktopKeysTest, EditingKeysGiveThePlatformsBytes)
{
	EXPECT_EQ(Translated(0xFF08).bytes, "\x08");		// BackSpace
	EXPECT_EQ(Translated(0xFFFF).bytes, "\x7F");		// Delete
	EXPECT_EQ(Translated(0xFF1B).key, 0x01);			// Escape
	EXPECT_EQ(Translated(0xFF09).bytes, "\t");			// Tab
	EXPECT_EQ(Translated(0xFF51).bytes, "\x1C");		// Left
	EXPECT_EQ(Translated(0xFF54).bytes, "\x1F");		// Down
	KeyStep f1 = Translated(0xFFBE);
	EXPECT_EQ(f1.bytes, std::string(1, B_FUNCTION_KEY));
	EXPECT_EQ(f1.key, 0x02);
}


TEST(DesktopKeysTest, AltIsCommandAndSuperIsOption)
{
	EXPECT_EQ(Translated('x', DesktopKeys::kAltMask).modifiers,
		B_COMMAND_KEY);
	EXPECT_EQ(Translated('x', DesktopKeys::kSuperMask).modifiers,
		B_OPTION_KEY);
	EXPECT_EQ(Translated('x', DesktopKeys::kMod4Mask).modifiers,
		B_OPTION_KEY);
}


TEST(DesktopKeysTest, ReleasesModifiersAndUnknownKeysAreNotTranslated)
{
	KeyStep step;
	step.token = "untouched";
	EXPECT_FALSE(DesktopKeys::Translate('a', DesktopKeys::kReleaseMask,
		step));
	EXPECT_FALSE(DesktopKeys::Translate(0xFFE1, 0, step));		// Shift_L
	EXPECT_FALSE(DesktopKeys::Translate(0xFF7E, 0, step));		// Mode_switch
	EXPECT_FALSE(DesktopKeys::Translate(0x01000000 + 0xD800, 0, step));
	EXPECT_FALSE(DesktopKeys::Translate(0x0, 0, step));
	EXPECT_EQ(step.token, "untouched");
}
