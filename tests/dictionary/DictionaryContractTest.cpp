// One suite over both dictionaries through NuvDictionary, so that their
// look-ups cannot drift apart.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "NuvDynamicDictionary.h"
#include "NuvStaticDictionary.h"
#include "TestText.h"

namespace {

// EUC-JP text from the UTF-8 literals of this file.
constexpr auto Euc = &nuv_test::Utf8ToEuc;

template<typename Dictionary>
class DictionaryContract : public testing::Test {
protected:
	void SetUp() override
	{
		std::ifstream in(NUV_TEST_DATA_DIR "/dictionary/small.jisyo",
			std::ios::binary);
		ASSERT_TRUE(in.is_open());
		fDictionary.reset(new Dictionary);
		fDictionary->Read(in);
	}

	NuvEntry Find(const std::string& reading, const std::string& okuri = "",
		const std::string& okurigana = "")
	{
		nuv_candidate query;
		query.reading = Euc(reading);
		query.okuri = okuri;
		query.okurigana = Euc(okurigana);
		query.candidate = "ignored";
		return fDictionary->FindEntry(query);
	}

	std::unique_ptr<NuvDictionary> fDictionary;
};

typedef testing::Types<NuvStaticDictionary, NuvDynamicDictionary>
	Dictionaries;
TYPED_TEST_SUITE(DictionaryContract, Dictionaries);


std::list<std::string>
EucWords(std::initializer_list<const char*> words)
{
	std::list<std::string> result;
	for (const char* word : words)
		result.push_back(Euc(word));
	return result;
}

}	// namespace


TYPED_TEST(DictionaryContract, FindsOkuriAriAndOkuriNasiKeys)
{
	NuvEntry ari = this->Find("か", "k", "け");
	EXPECT_EQ(EucWords({"書", "描", "掻"}), ari.stems);
	EXPECT_EQ(EucWords({"書"}), ari.okuri_blocks[Euc("く")]);
	EXPECT_EQ(EucWords({"蚊"}), this->Find("か").stems);
	EXPECT_EQ(EucWords({"ＡＢＣ"}), this->Find("abc").stems);
}


TYPED_TEST(DictionaryContract, LinesOfOneKeyMergeIntoOneEntry)
{
	// the fixture holds かんじ twice and 漢字 in both lines
	EXPECT_EQ(EucWords({"漢字", "感じ", "幹事"}), this->Find("かんじ").stems);
}


TYPED_TEST(DictionaryContract, UnknownOrMalformedKeysGiveAnEmptyEntry)
{
	EXPECT_FALSE(this->Find("か", "t"));
	EXPECT_FALSE(this->Find("かん"));
	EXPECT_FALSE(this->Find("こわれ"));		// an empty field in the fixture
	EXPECT_FALSE(this->Find(""));
	// the fixture's last line has no line feed and still counts
	EXPECT_EQ(EucWords({"末"}), this->Find("すえ").stems);
}
