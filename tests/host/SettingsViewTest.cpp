#include <gtest/gtest.h>

#include "SettingsView.h"


TEST(SettingsView, Sha256GivesTheStandardsExamples)
{
	EXPECT_EQ("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad",
		SettingsView::Sha256("abc"));
	// 56 bytes: the length no longer fits the last block.
	EXPECT_EQ("248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1",
		SettingsView::Sha256(
			"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"));
	EXPECT_EQ("cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0",
		SettingsView::Sha256(std::string(1000000, 'a')));
}

