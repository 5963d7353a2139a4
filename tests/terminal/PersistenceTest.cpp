// The user dictionary on the disk with the real nuvim program: kills, an
// edit made while it runs, and saves that cannot finish. The file code
// itself is tested directly (NuvUserDictionaryFileTest.cpp).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include "NuvDynamicDictionary.h"
#include "NuvimProcess.h"
#include "Scratch.h"
#include "TestText.h"


using Clock = std::chrono::steady_clock;


namespace {

const std::string kHeaders = ";; okuri-ari entries.\n;; okuri-nasi entries.\n";
// Learns 漢字 for かんじ: the small large dictionary offers it first.
const char* const kKeys = "Kanji <enter>";


std::string
Euc(const std::string& utf8)
{
	return nuv_test::Utf8ToEuc(utf8);
}


// A scratch directory holding "nuvim_settings" (named so that nuvim uses it
// as it is), a copy of tests/data/persistence/settings.
struct ScratchSettings : ScratchDirectory {
	const std::string settings = ScratchDirectory::Settings("nuvim_settings",
		NUV_TEST_DATA_DIR "/persistence/settings");
	const std::string userFile = settings + "/.nuv-jisyo";

	// The arguments of a batch run over these settings.
	std::vector<std::string> Keys(const std::string& keys) const
		{ return {"--settings", settings, "--keys", keys}; }
};


// A user dictionary file as the write-back makes it: `keys` okuri-nasi keys
// of three hiragana (never かんじ), two words each; then 漢字 for かんじ once
// the run has `learned` it.
std::string
UserDictionaryOf(size_t keys, bool learned = false)
{
	// あ (A4 A2) to ん (A4 F3), the hiragana that the kana table types.
	const int kFirst = 0xA2;
	const int kCount = 0xF3 - kFirst + 1;
	NuvDynamicDictionary dictionary;
	for (size_t i = 0; i < keys; i++) {
		nuv_candidate word;
		for (size_t rest = i, n = 0; n < 3; n++, rest /= kCount) {
			word.reading.insert(0, 1, static_cast<char>(0xA4));
			word.reading.insert(1, 1,
				static_cast<char>(kFirst + rest % kCount));
		}
		word.candidate = Euc("言") + std::to_string(i);
		dictionary.InsertCandidate(word);
		word.candidate = Euc("語") + std::to_string(i);
		dictionary.InsertCandidate(word);
	}
	if (learned)
		dictionary.InsertCandidate({Euc("かんじ"), "", "", Euc("漢字")});
	std::ostringstream out;
	dictionary.Write(out);
	return out.str();
}


// Writes in the settings directory, through inotify: a file created,
// modified, closed after writing or renamed into it. Only the write-back
// writes there while nuvim runs (its output goes to pipes), so the first
// such event marks the start of the write-back, however it goes about it.
class WriteWatch {
public:
	explicit WriteWatch(const std::string& directory)
		:
		fFd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
	{
		EXPECT_LE(0, inotify_add_watch(fFd, directory.c_str(), IN_CREATE
			| IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO)) << directory;
	}

	~WriteWatch() { close(fFd); }

	// Waits up to `milliseconds` for writes not yet seen; false when none
	// came. `when` is the time they were seen.
	bool Next(int milliseconds, Clock::time_point& when)
	{
		alignas(struct inotify_event) char buffer[4096];
		struct pollfd ready = {fFd, POLLIN, 0};
		if (poll(&ready, 1, milliseconds) <= 0
			|| read(fFd, buffer, sizeof(buffer)) <= 0)
			return false;
		when = Clock::now();
		return true;
	}

private:
	int					fFd;
};

}	// namespace


