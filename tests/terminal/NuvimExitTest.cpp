// Every way out of the nuvim program keeps the user's work: ending signals
// in batch mode and in a session on a pseudo terminal, a quit during a long
// load, no home directory, an unwritable standard output.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "NuvimProcess.h"
#include "Scratch.h"


namespace fs = std::filesystem;

using testing::EndsWith;
using testing::HasSubstr;


namespace {

// ううう /てすと/ in EUC-JP: the word the runs register.
const std::string kRegistered = "\xA4\xA6\xA4\xA6\xA4\xA6 /"
	"\xA4\xC6\xA4\xB9\xA4\xC8/";
const char* const kRegister = "Uuu tesuto";


// A scratch directory with a settings directory and a TMPDIR of its own.
class Scratch : public ScratchDirectory {
public:
	Scratch()
	{
		Settings("settings", kTestSettings);
		Settings("tmp");
	}

	std::string Settings() const { return File("settings"); }
	using ScratchDirectory::Settings;
	std::string Temporary() const { return File("tmp"); }
	bool TemporaryIsEmpty() const { return fs::is_empty(Temporary()); }
	std::string UserDictionary() const
		{ return ReadFile(Settings() + "/.nuv-jisyo"); }
	// nuvim in this TMPDIR, with or without a terminal.
	NuvimOptions Options(bool terminal = false) const
		{ return NuvimOptions({"TMPDIR=" + Temporary(), "LANG=C.UTF-8",
			"TERM=xterm"}, terminal); }
};

}	// namespace


// Faults: batch mode handled no signal, so the words registered were not
// saved and a /tmp/nuvim-XXXXXX directory stayed behind; the interactive
// session ignored SIGQUIT (nothing saved, the terminal left raw on the
// alternate screen). Now each ending signal ends either mode as its end
// does: the dictionary is saved, the document printed (a composition open
// at that moment, ▽かんじ, without its marker), the temporary directory
// removed, the terminal restored, and the status is 128 + the signal.
//
// Fault: a terminal that stopped reading held nuvim in write(), so that
// SIGTERM was not acted on until the reader came back. Now the output gives
// way and the process ends within about a second.
TEST(NuvimExit, EveryEndingSignalEndsARunAsItsEnd)
{
	for (const int signal : {SIGTERM, SIGINT, SIGHUP, SIGQUIT}) {
		SCOPED_TRACE("signal " + std::to_string(signal));
		Scratch scratch;
		const std::string script = scratch.File("long.keys");
		std::string keys = std::string(kRegister) + "<enter>";
		for (int i = 0; i < 20000; i++)
			keys += "aiueo<enter>\n";
		WriteFile(script, keys);
		NuvimProcess batch({"--settings", scratch.Settings(), "--json",
			"--script", script}, scratch.Options());
		// The transcript shows the registration confirmed and the keys
		// after it under way.
		ASSERT_TRUE(batch.WaitFor("{\"key\":\"i\"}")) << batch.Err();
		batch.Signal(signal);
		EXPECT_EQ(128 + signal, batch.Wait()) << batch.Err();
		EXPECT_EQ("", batch.Err());
		EXPECT_THAT(batch.Out(), HasSubstr("{\"text\":\"てすと"));
		EXPECT_THAT(batch.Out(), EndsWith("\n{\"unloaded\":true}\n"));
		EXPECT_THAT(scratch.UserDictionary(), HasSubstr(kRegistered));
		EXPECT_TRUE(scratch.TemporaryIsEmpty());

		Scratch again;
		NuvimProcess session({"--settings", again.Settings()},
			again.Options(true));
		ASSERT_TRUE(session.WaitFor("C-c quit")) << session.Screen();
		session.Type(std::string(kRegister) + "\rKanji");
		// じ is drawn once the last key has been taken.
		ASSERT_TRUE(session.WaitFor("じ")) << session.Screen();
		if (signal == SIGTERM) {
			// Every resize redraws the whole screen: far more than the
			// terminal holds once nobody reads it.
			session.Stall();
			for (int i = 0; i < 20; i++) {
				session.Resize(i % 2 == 0 ? 250 : 240, 80);
				usleep(20000);
			}
		}
		// A stalled write would wait for ever (here, until the timeout).
		EXPECT_LT(session.Signal(signal), 10.0);
		EXPECT_EQ(128 + signal, session.Wait()) << session.Err();
		EXPECT_EQ("てすとかんじ\n", session.Out());
		EXPECT_EQ("", session.Err());
		EXPECT_THAT(again.UserDictionary(), HasSubstr(kRegistered));
		EXPECT_TRUE(again.TemporaryIsEmpty());
		session.ExpectTerminalRestored();
	}
}


