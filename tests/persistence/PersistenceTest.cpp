// The user dictionary on the disk when the write-back cannot finish: the
// nuvim program killed in the middle of it, a file size limit, a full file
// system, a settings directory it may not write. Each leaves the former
// ".nuv-jisyo" whole and readable, and nuvim never exits 0 unless the new
// file is in place.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include "NuvDynamicDictionary.h"
#include "NuvStaticDictionary.h"
#include "NuvimProcess.h"
#include "TestText.h"
#include "TestFiles.h"


namespace fs = std::filesystem;

using Clock = std::chrono::steady_clock;


namespace {

const char* const kHeaders = ";; okuri-ari entries.\n;; okuri-nasi entries.\n";
const char* const kUserFile = ".nuv-jisyo";
const char* const kSavingInfix = ".nuvim-saving-";
// Learns 漢字 for かんじ: the small large dictionary offers it first.
const char* const kKeys = "Kanji <enter>";
const int kNobody = 65534;


std::string
Euc(const std::string& utf8)
{
	return nuv_test::Utf8ToEuc(utf8);
}


void
WriteFile(const std::string& path, const std::string& bytes)
{
	std::ofstream out(path, std::ios::binary | std::ios::trunc);
	out << bytes;
}


// A scratch directory holding "nuvim_settings" (named so that nuvim uses
// it as it is) with the tables and large dictionary of
// tests/data/persistence/settings. Whatever a test mounted inside is
// unmounted, and everything removed, at the end.
class ScratchSettings {
public:
	ScratchSettings()
	{
		char pattern[] = "/tmp/nuv-persistence-XXXXXX";
		if (mkdtemp(pattern) == NULL)
			abort();
		fRoot = pattern;
		// Other users may read it: a test runs nuvim as one.
		chmod(fRoot.c_str(), 0755);
		MakeSettings(fRoot);
	}

	~ScratchSettings()
	{
		for (auto mount = fMounts.rbegin(); mount != fMounts.rend(); ++mount)
			umount2(mount->c_str(), MNT_DETACH);
		std::error_code error;
		fs::remove_all(fRoot, error);
	}

	// Makes `parent`/nuvim_settings the settings directory, with copies of
	// the test settings.
	void MakeSettings(const std::string& parent)
	{
		fSettings = parent + "/nuvim_settings";
		fs::create_directory(fSettings);
		chmod(fSettings.c_str(), 0755);
		for (const fs::directory_entry& entry : fs::directory_iterator(
				NUV_TEST_DATA_DIR "/persistence/settings")) {
			fs::copy_file(entry.path(),
				fSettings + "/" + entry.path().filename().string());
		}
	}

	// Unmounted at the end.
	void Mounted(const std::string& path) { fMounts.push_back(path); }

	const std::string& Root() const { return fRoot; }
	const std::string& Settings() const { return fSettings; }
	std::string File(const std::string& name) const
		{ return fSettings + "/" + name; }
	std::string UserFile() const { return File(kUserFile); }

	// The names in the settings directory, sorted, less the lock file,
	// which the first save makes and every later one uses.
	std::vector<std::string> Names() const
	{
		std::vector<std::string> names;
		for (const fs::directory_entry& entry
				: fs::directory_iterator(fSettings)) {
			const std::string name = entry.path().filename().string();
			if (name != std::string(kUserFile) + ".lock")
				names.push_back(name);
		}
		std::sort(names.begin(), names.end());
		return names;
	}

	// The write-back's temporary files left in the settings directory
	// (".nuv-jisyo.nuvim-saving-" and six letters or digits, ".tmp").
	std::vector<std::string> Temporaries() const
	{
		const std::string prefix = std::string(kUserFile) + kSavingInfix;
		std::vector<std::string> names;
		for (const std::string& name : Names()) {
			if (name.size() == prefix.size() + 10
				&& name.compare(0, prefix.size(), prefix) == 0)
				names.push_back(name);
		}
		return names;
	}

private:
	std::string					fRoot;
	std::string					fSettings;
	std::vector<std::string>	fMounts;
};


// Byte for byte equality of two dictionary files, told by sizes and the
// first difference rather than by printing them whole.
testing::AssertionResult
SameBytes(const std::string& expected, const std::string& actual)
{
	if (expected == actual)
		return testing::AssertionSuccess();
	const auto difference = std::mismatch(expected.begin(), expected.end(),
		actual.begin(), actual.end());
	return testing::AssertionFailure() << actual.size()
		<< " bytes where " << expected.size() << " were expected, first"
		" differing at byte " << (difference.first - expected.begin());
}


// What the dictionary writes for `bytes` read back: equal to `bytes` for
// every file these tests expect, which proves it whole and readable.
std::string
Reloaded(const std::string& bytes, size_t* keys = NULL)
{
	NuvDynamicDictionary dictionary;
	std::istringstream in(bytes);
	dictionary.Read(in);
	std::ostringstream out;
	dictionary.Write(out);
	if (keys != NULL)
		*keys = dictionary.CountEntries();
	return out.str();
}


// A user dictionary file as the write-back makes it: `keys` okuri-nasi
// keys of three hiragana (never かんじ), two words each.
std::string
UserDictionaryOf(size_t keys)
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
	std::ostringstream out;
	dictionary.Write(out);
	return out.str();
}