// nuvim is killed again and again: half the runs at once after its first
// write in the settings directory (as inotify shows it), half at a random
// moment of a write-back as long as an undisturbed one. Each time
// .nuv-jisyo is the former file or the new one, byte for byte; a run
// afterwards still saves.
TEST(Persistence, KillAtAnyMomentLeavesTheFormerOrTheNewFileWhole)
{
	const int kRuns = 16;
	const int kPatience = 30000;	// milliseconds
	ScratchSettings scratch;
	const std::string before = UserDictionaryOf(40000);
	const std::string after = UserDictionaryOf(40000, true);

	// An undisturbed run: what it saves (compared, not printed: the files
	// are large), and how long the write-back takes.
	const auto undisturbed = [&]() {
		WriteFile(scratch.userFile, before);
		WriteWatch watch(scratch.settings);
		NuvimProcess nuvim(scratch.Keys(kKeys));
		Clock::time_point first;
		EXPECT_TRUE(watch.Next(kPatience, first));
		EXPECT_EQ(0, nuvim.Wait()) << nuvim.Err();
		Clock::time_point last = first;
		while (watch.Next(0, last))
			continue;
		EXPECT_TRUE(after == ReadFile(scratch.userFile));
		return std::max<Clock::duration>(last - first,
			std::chrono::microseconds(50));
	};
	const Clock::duration writing = undisturbed();

	std::mt19937 random(20240601);
	int midWrite = 0;
	for (int run = 0; run < kRuns; run++) {
		SCOPED_TRACE("run " + std::to_string(run));
		WriteFile(scratch.userFile, before);
		WriteWatch watch(scratch.settings);
		NuvimProcess nuvim(scratch.Keys(kKeys));
		Clock::time_point from;
		ASSERT_TRUE(watch.Next(kPatience, from));
		std::uniform_int_distribution<long long> delay(0,
			run % 2 == 0 ? 0 : writing.count());
		std::this_thread::sleep_until(from + Clock::duration(delay(random)));
		nuvim.Signal(SIGKILL);
		EXPECT_TRUE(nuvim.Killed() || nuvim.ExitStatus() == 0)
			<< nuvim.ExitStatus();

		const std::string now = ReadFile(scratch.userFile);
		EXPECT_TRUE(now == before || now == after) << ".nuv-jisyo is damaged: "
			<< now.size() << " bytes, neither the former " << before.size()
			<< " nor the new " << after.size();
		midWrite += now == before && nuvim.Killed();
	}
	EXPECT_GE(midWrite, 1) << "no kill landed inside a write-back of "
		<< std::chrono::duration_cast<std::chrono::microseconds>(writing)
			.count() << " us";

	// What the kills left behind does not stop the next save.
	undisturbed();
}


// Faults: a session killed (SIGKILL, a crash, power loss) lost everything
// learned since it started; then, while keys kept coming a second apart, a
// minute. Now what was learned five seconds before the kill is on the disk,
// however steady the typing.
TEST(Persistence, KillAfterTheEarlySaveKeepsWhatWasLearned)
{
	ScratchSettings scratch;
	WriteFile(scratch.userFile, kHeaders + Euc("あい /愛/\n"));
	std::string keys = kKeys;
	for (int i = 0; i < 15; i++)
		keys += "a<wait>";
	NuvimProcess nuvim(scratch.Keys(keys));
	EXPECT_TRUE(nuvim.Until([&]() {
		return ReadFile(scratch.userFile).find(Euc("漢字"))
			!= std::string::npos;
	}));
	nuvim.Signal(SIGKILL);
	EXPECT_TRUE(nuvim.Killed());
	EXPECT_EQ(kHeaders + Euc("あい /愛/\nかんじ /漢字/\n"),
		ReadFile(scratch.userFile));
}


