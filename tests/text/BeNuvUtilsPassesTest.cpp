// The pass loop of BeNuvUtils over a scripted converter that this file puts
// in place of the platform's: it copies bytes one to one and stops before
// the byte 0xFF, as the platform stops before a character cut off by the
// end of the text.
#include "BeNuvUtils.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <UTF8.h>

using std::string;

namespace {

struct Call {
	uint32	encoding;
	int32	sourceLength;
	int32	destinationLength;
	int32	state;
};

std::vector<Call> sCalls;


status_t
ScriptedCopy(uint32 encoding, const char* source, int32* sourceLength,
	char* destination, int32* destinationLength, int32* state)
{
	sCalls.push_back({ encoding, *sourceLength, *destinationLength, *state });
	int32 count = 0;
	while (count < *sourceLength && count < *destinationLength
		&& source[count] != '\xFF') {
		destination[count] = source[count];
		count++;
	}
	*sourceLength = count;
	*destinationLength = count;
	*state = static_cast<int32>(sCalls.size()) * 7;
	return B_OK;
}

}	// namespace


status_t
convert_to_utf8(uint32 encoding, const char* source, int32* sourceLength,
	char* destination, int32* destinationLength, int32* state, char)
{
	return ScriptedCopy(encoding, source, sourceLength, destination,
		destinationLength, state);
}


status_t
convert_from_utf8(uint32 encoding, const char* source, int32* sourceLength,
	char* destination, int32* destinationLength, int32* state, char)
{
	return ScriptedCopy(encoding, source, sourceLength, destination,
		destinationLength, state);
}


TEST(BeNuvUtilsPasses, EachPassResumesWhereThePreviousStopped)
{
	string text;
	for (int i = 0; i < 600; i++)
		text += static_cast<char>('a' + i % 26);
	sCalls.clear();
	EXPECT_EQ(text, BeNuvUtils::ConvertEucToUtf8(text));

	ASSERT_EQ(3u, sCalls.size());
	const int32 remaining[] = { 600, 344, 88 };
	for (size_t i = 0; i < sCalls.size(); i++) {
		EXPECT_EQ(12u, sCalls[i].encoding);
		EXPECT_EQ(remaining[i], sCalls[i].sourceLength);
		EXPECT_EQ(256, sCalls[i].destinationLength);
		// the state goes back as the previous pass left it
		EXPECT_EQ(static_cast<int32>(i) * 7, sCalls[i].state);
	}
}


TEST(BeNuvUtilsPasses, EmptyTextRunsOnePass)
{
	sCalls.clear();
	EXPECT_EQ("", BeNuvUtils::ConvertUtf8ToEuc(""));
	ASSERT_EQ(1u, sCalls.size());
	EXPECT_EQ(0, sCalls[0].sourceLength);
}


TEST(BeNuvUtilsPasses, PassThatConsumesNothingEndsTheConversion)
{
	// Fault: a pass that consumed nothing was repeated without end.
	sCalls.clear();
	EXPECT_EQ("abc\x1A", BeNuvUtils::ConvertUtf8ToEuc("abc\xFF\xFF"));
	EXPECT_EQ(2u, sCalls.size());

	string text = string(300, 'x') + "\xFF";
	sCalls.clear();
	EXPECT_EQ(string(300, 'x') + "\x1A", BeNuvUtils::ConvertEucToUtf8(text));
	EXPECT_EQ(3u, sCalls.size());
}
