// The user dictionary's file: merges, encodings, modes, links, the lock, and
// the file beside it when the file itself must be left alone.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "NuvUserDictionaryFile.h"
#include "Scratch.h"
#include "TestText.h"


namespace fs = std::filesystem;

using testing::AnyOf;
using testing::ElementsAre;
using testing::HasSubstr;


namespace {

const std::string kHeaders = ";; okuri-ari entries.\n;; okuri-nasi entries.\n";


// EUC-JP text from the UTF-8 literals of this file.
constexpr auto Euc = &nuv_test::Utf8ToEuc;


NuvDynamicDictionary::Change
Learned(const std::string& reading, const std::string& word, bool add = true)
{
	NuvDynamicDictionary::Change change;
	change.candidate = {Euc(reading), "", "", Euc(word)};
	change.learned = add;
	return change;
}


// The words the dictionary offers for `reading`, in UTF-8, in order.
std::vector<std::string>
Words(NuvDynamicDictionary& dictionary, const std::string& reading)
{
	std::vector<std::string> words;
	for (const std::string& word
			: dictionary.FindEntry({Euc(reading), "", "", ""}).stems)
		words.push_back(nuv_test::EucToUtf8(word));
	return words;
}


class NuvUserDictionaryFileTest : public testing::Test {
protected:
	// A save of `changes` by the session; what it offers afterwards is
	// kept in fMerged.
	bool Save(const NuvDynamicDictionary::ChangeList& changes)
	{
		fMerged.reset(new NuvDynamicDictionary);
		return fFile.Save(changes, *fMerged, fNotices);
	}

	// What a session starting now is offered.
	std::unique_ptr<NuvDynamicDictionary> Load()
	{
		std::unique_ptr<NuvDynamicDictionary> loaded(new NuvDynamicDictionary);
		NuvUserDictionaryFile(fDirectory, nuv_test::Utf8ToEuc).Load(*loaded, fNotices);
		return loaded;
	}

	ScratchDirectory	fScratch;
	std::string			fDirectory = fScratch.Path() + "/";
	std::string			fPath = fScratch.File(".nuv-jisyo");
	NuvUserDictionaryFile fFile{fDirectory, nuv_test::Utf8ToEuc};
	std::unique_ptr<NuvDynamicDictionary> fMerged;
	std::vector<std::string> fNotices;
};

}	// namespace


// Two sessions each merge their changes into the file as it is now, in
// either encoding: neither loses the other's words, the later save wins a
// word both touched, and each is offered what the other added.
TEST_F(NuvUserDictionaryFileTest, SavesMergeIntoTheFileAsItIsNow)
{
	WriteFile(fPath, kHeaders + Euc("あい /愛/\n"));
	ASSERT_TRUE(Save({Learned("かんじ", "漢字"), Learned("あい", "愛", false)}));
	EXPECT_EQ(ReadFile(fPath), kHeaders + Euc("かんじ /漢字/\n"));
	// Another session, which knew nothing of the purge, learns it again.
	NuvUserDictionaryFile other(fDirectory, nuv_test::Utf8ToEuc);
	NuvDynamicDictionary merged;
	ASSERT_TRUE(other.Save({Learned("あい", "愛"), Learned("かんじ", "感じ")},
		merged, fNotices));
	EXPECT_EQ(ReadFile(fPath), kHeaders + Euc("あい /愛/\nかんじ /感じ/漢字/\n"));
	EXPECT_THAT(Words(merged, "かんじ"), ElementsAre("感じ", "漢字"));
	EXPECT_TRUE(fNotices.empty());
	EXPECT_THAT(Words(*Load(), "あい"), ElementsAre("愛"));

	// Fault: a UTF-8 file was never offered and the next save made it valid
	// in neither encoding. It is read, saved in EUC-JP, and the user told.
	WriteFile(fPath, "あい /愛/\n");
	ASSERT_TRUE(Save({Learned("かんじ", "漢字")}));
	EXPECT_EQ(ReadFile(fPath), kHeaders + Euc("あい /愛/\nかんじ /漢字/\n"));
	EXPECT_THAT(fNotices, ElementsAre(HasSubstr("was read as UTF-8")));
}


// A file of mixed bytes, one made read-only, one that cannot be read and
// anything that is not a regular file are never replaced: the words go to
// .nuv-jisyo.new, which later loads offer too. Faults: a FIFO blocked the
// loader for ever; a file the user had made read-only was replaced.
TEST_F(NuvUserDictionaryFileTest, FileThatMustBeLeftAloneSavesBesideIt)
{
	const std::string mixed = kHeaders + Euc("あい /愛/\n") + "\xff\xfe /x/\n";
	const std::string plain = kHeaders + Euc("あい /愛/\n");
	const std::string beside = fScratch.File(".nuv-jisyo.new");
	std::string written;
	const std::function<void()> makes[] = {
		[&]() { WriteFile(fPath, written = mixed); },
		[&]() {
			WriteFile(fPath, written = plain);
			chmod(fPath.c_str(), 0444);
		},
		[&]() { ASSERT_EQ(0, mkfifo(fPath.c_str(), 0600)); },
		[&]() { fs::create_directory(fPath); },
		// A link to itself exists but opens for no one, root included.
		[&]() { ASSERT_EQ(0, symlink(".nuv-jisyo", fPath.c_str())); },
	};
	for (const auto& make : makes) {
		std::error_code error;
		fs::remove_all(fPath, error);
		fs::remove(beside, error);
		make();
		fNotices.clear();
		Load();
		EXPECT_THAT(fNotices, ElementsAre(HasSubstr("new words are saved in")));

		EXPECT_TRUE(Save({}));
		EXPECT_FALSE(fs::exists(beside)) << "nothing to keep, nothing made";
		ASSERT_TRUE(Save({Learned("かんじ", "漢字")}));
		ASSERT_TRUE(Save({Learned("かんじ", "感じ")}));
		EXPECT_EQ(ReadFile(beside), kHeaders + Euc("かんじ /感じ/漢字/\n"));
		EXPECT_THAT(Words(*fMerged, "かんじ"), ElementsAre("感じ", "漢字"));
		if (fs::is_regular_file(fPath, error)) {
			EXPECT_EQ(ReadFile(fPath), written);
		}
		EXPECT_THAT(Words(*Load(), "かんじ"), ElementsAre("感じ", "漢字"));
	}
}


