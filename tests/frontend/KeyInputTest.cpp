// How a key-down message becomes engine input.
#include <gtest/gtest.h>

#include <AppDefs.h>
#include <Message.h>

#include "BeNuvLooper.h"


namespace {

nuv_input
Input(const std::string& bytes, int32 key = 0x3C, bool withKey = true)
{
	BMessage message(B_KEY_DOWN);
	if (withKey)
		message.AddInt32("key", key);
	for (char byte : bytes)
		message.AddInt8("byte", static_cast<int8>(byte));
	return BeNuvLooper::KeyInput(&message);
}

}	// namespace


// The bytes are packed little-endian as unsigned values. Faults: a "byte"
// field with two items was packed as if it had three, reading an item that
// does not exist. A four-byte character gives its first three bytes, a
// value no shorter character shares.
TEST(KeyInput, BytesArePackedLittleEndianAsUnsignedValues)
{
	EXPECT_EQ(nuv_input(0x61, 0x3C), Input("a"));
	EXPECT_EQ(nuv_input(0x0A, 0x47), Input("\n", 0x47));
	EXPECT_EQ(nuv_input(0xFF, 0x3C), Input("\xFF"));
	EXPECT_EQ(nuv_input(0xA9C3, 0), Input("\xC3\xA9", 0));	// é
	EXPECT_EQ(nuv_input(0x8281E3, 0), Input("\xE3\x81\x82", 0));	// あ
	EXPECT_EQ(nuv_input(0x80A0F0, 0), Input("\xF0\xA0\x80\x8B", 0));
	EXPECT_EQ(nuv_input(0x989FF0, 0), Input("\xF0\x9F\x98\x80", 0));
	// No "byte" and no "key" read as 0.
	EXPECT_EQ(nuv_input(0, 0), Input("", 0, false));
}