// `before` once the run has learned 漢字 for かんじ.
std::string
AfterLearning(const std::string& before)
{
	NuvDynamicDictionary dictionary;
	std::istringstream in(before);
	dictionary.Read(in);
	nuv_candidate word;
	word.reading = Euc("かんじ");
	word.candidate = Euc("漢字");
	dictionary.InsertCandidate(word);
	std::ostringstream out;
	dictionary.Write(out);
	return out.str();
}


// The run typed its word, then told the truth about the lost save.
void
ExpectReportedNotSaved(const NuvimProcess& nuvim,
	const ScratchSettings& scratch)
{
	EXPECT_EQ(1, nuvim.ExitStatus()) << nuvim.Err();
	EXPECT_EQ("漢字\n\n", nuvim.Out());
	// The method's notice may say why (a save that failed at the end is
	// not shown any more), then the run says what was lost.
	EXPECT_THAT(nuvim.Err(), testing::MatchesRegex(
		"(nuvim: The user dictionary [^\n]*\n)?"
		"nuvim: the user dictionary was not saved to [^\n]*\n"));
	EXPECT_THAT(nuvim.Err(), testing::EndsWith(scratch.UserFile() + "\n"));
}


// Gives this test process mounts of its own, so that what a test mounts
// goes away with the process whatever happens. False, with the reason,
// where the system does not allow it.
bool
PrivateMounts(std::string& reason)
{
	static bool done = false;
	static std::string failure;
	if (!done) {
		done = true;
		if (unshare(CLONE_NEWNS) != 0)
			failure = std::string("unshare(CLONE_NEWNS): ") + strerror(errno);
		else if (mount(NULL, "/", NULL, MS_REC | MS_PRIVATE, NULL) != 0)
			failure = std::string("private mounts: ") + strerror(errno);
	}
	reason = failure;
	return failure.empty();
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
		if (fFd >= 0
			&& inotify_add_watch(fFd, directory.c_str(), IN_CREATE | IN_MODIFY
				| IN_CLOSE_WRITE | IN_MOVED_TO) < 0) {
			close(fFd);
			fFd = -1;
		}
	}

	~WriteWatch()
	{
		if (fFd >= 0)
			close(fFd);
	}

	bool IsValid() const { return fFd >= 0; }

	// Waits for the next write; false after `timeout`. `when` is the time
	// it was seen.
	bool WaitForWrite(Clock::duration timeout, Clock::time_point& when)
	{
		const Clock::time_point end = Clock::now() + timeout;
		while (!_Read(when)) {
			const Clock::time_point now = Clock::now();
			if (now >= end)
				return false;
			struct pollfd ready = {fFd, POLLIN, 0};
			poll(&ready, 1, static_cast<int>(
				std::chrono::duration_cast<std::chrono::milliseconds>(
					end - now).count()) + 1);
		}
		return true;
	}

	// The time the last of the writes not yet seen was seen; false when
	// there were none.
	bool LastWrite(Clock::time_point& when)
	{
		bool any = false;
		while (_Read(when))
			any = true;
		return any;
	}

private:
	bool _Read(Clock::time_point& when)
	{
		alignas(struct inotify_event) char buffer[4096];
		const ssize_t length = read(fFd, buffer, sizeof(buffer));
		if (length <= 0)
			return false;
		when = Clock::now();
		return true;
	}

	int					fFd;
};

}	// namespace


