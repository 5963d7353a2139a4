// The one-buffer loader and its binary search, beside a plain reading.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "NuvStaticDictionary.h"

namespace {

void
Load(NuvStaticDictionary& dictionary, const std::string& text)
{
	std::istringstream in(text);
	dictionary.Read(in);
}


// A stream that cannot seek, like a pipe.
class NoSeekBuffer : public std::streambuf {
public:
	explicit NoSeekBuffer(std::string text) : fText(std::move(text))
		{ setg(&fText[0], &fText[0], &fText[0] + fText.size()); }
private:
	std::string fText;
};

}	// namespace


TEST(NuvStaticDictionary, FailedStreamKeepsContentAndNewReadReplacesIt)
{
	NuvStaticDictionary dictionary;
	Load(dictionary, "a /1/\nb /2/\n");
	std::istringstream failed("c /3/\n");
	failed.setstate(std::ios::failbit);
	dictionary.Read(failed);
	EXPECT_EQ(2u, dictionary.CountItems());

	Load(dictionary, "c /3/\n");
	EXPECT_EQ(1u, dictionary.CountItems());
	EXPECT_FALSE(dictionary.FindEntry({"a", "", "", ""}));

	// a directory opens, but its size is no size and reading it fails
	std::ifstream directory(NUV_TEST_DATA_DIR, std::ios::binary);
	dictionary.Read(directory);
	EXPECT_EQ(0u, dictionary.CountItems());

	NoSeekBuffer pipe("d /4/\ne /5/\n");
	std::istream in(&pipe);
	dictionary.Read(in);
	EXPECT_EQ(std::list<std::string>({"5"}),
		dictionary.FindEntry({"e", "", "", ""}).stems);
	EXPECT_FALSE(dictionary.FindEntry({"c", "", "", ""}));
}


TEST(NuvStaticDictionary, LongLinesAndManyRunsLoadAsWritten)
{
	// Keys and entries of 1 to a few hundred bytes put keys, blank-slashes
	// and line feeds on every side of the loader's 64-byte blocks; 16 and
	// 17 runs lie either side of searching run by run and sorting into one.
	std::mt19937 random(5);
	for (int runs : {16, 17}) {
		std::vector<std::string> keys;
		for (int run = 0; run < runs; run++) {
			for (int i = 0; i < 12; i++) {
				keys.emplace_back(1 + random() % 150, 'a');
				keys.back().back() = static_cast<char>('a' + random() % 3);
			}
			// each run starts below the last one's end
			keys.push_back("a");
			std::sort(keys.end() - 13, keys.end());
		}
		// A key's look-up gives its lines merged in file order.
		std::string text = ";" + std::string(100, 'c') + " /x/\n";
		std::map<std::string, NuvEntry> expected;
		for (size_t i = 0; i < keys.size(); i++) {
			const std::string entry = "w" + std::to_string(i) + "/"
				+ std::string(random() % 200, 'e') + " /z/";
			text += keys[i] + " /" + entry + "\n";
			expected[keys[i]].Merge(NuvEntry(entry.c_str()));
		}

		NuvStaticDictionary dictionary;
		Load(dictionary, text);
		EXPECT_EQ(keys.size(), dictionary.CountItems());
		keys.push_back(std::string(200, 'a'));
		for (const std::string& key : keys) {
			ASSERT_EQ(expected[key].stems, dictionary.FindEntry(
				{key, "", "", ""}).stems) << runs << " " << key;
		}
	}
}


TEST(NuvStaticDictionary, CandidatesReadInPlaceAreThoseOfMergingThenFilling)
{
	// A key with a million candidates froze conversions: its words went
	// through three lists. Read in place, they must be exactly what merging
	// the user's entry with FindEntry() and filling gives, malformed lines,
	// repeated words, blocks, "(concat" fields and split keys included.
	std::mt19937 random(17);
	const std::vector<std::string> fields = {"w1", "w2", "w3",
		"(concat \"w\\0571\")", "[x", "[y", "[", "]", "", "w1"};
	auto entryText = [&](int length) {
		std::string text = "/";
		for (int n = length; n > 0; n--)
			text += fields[random() % fields.size()] + "/";
		return text;
	};
	for (int round = 0; round < 400; round++) {
		std::string text;
		for (int line = random() % 4; line > 0; line--)
			text += std::string(random() % 3 ? "k" : "j") + " "
				+ entryText(random() % 9) + "\n";
		NuvStaticDictionary dictionary;
		Load(dictionary, text);
		const std::string userText = entryText(random() % 6);
		const NuvEntry user(userText.c_str() + 1);

		for (const char* okurigana : {"", "x", "y", "z"}) {
			const nuv_candidate query{"k", okurigana, "", ""};
			NuvEntry merged;
			merged.Merge(user);
			merged.Merge(dictionary.FindEntry(query));
			std::vector<nuv_candidate> expected;
			merged.Fill(query, expected);

			NuvCandidateList found(query);
			dictionary.FindCandidates(query, user, found);
			ASSERT_EQ(expected, found.Items()) << text << "user " << userText
				<< " okurigana " << okurigana;
		}
	}
}