// Fault: a new file took its mode from the umask. New files, the lock and
// every temporary are 0600; an existing file keeps its mode; a dangling
// link's target is created. A temporary a cut-off save left is removed once
// a minute old; a younger one (a save still writing) stays. Fault: the
// clean-up also took the user's own ".nuv-jisyo.backup"-like files.
TEST_F(NuvUserDictionaryFileTest, NewFilesArePrivateAndOnlyStaleTemporariesGo)
{
	const std::string saving = fPath + ".nuvim-saving-";
	const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(2);
	for (const std::string& name : {saving + "a1B2c3.tmp",
			saving + "d4E5f6.tmp", fPath + ".backup", fPath + ".a1B2c3",
			saving + "a1B2c3.tmp~"}) {
		WriteFile(name, "words");
		if (name != saving + "d4E5f6.tmp")
			fs::last_write_time(name, old);
	}
	const mode_t saved = umask(0);
	ASSERT_TRUE(Save({Learned("かんじ", "漢字")}));
	EXPECT_EQ(fs::status(fPath).permissions(), fs::perms(0600));
	EXPECT_EQ(fs::status(fPath + ".lock").permissions(), fs::perms(0600));
	EXPECT_FALSE(fs::exists(saving + "a1B2c3.tmp"));
	for (const std::string& name : {saving + "d4E5f6.tmp", fPath + ".backup",
			fPath + ".a1B2c3", saving + "a1B2c3.tmp~"})
		EXPECT_TRUE(fs::exists(name)) << name;

	chmod(fPath.c_str(), 0640);
	ASSERT_TRUE(Save({Learned("あい", "愛")}));
	EXPECT_EQ(fs::status(fPath).permissions(), fs::perms(0640));

	fs::remove(fPath);
	fs::create_directory(fScratch.File("elsewhere"));
	ASSERT_EQ(0, symlink("elsewhere/words", fPath.c_str()));
	ASSERT_TRUE(Save({Learned("かんじ", "漢字")}));
	umask(saved);
	EXPECT_TRUE(fs::is_symlink(fPath));
	EXPECT_EQ(ReadFile(fScratch.File("elsewhere/words")),
		kHeaders + Euc("かんじ /漢字/\n"));
	EXPECT_EQ(fs::status(fScratch.File("elsewhere/words")).permissions(),
		fs::perms(0600));
	EXPECT_TRUE(fs::exists(fScratch.File("elsewhere/words.lock")));
}


// A save waits for another's lock and reads the file only then; a lock
// that is never released holds it up for a bounded time, after which the
// save goes on (the rename keeps the file whole all the same).
TEST_F(NuvUserDictionaryFileTest, SavesWaitForTheLockAndFailuresKeepTheFile)
{
	WriteFile(fPath, kHeaders);
	const int lock = open((fPath + ".lock").c_str(), O_RDWR | O_CREAT, 0600);
	ASSERT_GE(lock, 0);
	ASSERT_EQ(0, flock(lock, LOCK_EX));
	std::thread other([&]() {
		std::this_thread::sleep_for(std::chrono::milliseconds(200));
		WriteFile(fPath, kHeaders + Euc("あい /愛/\n"));
		flock(lock, LOCK_UN);
	});
	ASSERT_TRUE(Save({Learned("かんじ", "漢字")}));
	other.join();
	EXPECT_EQ(ReadFile(fPath), kHeaders + Euc("あい /愛/\nかんじ /漢字/\n"));

	ASSERT_EQ(0, flock(lock, LOCK_EX));
	ASSERT_TRUE(Save({Learned("かんじ", "感じ")}));
	EXPECT_EQ(ReadFile(fPath), kHeaders + Euc("あい /愛/\nかんじ /感じ/漢字/\n"));
	close(lock);

	// A save that cannot write the whole file (a size limit here, as a full
	// disk would) keeps the file whole, removes its temporary and says it
	// failed, once, naming the file.
	const std::string before = kHeaders + Euc("あい /愛/\n");
	WriteFile(fPath, before);
	struct rlimit saved;
	ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &saved));
	struct rlimit limit = saved;
	limit.rlim_cur = before.size() + 4;
	void (*action)(int) = signal(SIGXFSZ, SIG_IGN);
	ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &limit));
	const bool first = Save({Learned("かんじ", "漢字")});
	const bool second = Save({Learned("かんじ", "漢字")});
	setrlimit(RLIMIT_FSIZE, &saved);
	signal(SIGXFSZ, action);

	EXPECT_FALSE(first);
	EXPECT_FALSE(second);
	EXPECT_EQ(ReadFile(fPath), before);
	for (const fs::directory_entry& entry
			: fs::directory_iterator(fScratch.Path())) {
		EXPECT_THAT(entry.path().filename().string(),
			AnyOf(".nuv-jisyo", ".nuv-jisyo.lock")) << "the temporary is left";
	}
	EXPECT_THAT(fNotices,
		ElementsAre(HasSubstr("could not be saved to .nuv-jisyo")));
}