// Fault: nuvim exited 0 and said nothing when the user dictionary could not
// be written, so the user took words as saved that were lost. A file size
// limit one byte short of the new file fails the save; at the exact size it
// succeeds, with the new file byte for byte.
TEST(Persistence, SaveIsReportedOnlyWhenTheWholeFileFits)
{
	ScratchSettings scratch;
	const std::string before = kHeaders + Euc("あい /愛/\n");
	const std::string after = kHeaders + Euc("あい /愛/\nかんじ /漢字/\n");
	WriteFile(scratch.UserFile(), before);
	const std::vector<std::string> names = scratch.Names();

	ChildLimits limits;
	limits.fileSize = after.size() - 1;
	{
		NuvimProcess nuvim(scratch.Settings(), kKeys, limits);
		ASSERT_TRUE(nuvim.Started());
		nuvim.Wait();
		ExpectReportedNotSaved(nuvim, scratch);
	}
	EXPECT_EQ(before, ReadFile(scratch.UserFile()));
	EXPECT_EQ(names, scratch.Names()) << "the temporary file is left";

	limits.fileSize = after.size();
	{
		NuvimProcess nuvim(scratch.Settings(), kKeys, limits);
		ASSERT_TRUE(nuvim.Started());
		nuvim.Wait();
		EXPECT_EQ(0, nuvim.ExitStatus()) << nuvim.Err();
		EXPECT_EQ("", nuvim.Err());
		EXPECT_EQ("漢字\n\n", nuvim.Out());
		EXPECT_EQ(after, ReadFile(scratch.UserFile()));
		EXPECT_EQ(names, scratch.Names());
	}

	// Fault: an early save that succeeded made the run exit 0 although the
	// last one, at the end, failed: here the early save fits, and the last
	// one, which adds く, does not.
	WriteFile(scratch.UserFile(), before);
	NuvimProcess nuvim(scratch.Settings(), std::string(kKeys)
		+ "<deactivate><wait><activate>Ku ki<enter>", limits);
	ASSERT_TRUE(nuvim.Started());
	nuvim.Wait();
	EXPECT_EQ(1, nuvim.ExitStatus()) << nuvim.Err();
	EXPECT_EQ("漢字\nき\n", nuvim.Out());
	EXPECT_THAT(nuvim.Err(), testing::EndsWith("nuvim: the user dictionary"
		" was not saved to " + scratch.UserFile() + "\n"));
	EXPECT_EQ(after, ReadFile(scratch.UserFile()));
}


TEST(Persistence, FullFileSystemKeepsTheFormerDictionary)
{
	std::string reason;
	if (!PrivateMounts(reason))
		GTEST_SKIP() << "cannot mount a small file system here: " << reason;
	ScratchSettings scratch;
	const std::string disk = scratch.Root() + "/disk";
	fs::create_directory(disk);
	if (mount("nuv-full", disk.c_str(), "tmpfs", 0, "size=1m") != 0) {
		GTEST_SKIP() << "cannot mount a small file system here: "
			<< strerror(errno);
	}
	scratch.Mounted(disk);
	scratch.MakeSettings(disk);

	const std::string before = UserDictionaryOf(2000);
	const std::string after = AfterLearning(before);
	WriteFile(scratch.UserFile(), before);
	ASSERT_TRUE(SameBytes(before, ReadFile(scratch.UserFile())));

	// Fill the file system, then free less than the new file needs.
	const std::string filler = disk + "/filler";
	const int fd = open(filler.c_str(), O_WRONLY | O_CREAT, 0600);
	ASSERT_GE(fd, 0);
	const std::string block(4096, 'x');
	off_t size = 0;
	ssize_t written;
	while ((written = write(fd, block.data(), block.size())) > 0)
		size += written;
	EXPECT_EQ(ENOSPC, errno);
	const off_t freed = static_cast<off_t>(after.size() / 2 / 4096 * 4096);
	ASSERT_EQ(0, ftruncate(fd, size - freed));
	close(fd);
	const std::vector<std::string> names = scratch.Names();

	NuvimProcess nuvim(scratch.Settings(), kKeys);
	ASSERT_TRUE(nuvim.Started());
	nuvim.Wait();
	ExpectReportedNotSaved(nuvim, scratch);
	const std::string kept = ReadFile(scratch.UserFile());
	EXPECT_TRUE(SameBytes(before, kept));
	EXPECT_TRUE(SameBytes(before, Reloaded(kept)));
	EXPECT_EQ(names, scratch.Names()) << "the temporary file is left";
}


