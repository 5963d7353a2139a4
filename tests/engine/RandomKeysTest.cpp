// Thousands of random keys over the default large dictionary, weighted
// towards readings, conversions, registrations and purges.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "TestControler.h"
#include "TestText.h"

using nuv_test::IsWholeEuc;
using nuv_test::TestControler;

namespace {

// Each item is typed as a whole: single keys (the spaces and cancels
// weighted so that pages, purges and registrations come and go often), and
// readings with many candidates, alone or stepped into their pages.
std::vector<std::vector<int32_t>>
KeyPool()
{
	std::vector<std::vector<int32_t>> pool;
	const std::string singles = std::string(40, ' ') + std::string(8, 'x')
		+ std::string(12, '\r') + std::string(12, '\a') + "\n\n\n\b\b\b"
		+ "aiueokstnhmyrwgzdbpjaiueokstnhmyrwgzdbpjAIUEOKSTNHMYRWGZDBPJ"
		+ "asdfjklASDFJKLXynXynXyn\x01\x02\x04\x05\x06\x0b\x11\x1c\x1d\x7f"
		+ "/q-.,0123!\"\\~[]lL\t\x1b";
	for (char key : singles)
		pool.push_back({static_cast<unsigned char>(key)});
	for (int32_t key : {0x8281e3, 0xa4, 0xff, 0x80, 0x7fffffff, -1})
		pool.push_back({key});
	for (const std::string reading : {"Ka", "Ki", "Ko", "Si", "Su", "Ta",
			"Kanji", "Kaku", "Kou", "Sei", "KaKu", "OoKi", "KaKi", "TaTu",
			"/cpu", "/a", "Nuvu"}) {
		for (int spaces = 0; spaces < 12; spaces += 3) {
			const std::string keys = reading + std::string(spaces, ' ');
			pool.push_back(std::vector<int32_t>(keys.begin(), keys.end()));
		}
	}
	return pool;
}


// One key the way the front end feeds it, then the checks that must hold
// after every key.
void
PressAndCheck(TestControler& controler, int32_t key, const std::string& where)
{
	int32_t result = INPUT_AGAIN;
	std::string confirmed;
	for (int rounds = 0; result == INPUT_AGAIN && rounds < 16; rounds++) {
		result = controler.Input(nuv_input(key, 0));
		confirmed += controler.Confirmed();
	}
	const std::string preedit = controler.Pending();
	ASSERT_NE(result, INPUT_AGAIN) << where << ": no end";
	ASSERT_GE(controler.CountStates(), 1) << where;
	ASSERT_TRUE(IsWholeEuc(confirmed)) << where;
	ASSERT_TRUE(IsWholeEuc(preedit)) << where;
	// with nothing composed, no palette or prompt may stay open
	if (preedit.empty()) {
		ASSERT_TRUE(controler.ShownCandidates().empty()) << where;
		ASSERT_TRUE(controler.ShownRegisters().empty()) << where;
		ASSERT_TRUE(controler.ShownPurge().empty()) << where;
	}
}

}	// namespace


TEST(ConversionRandomKeys, LargeDictionaryNeverBreaksTheEngine)
{
	const std::vector<std::vector<int32_t>> pool = KeyPool();
	const size_t kMaxDepth = 6;
	int32_t registrations = 0;
	int32_t pages = 0;
	int32_t purges = 0;

	for (unsigned seed : {7u, 11u, 13u}) {
		TestControler controler;
		ASSERT_TRUE(controler.ReadLargeDictionary(
			NUV_SETTINGS_SOURCE_DIR "/NUV-JISYO.L"));
		std::mt19937 random(seed);
		std::uniform_int_distribution<size_t> pick(0, pool.size() - 1);

		for (int i = 0; i < 5000; i++) {
			const std::string where = "seed " + std::to_string(seed)
				+ ", item " + std::to_string(i);
			for (int32_t key : pool[pick(random)])
				PressAndCheck(controler, key, where);
			// Random keys open registrations faster than they close them;
			// a few levels are enough to shake nesting, so unwind beyond that
			// as a user would, with cancel.
			for (int k = 0; k < 64
					&& controler.ShownRegisters().size() > kMaxDepth; k++)
				PressAndCheck(controler, 0x07, where);
			ASSERT_LE(controler.ShownRegisters().size(), kMaxDepth);
			if (testing::Test::HasFatalFailure())
				return;
			registrations += !controler.ShownRegisters().empty();
			pages += !controler.ShownCandidates().empty();
			purges += !controler.ShownPurge().empty();
		}
	}
	// the walk did reach the states it is meant to shake
	EXPECT_GT(registrations, 100);
	EXPECT_GT(pages, 100);
	EXPECT_GT(purges, 20);
}