// C-c and SIGTERM during the load of a huge table used to act only once
// the load was over. Nothing can have been learned yet, so nuvim leaves at
// once: no dictionary is written (the load never finished), the temporary
// directory is gone and the empty document printed.
TEST(NuvimExit, QuitDuringALongLoadLeavesAtOnce)
{
	Scratch scratch;
	// A kana table slow to load.
	std::ofstream table(scratch.Settings() + "/roman_kana.table");
	for (int i = 0; i < 2000000; i++)
		table << "z" << i << " \xA4\xA2\n";
	table.close();
	NuvimProcess batch({"--settings", scratch.Settings(), "--keys", "ka"},
		scratch.Options());
	ASSERT_TRUE(batch.Until([&]() { return !scratch.TemporaryIsEmpty(); }));
	batch.Signal(SIGTERM);
	EXPECT_EQ(128 + SIGTERM, batch.Wait()) << batch.Err();
	EXPECT_EQ("\n", batch.Out());

	// What the batch run left would still be there after the session.
	NuvimProcess session({"--settings", scratch.Settings()},
		scratch.Options(true));
	// The alternate screen comes once the terminal is raw: control-C is
	// then a key, not the terminal's SIGINT.
	ASSERT_TRUE(session.WaitFor("\x1B[?1049h"));
	session.Type("\x03");
	EXPECT_EQ(0, session.Wait()) << session.Err();
	EXPECT_EQ("\n", session.Out());
	EXPECT_TRUE(scratch.TemporaryIsEmpty());
	EXPECT_FALSE(fs::exists(scratch.Settings() + "/.nuv-jisyo"));
	session.ExpectTerminalRestored();
}


// HOME unset put the settings in /tmp/.config/nuvim, shared with every
// user. Now the account's home from the password database stands in (its
// settings directory private, mode 0700), and without one nuvim refuses
// with one line and status 2.
TEST(NuvimExit, WithoutHomeTheAccountsHomeOrARefusal)
{
	const std::string wrapper = NSS_WRAPPER_LIBRARY;
	if (wrapper.empty())
		GTEST_SKIP() << "libnss-wrapper is not installed";
#if defined(__SANITIZE_THREAD__)
	GTEST_SKIP() << "the password-database stand-in unlocks mutexes that"
		" ThreadSanitizer reports";
#endif
	Scratch scratch;
	const std::string home = scratch.File("home");
	const std::string passwd = scratch.File("passwd");
	fs::create_directory(home);
	std::ofstream(scratch.File("group")) << "users:x:" << getgid() << ":\n";
	std::ofstream(passwd) << "me:x:" << getuid() << ":" << getgid()
		<< ":me:" << home << ":/bin/sh\n";
	NuvimOptions options({"-u", "XDG_CONFIG_HOME", "-u", "HOME",
		"LD_PRELOAD=" + wrapper, "NSS_WRAPPER_PASSWD=" + passwd,
		"NSS_WRAPPER_GROUP=" + scratch.File("group"),
		"ASAN_OPTIONS=verify_asan_link_order=0",
		"TMPDIR=" + scratch.Temporary()});
	{
		NuvimProcess child({"--keys", "ka"}, options);
		EXPECT_EQ(0, child.Wait()) << child.Err();
		EXPECT_EQ("か\n", child.Out());
	}
	struct stat status;
	ASSERT_EQ(0, stat((home + "/.config/nuvim").c_str(), &status));
	EXPECT_EQ(0700u, status.st_mode & 07777);
	EXPECT_TRUE(fs::exists(home + "/.config/nuvim/.nuv-jisyo"));

	// No entry for the account, and HOME naming a file.
	std::ofstream(passwd) << "other:x:" << getuid() + 1 << ":" << getgid()
		<< ":other:" << home << ":/bin/sh\n";
	options.environment.push_back("HOME=" + passwd);
	NuvimProcess child({"--keys", "ka"}, options);
	EXPECT_EQ(2, child.Wait());
	EXPECT_EQ("", child.Out());
	EXPECT_THAT(child.Err(), testing::MatchesRegex(
		"nuvim: no home directory[^\n]*\n"));
}


// Standard output that cannot be written lost the document without a word.
TEST(NuvimExit, UnwritableOutputIsSaid)
{
	Scratch scratch;
	NuvimOptions full = scratch.Options();
	full.output = "/dev/full";
	NuvimProcess child({"--settings", scratch.Settings(), "--keys",
		std::string(kRegister) + "<enter>"}, full);
	EXPECT_EQ(1, child.Wait());
	EXPECT_EQ("nuvim: cannot write to standard output: No space left on"
		" device\n", child.Err());
	EXPECT_THAT(scratch.UserDictionary(), HasSubstr(kRegistered));
}