// The two ways a settings directory can refuse writes even to root: a
// read-only mount, and a user other than its owner.
TEST(Persistence, SettingsDirectoryThatRefusesWritesKeepsTheDictionary)
{
	const std::string before = UserDictionaryOf(50);
	bool ranOne = false;

	std::string reason;
	if (PrivateMounts(reason)) {
		SCOPED_TRACE("read-only mount");
		ScratchSettings scratch;
		WriteFile(scratch.UserFile(), before);
		const std::string settings = scratch.Settings();
		ASSERT_EQ(0, mount(settings.c_str(), settings.c_str(), NULL, MS_BIND,
			NULL)) << strerror(errno);
		scratch.Mounted(settings);
		ASSERT_EQ(0, mount(NULL, settings.c_str(), NULL,
			MS_BIND | MS_REMOUNT | MS_RDONLY, NULL)) << strerror(errno);
		ASSERT_NE(0, access(settings.c_str(), W_OK));

		NuvimProcess nuvim(settings, kKeys);
		ASSERT_TRUE(nuvim.Started());
		nuvim.Wait();
		ExpectReportedNotSaved(nuvim, scratch);
		EXPECT_TRUE(SameBytes(before, ReadFile(scratch.UserFile())));
		EXPECT_TRUE(SameBytes(before, Reloaded(ReadFile(scratch.UserFile()))));
		ranOne = true;
	}

	{
		// Fault: the save needed a new file in the directory, so the words
		// were lost although .nuv-jisyo itself could be written. It is now
		// rewritten in place, and a notice says why.
		SCOPED_TRACE("directory of another user, the file the user's own");
		ScratchSettings scratch;
		WriteFile(scratch.UserFile(), before);
		ChildLimits limits;
		if (geteuid() == 0) {
			// The directory stays root's (0755); nuvim runs as nobody.
			limits.user = kNobody;
			ASSERT_EQ(0, chown(scratch.UserFile().c_str(), kNobody, -1));
		} else
			chmod(scratch.Settings().c_str(), 0555);
		const std::vector<std::string> names = scratch.Names();

		NuvimProcess nuvim(scratch.Settings(), kKeys, limits);
		ASSERT_TRUE(nuvim.Started());
		nuvim.Wait();
		if (nuvim.ExitStatus() == NuvimProcess::kSetupFailed) {
			if (!ranOne)
				GTEST_SKIP() << "cannot refuse writes here: " << reason
					<< "; " << nuvim.Err();
		} else {
			EXPECT_EQ(0, nuvim.ExitStatus()) << nuvim.Err();
			EXPECT_EQ("nuvim: The settings directory takes no new file, so"
				" .nuv-jisyo is rewritten in place\n", nuvim.Err());
			EXPECT_TRUE(SameBytes(AfterLearning(before),
				ReadFile(scratch.UserFile())));
			EXPECT_EQ(names, scratch.Names());
		}
		chmod(scratch.Settings().c_str(), 0755);
	}
}


// A .nuv-jisyo that exists but cannot be read is kept at unload, so the
// words learned in the run are not saved: nuvim must say so.
TEST(Persistence, UnreadableDictionaryIsKeptAndTheRunSaysItWasNotSaved)
{
	ScratchSettings scratch;
	// A link to itself exists but cannot be opened, even by root.
	ASSERT_EQ(0, symlink(kUserFile, scratch.UserFile().c_str()));

	NuvimProcess nuvim(scratch.Settings(), kKeys);
	ASSERT_TRUE(nuvim.Started());
	nuvim.Wait();
	ExpectReportedNotSaved(nuvim, scratch);
	char target[64] = {};
	ASSERT_EQ(static_cast<ssize_t>(strlen(kUserFile)),
		readlink(scratch.UserFile().c_str(), target, sizeof(target) - 1));
	EXPECT_STREQ(kUserFile, target);
}


// Fault: a dictionary read from a directory took the end the directory
// reports (the largest file offset on ext4) for its size and died
// allocating it, so the method crashed at start-up when NUV-JISYO.L or
// .nuv-jisyo was a directory. Both now read as empty; the directory in
// place of .nuv-jisyo is left alone and the run says nothing was saved.
TEST(Persistence, SettingsFilesThatAreDirectoriesReadAsEmpty)
{
	ScratchSettings scratch;
	fs::remove(scratch.File("NUV-JISYO.L"));
	fs::create_directory(scratch.File("NUV-JISYO.L"));
	fs::create_directory(scratch.UserFile());
	{
		std::ifstream in(scratch.File("NUV-JISYO.L"), std::ios::binary);
		NuvStaticDictionary dictionary;
		dictionary.Read(in);
		EXPECT_EQ(0u, dictionary.CountItems());
	}
	{
		std::ifstream in(scratch.UserFile(), std::ios::binary);
		NuvDynamicDictionary dictionary;
		dictionary.Read(in);
		EXPECT_EQ(0u, dictionary.CountEntries());
	}

	NuvimProcess nuvim(scratch.Settings(), "ka");
	ASSERT_TRUE(nuvim.Started());
	nuvim.Wait();
	EXPECT_EQ(1, nuvim.ExitStatus()) << nuvim.Err();
	EXPECT_EQ("か\n", nuvim.Out());
	EXPECT_THAT(nuvim.Err(), testing::HasSubstr("is not a regular file"));
	EXPECT_THAT(nuvim.Err(), testing::EndsWith(
		"nuvim: the user dictionary was not saved to " + scratch.UserFile()
		+ "\n"));
	EXPECT_TRUE(fs::is_directory(scratch.UserFile()));
}


