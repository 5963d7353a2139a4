// The learning user dictionary and its two-section file.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "NuvDynamicDictionary.h"
#include "TestText.h"

using namespace std::string_literals;

namespace {

// EUC-JP text from the UTF-8 literals of this file.
constexpr auto Euc = &nuv_test::Utf8ToEuc;

const std::string kAri = ";; okuri-ari entries.\n";
const std::string kNasi = ";; okuri-nasi entries.\n";


std::string
Written(NuvDynamicDictionary& dictionary)
{
	std::ostringstream out;
	dictionary.Write(out);
	return out.str();
}


void
Load(NuvDynamicDictionary& dictionary, const std::string& text)
{
	std::istringstream in(text);
	dictionary.Read(in);
}

}	// namespace


TEST(NuvDynamicDictionary, WritesBothHeadersAroundTheirSections)
{
	NuvDynamicDictionary dictionary;
	EXPECT_EQ(kAri + kNasi, Written(dictionary));
	dictionary.InsertCandidate({Euc("か"), Euc("く"), "k", Euc("書")});
	const std::string ari = kAri + Euc("かk /書/[く/書/]/\n");
	EXPECT_EQ(ari + kNasi, Written(dictionary));

	dictionary.InsertCandidate({Euc("かんじ"), "", "", Euc("漢字")});
	dictionary.InsertCandidate({"abc", "", "", "ABC"});
	EXPECT_EQ(ari + kNasi + "abc /ABC/\n" + Euc("かんじ /漢字/\n"),
		Written(dictionary));
}


TEST(NuvDynamicDictionary, ReadsMergedLinesAndPlainEditsAndKeepsTheRest)
{
	// Fault: lines the reader could not use were deleted at the next
	// write-back without a word, comments too.
	NuvDynamicDictionary dictionary;
	dictionary.InsertCandidate({"a", "", "", "old"});
	const std::string unusable =
		"c /[x/y/]/\n"			// only a block: no main word
		"d //e/\n"				// an empty field
		" /nokey/\n"			// an empty reading
		"e /[x/y/\n"			// a block never closed
		"f no separator\n"
		";; my notes\r\n";
	Load(dictionary, ";; top\n" + kAri + Euc("かaい /aい/\n") + kNasi
		+ "a /new/old/\nb /1/2/\n" + unusable + "b /2/3/1/\n");
	const std::string written = ";; top\n" + kAri + Euc("かいa /aい/\n")
		+ kNasi + "a /old/new/\nb /1/2/3/\n"
		+ NuvDynamicDictionary::kKeptLinesHeader + "\n" + unusable;
	EXPECT_EQ(written, Written(dictionary));
	EXPECT_EQ(7u, dictionary.CountKeptLines());

	// the kept lines stay where they were written, once each
	NuvDynamicDictionary back;
	Load(back, written);
	EXPECT_EQ(written, Written(back));

	// Hand-edited lines whose meaning is plain are read as meant. Fault:
	// they were dropped at write-back, and the one with two blanks became
	// an okuri-ari key (its second blank read as the okuri).
	NuvDynamicDictionary edited;
	Load(edited, Euc("さくら /桜\n"		// no final slash
		"きしゃ\t/記者/\n"						// a tab
		"つき　/月/\n"						// a full-width blank (A1 A1)
		"たいよう  /太陽/\r\n"					// two blanks, CR LF
		"1/2 /半/\n"								// a slash inside the key
		"かんじ/漢字/\n"));						// no blank: kept, not read
	EXPECT_EQ(Euc("かんじ/漢字/\n") + kAri + kNasi + Euc("1/2 /半/\n"
		"きしゃ /記者/\nさくら /桜/\nたいよう /太陽/\nつき /月/\n"),
		Written(edited));
}


TEST(NuvDynamicDictionary, KeysAreWrittenOnlyAsTheyReadBack)
{
	// Faults: a key holding a blank-slash or a line feed read back as
	// another key; a word learned under ";q" was left out (its line reads
	// as a comment). Such a key is written with one more backslash before
	// it; other backslashes and comments read as before.
	NuvDynamicDictionary dictionary;
	for (const std::string& reading : {"a /b"s, "x\nb"s, ""s, Euc("か") + "1",
			"a\0b"s, "good"s, "a\t/b"s, "trailing "s, ";q"s, "\\;q"s, "\\x"s,
			";"s, Euc("か") + "\x8f"})	// a cut character takes in the " /"
		dictionary.InsertCandidate({reading, "", "", "w"});
	const std::string written = Written(dictionary);
	EXPECT_EQ(kAri + kNasi + "\\; /w/\n\\;q /w/\n\\\\;q /w/\n\\x /w/\n"
		"good /w/\n", written);
	EXPECT_EQ(13u, dictionary.CountEntries());	// still offered meanwhile
	EXPECT_EQ(8u, dictionary.CountLeftOut());

	NuvDynamicDictionary back;
	Load(back, written + ";q /comment/\n");
	EXPECT_EQ(written + NuvDynamicDictionary::kKeptLinesHeader
		+ "\n;q /comment/\n", Written(back)) << "a comment stays";
	EXPECT_EQ(5u, back.CountEntries());
	EXPECT_EQ(1u, back.FindEntry({";q", "", "", ""}).stems.size());
}


TEST(NuvDynamicDictionary, RecordedChangesAppliedToAnotherFileKeepBothSessionsWords)
{
	NuvDynamicDictionary session;
	Load(session, kAri + kNasi + "k /old/\nz /gone/\n");
	session.InsertCandidate({"unrecorded", "", "", "u"});
	session.RecordChanges(true);
	session.InsertCandidate({"k", "", "", "mine"});
	session.RemoveCandidate({"z", "", "", "gone"});
	// a purge of a word this session never saw still counts
	session.RemoveCandidate({"w", "", "", "purged"});
	NuvDynamicDictionary::ChangeList changes;
	session.TakeChanges(changes);
	ASSERT_EQ(3u, changes.size());
	EXPECT_FALSE(session.HasChanges());

	// the file as another session left it meanwhile
	NuvDynamicDictionary merged;
	Load(merged, kAri + kNasi + "k /theirs/old/\nw /purged/kept/\n"
		"z /gone/\n");
	for (const auto& change : changes)
		merged.Apply(change);
	EXPECT_FALSE(merged.HasChanges());
	EXPECT_EQ(kAri + kNasi + "k /mine/theirs/old/\nw /kept/\n",
		Written(merged));

	// the session offers the merged words, with a later change on top
	session.InsertCandidate({"later", "", "", "l"});
	session.SwapContent(merged);
	session.TakeChanges(changes);
	session.Apply(changes.back());
	EXPECT_EQ(kAri + kNasi + "k /mine/theirs/old/\nlater /l/\nw /kept/\n",
		Written(session));
}
