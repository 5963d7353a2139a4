// Thousands of random keys through the whole engine: no crash, a state on
// the stack after every key, and never a text that splits a character.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "NuvControler.h"
#include "TestControler.h"
#include "TestText.h"

using nuv_test::IsWholeEuc;
using nuv_test::TestControler;

namespace {

std::vector<int32_t>
KeyPool()
{
	std::vector<int32_t> pool;
	// Romaji letters weigh most, so that readings and conversions happen.
	for (int repeat = 0; repeat < 4; repeat++) {
		for (char c : std::string("aiueokstnhmyrwgzdbpjcfv"))
			pool.push_back(c);
	}
	for (char c = 'A'; c <= 'Z'; c++)
		pool.push_back(c);
	for (char c : std::string("    xxXXqql/-.,[]!?0123456789'\"\\~"))
		pool.push_back(c);
	for (int32_t c : {0x01, 0x02, 0x04, 0x05, 0x06, 0x07, 0x07, 0x08, 0x08,
			0x09, 0x0A, 0x0A, 0x0B, 0x0D, 0x0D, 0x11, 0x1B, 0x1C, 0x1D, 0x7F,
			0x8281E3, 0xA4, 0xFF})
		pool.push_back(c);
	return pool;
}


TEST(RandomKeys, EngineStaysWholeUnderThousandsOfRandomKeys)
{
	for (unsigned seed : {1u, 2u, 3u}) {
		TestControler controler;
		ASSERT_TRUE(controler.ReadLargeDictionary(
			NUV_TEST_DATA_DIR "/engine/small.jisyo"));
		const std::vector<int32_t> pool = KeyPool();
		std::mt19937 random(seed);
		std::uniform_int_distribution<size_t> pick(0, pool.size() - 1);

		for (int i = 0; i < 4000; i++) {
			const nuv_input input(pool[pick(random)]);
			int rounds = 0;
			int32_t result;
			do {
				result = controler.Input(input);
				const std::string confirmed = controler.Confirmed();
				const std::string pending = controler.Pending();
				ASSERT_TRUE(IsWholeEuc(confirmed))
					<< "seed " << seed << " key " << i;
				ASSERT_TRUE(IsWholeEuc(pending))
					<< "seed " << seed << " key " << i;
				ASSERT_GE(controler.CountStates(), 1);
				ASSERT_LT(++rounds, 8) << "seed " << seed << " key " << i;
			} while (result == INPUT_AGAIN);
			ASSERT_TRUE(result == INPUT_CONSUMED || result == INPUT_IGNORED);
		}
		// The controller goes with whatever is still open.
	}
}

}	// namespace