// nuvim is killed again and again: a third of the runs at once after its
// first write in the settings directory (as inotify shows it), a third at a
// random moment of a write-back as long as an undisturbed one, a third at
// any moment of the run. Every time .nuv-jisyo is either the former file or the
// new one, byte for byte; a run afterwards still saves.
TEST(Persistence, KillAtAnyMomentLeavesTheFormerOrTheNewFileWhole)
{
	const int kRuns = 24;
	const Clock::duration kPatience = std::chrono::seconds(30);
	ScratchSettings scratch;
	const std::string before = UserDictionaryOf(40000);
	const std::string after = AfterLearning(before);
	size_t keys = 0;
	ASSERT_TRUE(SameBytes(before, Reloaded(before, &keys)));
	ASSERT_EQ(40000u, keys);
	ASSERT_TRUE(SameBytes(after, Reloaded(after, &keys)));
	ASSERT_EQ(40001u, keys);

	// An undisturbed run: how long the write-back and the whole run take.
	WriteFile(scratch.UserFile(), before);
	Clock::duration writing;
	Clock::duration running;
	{
		WriteWatch watch(scratch.Settings());
		ASSERT_TRUE(watch.IsValid());
		const Clock::time_point start = Clock::now();
		NuvimProcess nuvim(scratch.Settings(), kKeys);
		ASSERT_TRUE(nuvim.Started());
		Clock::time_point first;
		ASSERT_TRUE(watch.WaitForWrite(kPatience, first));
		nuvim.Wait();
		running = Clock::now() - start;
		Clock::time_point last = first;
		watch.LastWrite(last);
		writing = std::max<Clock::duration>(last - first,
			std::chrono::microseconds(50));
		ASSERT_EQ(0, nuvim.ExitStatus()) << nuvim.Err();
		ASSERT_TRUE(SameBytes(after, ReadFile(scratch.UserFile())));
	}

	std::mt19937 random(20240601);
	int keptFormer = 0;
	int tookNew = 0;
	int midWrite = 0;
	for (int run = 0; run < kRuns; run++) {
		SCOPED_TRACE("run " + std::to_string(run));
		WriteFile(scratch.UserFile(), before);
		const bool duringWrite = run % 3 != 0;
		const bool atOnce = run % 3 == 1;

		WriteWatch watch(scratch.Settings());
		ASSERT_TRUE(watch.IsValid());
		Clock::time_point from = Clock::now();
		NuvimProcess nuvim(scratch.Settings(), kKeys);
		ASSERT_TRUE(nuvim.Started());
		Clock::duration span = running;
		if (duringWrite) {
			ASSERT_TRUE(watch.WaitForWrite(kPatience, from));
			span = atOnce ? Clock::duration(0) : writing;
		}
		std::uniform_int_distribution<long long> delay(0, span.count());
		std::this_thread::sleep_until(from + Clock::duration(delay(random)));
		nuvim.Kill();
		nuvim.Wait();

		const std::string now = ReadFile(scratch.UserFile());
		if (now == before) {
			keptFormer++;
			Clock::time_point ignored;
			if (nuvim.Killed() && (duringWrite || watch.LastWrite(ignored)))
				midWrite++;
		} else if (now == after)
			tookNew++;
		else {
			ADD_FAILURE() << ".nuv-jisyo is damaged: " << now.size()
				<< " bytes, neither the former " << before.size()
				<< " nor the new " << after.size();
		}
		if (!nuvim.Killed()) {
			EXPECT_EQ(0, nuvim.ExitStatus());
			EXPECT_TRUE(SameBytes(after, now));
		}
	}
	printf("[          ] %d runs: %d kept the former file (%d of them killed"
		" while writing), %d had the new one; write-back %lld us\n", kRuns,
		keptFormer, midWrite, tookNew, static_cast<long long>(
			std::chrono::duration_cast<std::chrono::microseconds>(writing)
				.count()));
	EXPECT_GE(midWrite, 1) << "no kill landed inside the write-back";

	// What the kills left behind does not stop the next save, which leaves
	// temporaries younger than a minute alone (FileSafety... has the old).
	WriteFile(scratch.UserFile(), before);
	const std::vector<std::string> stale = scratch.Temporaries();
	NuvimProcess nuvim(scratch.Settings(), kKeys);
	ASSERT_TRUE(nuvim.Started());
	nuvim.Wait();
	EXPECT_EQ(0, nuvim.ExitStatus()) << nuvim.Err();
	EXPECT_TRUE(SameBytes(after, ReadFile(scratch.UserFile())));
	EXPECT_EQ(stale, scratch.Temporaries());
}


