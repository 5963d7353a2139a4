// Thousands of random keys over the default large dictionary, weighted
// towards readings, conversions, registrations and purges.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "NuvControler.h"
#include "TestControler.h"
#include "TestText.h"

using nuv_test::IsWholeEuc;
using nuv_test::TestControler;
using ::testing::Test;

namespace {

// Each item is typed as a whole: single keys, and short readings that have
// many candidates, so that pages, purges and registrations come often.
std::vector<std::vector<int32_t>>
KeyPool()
{
	std::vector<std::vector<int32_t>> pool;
	auto add = [&pool](const std::string& keys, int weight) {
		for (int i = 0; i < weight; i++) {
			for (char key : keys)
				pool.push_back({static_cast<unsigned char>(key)});
		}
	};
	auto addTyped = [&pool](const std::string& keys) {
		std::vector<int32_t> item;
		for (char key : keys)
			item.push_back(static_cast<unsigned char>(key));
		pool.push_back(item);
	};
	add("aiueokstnhmyrwgzdbpj", 3);		// romaji
	add("AIUEOKSTNHMYRWGZDBPJ", 1);		// readings and okuri points
	add(" ", 40);						// look up, next candidate
	add("x", 8);						// previous candidate
	add("asdfjklASDFJKL", 1);			// selections
	add("Xyn", 3);						// purge and its answers
	add("\r\a", 12);					// Enter, cancel: out of registrations
	add("\n\b", 6);						// confirm, backspace
	add("\x01\x02\x04\x05\x06\x0b\x11\x1c\x1d\x7f", 1);	// editing keys
	add("/q-.,0123!\"\\~[]", 1);
	add("lL\t\x1b", 1);					// Latin and full width, others
	for (int32_t key : {0x8281e3, 0xa4, 0xff, 0x80, 0x7fffffff, -1})
		pool.push_back({key});
	for (const char* reading : {"Ka", "Ki", "Ko", "Si", "Su", "Ta", "Kanji",
			"Kaku", "Kou", "Sei", "KaKu", "OoKi", "KaKi", "TaTu", "/cpu",
			"/a", "Nuvu"}) {
		// the reading alone, or looked up and stepped into the pages
		for (int spaces = 0; spaces < 12; spaces += 3)
			addTyped(reading + std::string(spaces, ' '));
	}
	return pool;
}

// One key the way the front end feeds it, then the checks that must hold
// after every key.
void
PressAndCheck(TestControler& controler, nuv_input input, unsigned seed,
	int index)
{
	int32_t result = INPUT_AGAIN;
	int32_t rounds = 0;
	std::string confirmed;
	std::string preedit;
	while (result == INPUT_AGAIN && rounds < 16) {
		result = controler.Input(input);
		rounds++;
		confirmed += controler.Confirmed();
		preedit = controler.Pending();
	}
	const std::string where = "seed " + std::to_string(seed) + ", item "
		+ std::to_string(index) + ", key " + std::to_string(input.character);
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
	const std::string path = NUV_SETTINGS_SOURCE_DIR "/NUV-JISYO.L";
	const std::vector<std::vector<int32_t>> pool = KeyPool();
	const int kKeys = 5000;
	const size_t kMaxDepth = 6;
	int32_t registrations = 0;
	int32_t pages = 0;
	int32_t purges = 0;

	for (unsigned seed : {7u, 11u, 13u}) {
		TestControler controler;
		ASSERT_TRUE(controler.ReadLargeDictionary(path)) << path;
		std::mt19937 random(seed);
		std::uniform_int_distribution<size_t> pick(0, pool.size() - 1);

		for (int i = 0; i < kKeys; i++) {
			for (int32_t key : pool[pick(random)])
				PressAndCheck(controler, nuv_input(key, 0), seed, i);
			// Random keys open registrations faster than they close them;
			// a few levels are enough to shake nesting, so unwind beyond that
			// as a user would, with cancel.
			for (int k = 0; k < 64 && controler.ShownRegisters().size()
					> kMaxDepth; k++)
				PressAndCheck(controler, nuv_input(0x07, 0), seed, i);
			ASSERT_LE(controler.ShownRegisters().size(), kMaxDepth);
			if (Test::HasFatalFailure())
				return;
			if (!controler.ShownRegisters().empty())
				registrations++;
			if (!controler.ShownCandidates().empty())
				pages++;
			if (!controler.ShownPurge().empty())
				purges++;
		}

		controler.Clear();
		EXPECT_EQ(controler.Pending(), "");
		EXPECT_TRUE(controler.ShownCandidates().empty());
		EXPECT_TRUE(controler.ShownRegisters().empty());
		EXPECT_TRUE(controler.ShownPurge().empty());
	}
	// the walk did reach the states it is meant to shake
	EXPECT_GT(registrations, 100);
	EXPECT_GT(pages, 100);
	EXPECT_GT(purges, 20);
}