// Faults: a line added with an editor while a session ran was gone after
// the session, and nothing reached the disk before the session ended; after
// an early save the session offered only what .nuv-jisyo held, so the words
// of .nuv-jisyo.new and one learned under the abbreviation reading ";q"
// (its line read back as a comment) were gone. The save a few seconds after
// a change takes the edit in, all three words stay offered, and ";q" is
// saved in a form that reads back.
TEST(Persistence, EditDuringASessionIsMergedAndEverythingStaysOffered)
{
	ScratchSettings scratch;
	WriteFile(scratch.userFile, kHeaders);
	WriteFile(scratch.settings + "/.nuv-jisyo.new",
		kHeaders + Euc("あい /愛/\n"));
	NuvimProcess nuvim(scratch.Keys("/;q ka<enter>Kanji <enter><wait><wait>"
		"<wait><wait><wait><wait><wait>/;q <enter>Ai <enter>Ii <enter>"));
	// after the load, before the save 5 s after the change
	std::this_thread::sleep_for(std::chrono::milliseconds(1000));
	const std::string edited = scratch.userFile + ".edit";
	WriteFile(edited, kHeaders + Euc("いい /良い/\n"));
	ASSERT_EQ(0, rename(edited.c_str(), scratch.userFile.c_str()));
	EXPECT_EQ(0, nuvim.Wait()) << nuvim.Err();
	EXPECT_EQ("か漢字\nか\n愛\n良い\n\n", nuvim.Out());
	EXPECT_EQ(kHeaders + Euc("\\;q /か/\nあい /愛/\nいい /良い/\n"
		"かんじ /漢字/\n"), ReadFile(scratch.userFile));
}


// Fault: nuvim exited 0 and said nothing when the user dictionary could not
// be written, so the user took words as saved that were lost; an early save
// that succeeded made it exit 0 although the last one failed. Here a file
// size limit lets the early save fit and not the last one, which adds く.
TEST(Persistence, FailedLastSaveIsReportedAfterAnEarlySave)
{
	ScratchSettings scratch;
	const std::string after = kHeaders + Euc("あい /愛/\nかんじ /漢字/\n");
	WriteFile(scratch.userFile, kHeaders + Euc("あい /愛/\n"));
	NuvimOptions limits;
	limits.fileSize = after.size();
	NuvimProcess nuvim(scratch.Keys(std::string(kKeys)
		+ "<deactivate><wait><activate>Ku ki<enter>"), limits);
	EXPECT_EQ(1, nuvim.Wait()) << nuvim.Err();
	EXPECT_EQ("漢字\nき\n", nuvim.Out());
	EXPECT_THAT(nuvim.Err(), testing::EndsWith("nuvim: the user dictionary"
		" was not saved to " + scratch.userFile + "\n"));
	EXPECT_EQ(after, ReadFile(scratch.userFile));
}


// Fault: the save needed a new file in the directory, so the words were
// lost although .nuv-jisyo itself could be written. It is now rewritten in
// place, and a notice says why.
TEST(Persistence, DirectoryThatTakesNoNewFileGetsTheFileRewrittenInPlace)
{
	ScratchSettings scratch;
	WriteFile(scratch.userFile, UserDictionaryOf(50));
	NuvimOptions limits;
	if (geteuid() == 0) {
		// The directory stays root's (0755); nuvim runs as nobody.
		limits.user = 65534;
		chmod(scratch.Path().c_str(), 0755);
		ASSERT_EQ(0, chown(scratch.userFile.c_str(), 65534, -1));
	} else
		chmod(scratch.settings.c_str(), 0555);

	NuvimProcess nuvim(scratch.Keys(kKeys), limits);
	if (nuvim.Wait() == NuvimProcess::kSetupFailed)
		GTEST_SKIP() << "cannot refuse writes here: " << nuvim.Err();
	EXPECT_EQ(0, nuvim.ExitStatus()) << nuvim.Err();
	EXPECT_EQ("nuvim: The settings directory takes no new file, so"
		" .nuv-jisyo is rewritten in place\n", nuvim.Err());
	EXPECT_EQ(UserDictionaryOf(50, true), ReadFile(scratch.userFile));
	chmod(scratch.settings.c_str(), 0755);
}