namespace {

// Waits until `path` holds `text`; false after ten seconds.
bool
WaitUntilFileHolds(const std::string& path, const std::string& text)
{
	const Clock::time_point end = Clock::now() + std::chrono::seconds(10);
	while (ReadFile(path).find(text) == std::string::npos) {
		if (Clock::now() >= end)
			return false;
		std::this_thread::sleep_for(std::chrono::milliseconds(20));
	}
	return true;
}


mode_t
ModeOf(const std::string& path)
{
	struct stat status;
	return stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

}	// namespace


// Fault: two sessions on one settings directory each rewrote the file
// whole, so whichever quit last took away what the other had registered
// (120 of 120 registrations lost, both runs exiting 0).
TEST(Persistence, OverlappingSessionsKeepEachOthersRegistrations)
{
	ScratchSettings scratch;
	WriteFile(scratch.UserFile(), kHeaders + Euc("あい /愛/\n"));
	// Readings of three syllables, none of them かんじ; each session
	// registers its own, half before a pause that keeps both running.
	const char* const syllables[] = {"a", "i", "u", "ka", "ki", "ku"};
	const char* const kana[] = {"あ", "い", "う", "か", "き", "く"};
	std::string scripts[2];
	std::vector<std::string> lines[2];
	for (int session = 0; session < 2; session++) {
		for (int i = 0; i < 18; i++) {
			const int first = session * 3 + i / 6;
			std::string romaji = std::string(syllables[first])
				+ syllables[i % 6] + syllables[(i + 1) % 6];
			romaji[0] = toupper(romaji[0]);
			scripts[session] += romaji + " " + (session == 0 ? "ji" : "nn")
				+ "<enter>" + (i == 8 ? "<wait>" : "");
			lines[session].push_back(Euc(std::string(kana[first])
				+ kana[i % 6] + kana[(i + 1) % 6] + " /"
				+ (session == 0 ? "じ" : "ん") + "/\n"));
		}
	}
	NuvimProcess first(scratch.Settings(), scripts[0]);
	NuvimProcess second(scratch.Settings(), scripts[1]);
	ASSERT_TRUE(first.Started() && second.Started());
	first.Wait();
	second.Wait();
	EXPECT_EQ(0, first.ExitStatus()) << first.Err();
	EXPECT_EQ(0, second.ExitStatus()) << second.Err();

	const std::string now = ReadFile(scratch.UserFile());
	EXPECT_NE(std::string::npos, now.find(Euc("あい /愛/\n")));
	for (int session = 0; session < 2; session++) {
		for (const std::string& line : lines[session])
			EXPECT_NE(std::string::npos, now.find(line)) << session;
	}
	EXPECT_TRUE(SameBytes(now, Reloaded(now)));
}


// Fault: a line added with an editor while a session ran was gone after
// the session, and nothing reached the disk before the session ended.
// Now the save a few seconds after a change takes the edit in, the
// session offers the edited word from then on, and the end keeps both.
TEST(Persistence, EditDuringASessionIsMergedAndOfferedAfterTheEarlySave)
{
	ScratchSettings scratch;
	WriteFile(scratch.UserFile(), kHeaders);
	NuvimProcess nuvim(scratch.Settings(),
		"Kanji <enter><wait><wait><wait><wait><wait><wait><wait>Ai <enter>");
	ASSERT_TRUE(nuvim.Started());
	// after the load, before the save 5 s after the change
	std::this_thread::sleep_for(std::chrono::milliseconds(1000));
	const std::string edited = scratch.UserFile() + ".edit";
	WriteFile(edited, kHeaders + Euc("あい /愛/\n"));
	ASSERT_EQ(0, rename(edited.c_str(), scratch.UserFile().c_str()));
	nuvim.Wait();
	EXPECT_EQ(0, nuvim.ExitStatus()) << nuvim.Err();
	EXPECT_EQ("漢字\n愛\n\n", nuvim.Out());
	EXPECT_EQ(kHeaders + Euc("あい /愛/\nかんじ /漢字/\n"),
		ReadFile(scratch.UserFile()));
}


// Faults: after an early save the session offered only what .nuv-jisyo
// held, so a word learned under the abbreviation reading ";q" (its line
// read back as a comment) and the words of .nuv-jisyo.new were gone for the
// rest of the session. Both stay offered through two saves, and ";q" is
// saved in a form that reads back.
TEST(Persistence, WordsOfferedStayOfferedAfterEarlySaves)
{
	ScratchSettings scratch;
	WriteFile(scratch.UserFile(), kHeaders);
	WriteFile(scratch.File(".nuv-jisyo.new"), kHeaders + Euc("あい /愛/\n"));
	const std::string save = "<deactivate><wait><activate>";
	NuvimProcess nuvim(scratch.Settings(), "/;q ka<enter>" + save
		+ "Kanji <enter>" + save + "/;q <enter>Ai <enter>");
	ASSERT_TRUE(nuvim.Started());
	nuvim.Wait();
	EXPECT_EQ(0, nuvim.ExitStatus()) << nuvim.Err();
	EXPECT_EQ("か漢字\nか\n愛\n\n", nuvim.Out());
	EXPECT_EQ(kHeaders + Euc("\\;q /か/\nあい /愛/\nかんじ /漢字/\n"),
		ReadFile(scratch.UserFile()));
}


// Faults: a session killed (SIGKILL, a crash, power loss) lost everything
// learned since it started; then, while keys kept coming a second apart, a
// minute. Now what was learned five seconds before the kill is on the disk,
// however steady the typing.
TEST(Persistence, KillAfterTheEarlySaveKeepsWhatWasLearned)
{
	ScratchSettings scratch;
	WriteFile(scratch.UserFile(), kHeaders + Euc("あい /愛/\n"));
	std::string keys = kKeys;
	for (int i = 0; i < 15; i++)
		keys += "a<wait>";
	NuvimProcess nuvim(scratch.Settings(), keys);
	ASSERT_TRUE(nuvim.Started());
	EXPECT_TRUE(WaitUntilFileHolds(scratch.UserFile(), Euc("漢字")));
	nuvim.Kill();
	nuvim.Wait();
	EXPECT_TRUE(nuvim.Killed());
	EXPECT_EQ(AfterLearning(kHeaders + Euc("あい /愛/\n")),
		ReadFile(scratch.UserFile()));
}


// Fault: these lines were deleted at write-back without a word, and the one
// with two blanks moved into the okuri-ari section. The lines whose meaning
// is plain are offered; the others stay as they were.
TEST(Persistence, HandEditedLinesAreOfferedOrKeptVerbatim)
{
	ScratchSettings scratch;
	const std::string kept = Euc("くう/空/\n;; my notes\n");
	WriteFile(scratch.UserFile(), Euc(";; okuri-ari entries.\n"
		";; okuri-nasi entries.\nかき /柿\nきく\t/菊/\nあい　/愛/\n"
		"うかい  /鵜飼/\n") + kept);
	NuvimProcess nuvim(scratch.Settings(),
		"Kaki <enter>Kiku <enter>Ai <enter>Ukai <enter>");
	ASSERT_TRUE(nuvim.Started());
	nuvim.Wait();
	EXPECT_EQ(0, nuvim.ExitStatus()) << nuvim.Err();
	EXPECT_EQ("柿\n菊\n愛\n鵜飼\n\n", nuvim.Out());
	EXPECT_EQ(kHeaders + Euc("あい /愛/\nうかい /鵜飼/\nかき /柿/\n"
		"きく /菊/\n") + NuvDynamicDictionary::kKeptLinesHeader + "\n" + kept,
		ReadFile(scratch.UserFile()));
}


// Fault: a UTF-8 .nuv-jisyo was never offered and was made valid in
// neither encoding by the next save. Now a UTF-8 file is read and saved in
// EUC-JP, and the user is told; a file of mixed bytes is never rewritten,
// and the session's words go to .nuv-jisyo.new beside it.
TEST(Persistence, UserDictionaryInAnotherEncodingIsConvertedOrKept)
{
	{
		SCOPED_TRACE("UTF-8");
		ScratchSettings scratch;
		WriteFile(scratch.UserFile(), "あい /愛/\n");
		ChildLimits options;
		options.json = true;
		NuvimProcess nuvim(scratch.Settings(), "Ai <enter>Kanji <enter>",
			options);
		ASSERT_TRUE(nuvim.Started());
		nuvim.Wait();
		EXPECT_EQ(0, nuvim.ExitStatus()) << nuvim.Err();
		EXPECT_NE(std::string::npos, nuvim.Out().find("\"text\":\"愛\\n漢字\\n\""))
			<< nuvim.Out();
		EXPECT_NE(std::string::npos, nuvim.Out().find(
			"was read as UTF-8 and will be saved in EUC-JP"));
		EXPECT_EQ(kHeaders + Euc("あい /愛/\nかんじ /漢字/\n"),
			ReadFile(scratch.UserFile()));
	}
	{
		SCOPED_TRACE("mixed");
		ScratchSettings scratch;
		const std::string mixed = kHeaders + Euc("あい /愛/\n")
			+ "\xff\xfe /x/\n" + "い /胃/\n";
		WriteFile(scratch.UserFile(), mixed);
		NuvimProcess nuvim(scratch.Settings(), "Ai <enter>" + std::string(
			kKeys));
		ASSERT_TRUE(nuvim.Started());
		nuvim.Wait();
		EXPECT_EQ("愛\n漢字\n\n", nuvim.Out());
		EXPECT_EQ(1, nuvim.ExitStatus()) << "nothing saved to .nuv-jisyo";
		EXPECT_EQ(mixed, ReadFile(scratch.UserFile()));
		EXPECT_EQ(kHeaders + Euc("あい /愛/\nかんじ /漢字/\n"),
			ReadFile(scratch.File(".nuv-jisyo.new")));
	}
}


// Faults: under umask 077 a new .nuv-jisyo was readable by anyone; a
// dangling link counted as unreadable and nothing was saved; a save killed
// half-way left a temporary that no later run removed; the clean-up of
// temporaries removed the user's own ".nuv-jisyo.backup"; a .nuv-jisyo the
// user had made read-only was replaced.
TEST(Persistence, FileSafety)
{
	ChildLimits umask077;
	umask077.umask = 077;
	{
		SCOPED_TRACE("new file under umask 077");
		ScratchSettings scratch;
		NuvimProcess nuvim(scratch.Settings(), kKeys, umask077);
		ASSERT_TRUE(nuvim.Started());
		nuvim.Wait();
		EXPECT_EQ(0, nuvim.ExitStatus()) << nuvim.Err();
		EXPECT_EQ(0600u, ModeOf(scratch.UserFile()));
		EXPECT_EQ(0600u, ModeOf(scratch.UserFile() + ".lock"));
	}
	{
		SCOPED_TRACE("existing file keeps its mode; only a stale temporary"
			" goes");
		ScratchSettings scratch;
		WriteFile(scratch.UserFile(), kHeaders);
		chmod(scratch.UserFile().c_str(), 0640);
		const std::string saving = scratch.UserFile() + kSavingInfix;
		const std::string stale = saving + "a1B2c3.tmp";
		const std::string young = saving + "d4E5f6.tmp";
		const struct timeval old[2] = {{time(NULL) - 120, 0},
			{time(NULL) - 120, 0}};
		// the user's files, and what older versions left, stay
		for (const std::string& name : {stale, young,
				scratch.UserFile() + ".backup", scratch.UserFile() + ".202501",
				scratch.UserFile() + ".a1B2c3", saving + "a1B2c3.tmp~"}) {
			WriteFile(name, "words");
			if (name != young) {
				ASSERT_EQ(0, utimes(name.c_str(), old));
			}
		}
		std::vector<std::string> names = scratch.Names();
		names.erase(std::find(names.begin(), names.end(),
			std::string(kUserFile) + kSavingInfix + "a1B2c3.tmp"));
		NuvimProcess nuvim(scratch.Settings(), kKeys);
		ASSERT_TRUE(nuvim.Started());
		nuvim.Wait();
		EXPECT_EQ(0, nuvim.ExitStatus()) << nuvim.Err();
		EXPECT_EQ(0640u, ModeOf(scratch.UserFile()));
		EXPECT_EQ(names, scratch.Names());
	}
	{
		SCOPED_TRACE("a read-only file is left alone");
		ScratchSettings scratch;
		const std::string before = kHeaders + Euc("あい /愛/\n");
		WriteFile(scratch.UserFile(), before);
		chmod(scratch.UserFile().c_str(), 0444);
		NuvimProcess nuvim(scratch.Settings(), kKeys);
		ASSERT_TRUE(nuvim.Started());
		nuvim.Wait();
		EXPECT_EQ(1, nuvim.ExitStatus()) << "nothing saved to .nuv-jisyo";
		EXPECT_THAT(nuvim.Err(), testing::StartsWith("nuvim: The user"
			" dictionary .nuv-jisyo does not allow writing (mode 0444); it is"
			" left as it is, and new words are saved in .nuv-jisyo.new\n"));
		EXPECT_EQ(before, ReadFile(scratch.UserFile()));
		EXPECT_EQ(0444u, ModeOf(scratch.UserFile()));
		EXPECT_EQ(kHeaders + Euc("かんじ /漢字/\n"),
			ReadFile(scratch.File(".nuv-jisyo.new")));
	}
	{
		SCOPED_TRACE("dangling link");
		ScratchSettings scratch;
		const std::string target = scratch.Root() + "/words";
		ASSERT_EQ(0, symlink("../words", scratch.UserFile().c_str()));
		NuvimProcess nuvim(scratch.Settings(), kKeys, umask077);
		ASSERT_TRUE(nuvim.Started());
		nuvim.Wait();
		EXPECT_EQ(0, nuvim.ExitStatus()) << nuvim.Err();
		EXPECT_TRUE(fs::is_symlink(scratch.UserFile()));
		EXPECT_EQ(kHeaders + Euc("かんじ /漢字/\n"), ReadFile(target));
		EXPECT_EQ(0600u, ModeOf(target));
	}
	{
		// Fault: the loader blocked for ever opening a FIFO.
		SCOPED_TRACE("a FIFO is no file to replace");
		ScratchSettings scratch;
		ASSERT_EQ(0, mkfifo(scratch.UserFile().c_str(), 0600));
		NuvimProcess nuvim(scratch.Settings(), kKeys);
		ASSERT_TRUE(nuvim.Started());
		nuvim.Wait();
		EXPECT_EQ(1, nuvim.ExitStatus()) << "nothing saved to .nuv-jisyo";
		EXPECT_TRUE(fs::is_fifo(scratch.UserFile()));
		EXPECT_EQ(kHeaders + Euc("かんじ /漢字/\n"),
			ReadFile(scratch.File(".nuv-jisyo.new")));
	}
}
