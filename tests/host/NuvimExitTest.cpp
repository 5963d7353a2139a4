// Every way out of the nuvim program keeps the user's work: ending signals
// in batch mode and in the terminal session, a terminal that stops reading,
// a quit during a long load, no home directory, an unwritable standard
// output, a missing TMPDIR. Runs the built program as a child, in a pseudo
// terminal of the test's own where the session needs one.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "TestFiles.h"


namespace fs = std::filesystem;
typedef std::chrono::steady_clock Clock;


namespace {

const std::string kTestSettings = NUV_TEST_DATA_DIR "/frontend/settings";
// Generous: a sanitizer build on a loaded machine.
const std::chrono::seconds kTimeout(60);
// ううう /てすと/ in EUC-JP: the word the runs register.
const std::string kRegistered = "\xA4\xA6\xA4\xA6\xA4\xA6 /"
	"\xA4\xC6\xA4\xB9\xA4\xC8/";
const char* const kRegister = "Uuu tesuto";


// A scratch directory with a settings directory and a TMPDIR of its own.
class Scratch {
public:
	Scratch()
	{
		char pattern[] = "/tmp/nuvim-exit-XXXXXX";
		if (mkdtemp(pattern) == NULL)
			abort();
		fPath = pattern;
		fs::create_directory(Temporary());
		fs::create_directory(Settings());
		for (const char* file : {"roman_kana.table", "roman_zennei.table",
				"control_key.table", "NUV-JISYO.L"})
			fs::copy_file(kTestSettings + "/" + file, Settings() + "/" + file);
	}

	~Scratch()
	{
		std::error_code error;
		fs::remove_all(fPath, error);
	}

	const std::string& Path() const { return fPath; }
	std::string Settings() const { return fPath + "/settings"; }
	std::string Temporary() const { return fPath + "/tmp"; }
	bool TemporaryIsEmpty() const { return fs::is_empty(Temporary()); }
	std::string UserDictionary() const
		{ return ReadFile(Settings() + "/.nuv-jisyo"); }

private:
	std::string	fPath;
};


// nuvim as a child: its standard output and error read as they come, and
// with `terminal`, a pseudo terminal as its controlling terminal and
// standard input, whose output is read too until Stall().
class Child {
public:
	// `environment` holds env(1) arguments: NAME=value, or -u NAME.
	Child(const std::vector<std::string>& arguments,
		const std::vector<std::string>& environment, bool terminal,
		const char* output = NULL)
	{
		std::vector<std::string> argv = {"/usr/bin/env"};
		argv.insert(argv.end(), environment.begin(), environment.end());
		argv.push_back(NUVIM_PROGRAM);
		argv.insert(argv.end(), arguments.begin(), arguments.end());
		std::vector<char*> args;
		for (std::string& argument : argv)
			args.push_back(&argument[0]);
		args.push_back(NULL);

		int out[2];
		int err[2];
		if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
			abort();
		std::string slaveName;
		if (terminal) {
			fMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
			if (fMaster < 0 || grantpt(fMaster) != 0
				|| unlockpt(fMaster) != 0)
				abort();
			slaveName = ptsname(fMaster);
			Resize(80, 24);
			fSlave = open(slaveName.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
			tcgetattr(fSlave, &fInitial);
		}
		const int target = output != NULL
			? open(output, O_WRONLY | O_CLOEXEC) : out[1];

		fPid = fork();
		if (fPid == 0) {
			setsid();
			int in = open("/dev/null", O_RDONLY);
			if (terminal) {
				in = open(slaveName.c_str(), O_RDWR);
				ioctl(in, TIOCSCTTY, 0);
			}
			dup2(in, STDIN_FILENO);
			dup2(target, STDOUT_FILENO);
			dup2(err[1], STDERR_FILENO);
			execv(args[0], args.data());
			_exit(127);
		}
		close(out[1]);
		close(err[1]);
		if (output != NULL)
			close(target);
		fOut = out[0];
		fErr = err[0];
		fReader = std::thread([this]() { _Read(); });
	}

	~Child()
	{
		if (!fEnded)
			kill(fPid, SIGKILL);
		Wait();
		for (int fd : {fMaster, fSlave})
			if (fd >= 0)
				close(fd);
	}

	// Waits until `part` has come on the terminal (or standard output
	// when there is no terminal).
	bool WaitFor(const std::string& part)
	{
		return Until([&]() {
			std::lock_guard<std::mutex> lock(fLock);
			return (fMaster >= 0 ? fScreen : fStdout).find(part)
				!= std::string::npos;
		});
	}

	// Waits until `condition` holds; false after the timeout.
	bool Until(const std::function<bool()>& condition)
	{
		const Clock::time_point deadline = Clock::now() + kTimeout;
		while (Clock::now() < deadline) {
			if (condition())
				return true;
			usleep(5000);
		}
		return false;
	}

	void Type(const std::string& bytes)
	{
		ssize_t written = write(fMaster, bytes.data(), bytes.size());
		(void)written;
	}

	void Resize(int columns, int rows)
	{
		struct winsize size = {};
		size.ws_col = columns;
		size.ws_row = rows;
		ioctl(fMaster, TIOCSWINSZ, &size);
	}

	// From now on nobody reads the terminal.
	void Stall() { fStalled = true; }

	// Sends `signal`; returns how long the child took to end after it.
	double Signal(int signal)
	{
		const Clock::time_point sent = Clock::now();
		kill(fPid, signal);
		Wait();
		return std::chrono::duration<double>(Clock::now() - sent).count();
	}

	// Waits for the end (killing the child after the timeout).
	int Wait()
	{
		if (!fEnded) {
			if (!Until([this]() { return _Reaped(); })) {
				kill(fPid, SIGKILL);
				while (!_Reaped())
					usleep(1000);
			}
			fEnded = true;
		}
		if (fReader.joinable())
			fReader.join();
		return fStatus;
	}

	// After Wait().
	std::string Out() { std::lock_guard<std::mutex> l(fLock); return fStdout; }
	std::string Err() { std::lock_guard<std::mutex> l(fLock); return fStderr; }
	std::string Screen()
		{ std::lock_guard<std::mutex> l(fLock); return fScreen; }

	// The terminal is as the session found it: line editing, echo and
	// signals back, the alternate screen left and the cursor shown.
	void ExpectTerminalRestored()
	{
		struct termios now;
		ASSERT_EQ(0, tcgetattr(fSlave, &now));
		EXPECT_EQ(fInitial.c_lflag, now.c_lflag);
		EXPECT_EQ(fInitial.c_iflag, now.c_iflag);
		const std::string screen = Screen();
		const size_t left = screen.rfind("\x1B[?1049l");
		EXPECT_NE(std::string::npos, left);
		EXPECT_LT(screen.rfind("\x1B[?1049h"), left);
		EXPECT_LT(screen.rfind("\x1B[?25l"), screen.rfind("\x1B[?25h"));
	}

private:
	bool _Reaped()
	{
		int status;
		if (waitpid(fPid, &status, WNOHANG) != fPid)
			return false;
		fStatus = WIFEXITED(status) ? WEXITSTATUS(status)
			: 1000 + WTERMSIG(status);
		return true;
	}

	void _Read()
	{
		int open = 2;
		while (open > 0) {
			struct pollfd sources[3] = {{fOut, POLLIN, 0}, {fErr, POLLIN, 0},
				{fStalled ? -1 : fMaster, POLLIN, 0}};
			if (poll(sources, 3, 20) <= 0)
				continue;
			std::string* texts[3] = {&fStdout, &fStderr, &fScreen};
			for (int i = 0; i < 3; i++) {
				if (sources[i].fd < 0 || sources[i].revents == 0)
					continue;
				char buffer[65536];
				const ssize_t count = read(sources[i].fd, buffer,
					sizeof(buffer));
				if (count > 0) {
					std::lock_guard<std::mutex> lock(fLock);
					texts[i]->append(buffer, static_cast<size_t>(count));
				} else if (i < 2) {
					close(sources[i].fd);
					(i == 0 ? fOut : fErr) = -1;
					open--;
				}
			}
		}
	}

	pid_t				fPid = -1;
	int					fOut = -1;
	int					fErr = -1;
	int					fMaster = -1;
	int					fSlave = -1;
	struct termios		fInitial = {};
	std::atomic<bool>	fStalled{false};
	bool				fEnded = false;
	int					fStatus = -1;
	std::mutex			fLock;
	std::string			fStdout;
	std::string			fStderr;
	std::string			fScreen;
	std::thread			fReader;
};


std::vector<std::string>
Environment(const Scratch& scratch)
{
	return {"TMPDIR=" + scratch.Temporary(), "LANG=C.UTF-8"};
}


// A roman_kana.table of `entries` lines, slow to load.
void
WriteLargeTable(const std::string& path, int entries)
{
	std::ofstream table(path, std::ios::binary);
	std::string key = "zaaaaa";
	for (int i = 0; i < entries; i++) {
		table << key << " \xA4\xA2\n";
		for (size_t at = key.size() - 1; at > 0; at--) {
			if (++key[at] <= 'z')
				break;
			key[at] = 'a';
		}
	}
}

const int kEndingSignals[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT};

}	// namespace


// Batch mode used to handle no signal: the words registered were not saved
// and a /tmp/nuvim-XXXXXX directory stayed behind. Now each ending signal
// stops the script after the step under way: the dictionary is saved, the
// document (and a composition open at that moment) is printed, the
// temporary directory removed, and the status is 128 + the signal.
TEST(NuvimExit, EveryEndingSignalEndsABatchRunAsItsEnd)
{
	for (int signal : kEndingSignals) {
		Scratch scratch;
		const std::string script = scratch.Path() + "/long.keys";
		{
			std::ofstream keys(script);
			keys << kRegister << "<enter>";
			for (int i = 0; i < 20000; i++)
				keys << "aiueo<enter>\n";
		}
		Child child({"--settings", scratch.Settings(), "--json", "--script",
			script}, Environment(scratch), false);
		// The transcript shows the registration confirmed and the keys
		// after it under way.
		ASSERT_TRUE(child.WaitFor("{\"key\":\"i\"}"))
			<< child.Err();
		child.Signal(signal);
		EXPECT_EQ(128 + signal, child.Wait()) << child.Err();
		EXPECT_EQ("", child.Err());
		const std::string out = child.Out();
		EXPECT_NE(std::string::npos, out.find("{\"text\":\"てすと"))
			<< signal;
		EXPECT_EQ("{\"unloaded\":true}\n",
			out.substr(out.rfind('\n', out.size() - 2) + 1)) << signal;
		EXPECT_NE(std::string::npos, scratch.UserDictionary().find(kRegistered))
			<< signal;
		EXPECT_TRUE(scratch.TemporaryIsEmpty()) << signal;
	}
}


// The interactive session ignored SIGQUIT (nothing saved, the terminal left
// raw on the alternate screen). Every ending signal now ends it as the
// quit key does, a composition still open (▽かんじ) going into the
// document without its marker.
TEST(NuvimExit, EveryEndingSignalEndsTheSessionAsTheQuitKey)
{
	for (int signal : kEndingSignals) {
		Scratch scratch;
		Child child({"--settings", scratch.Settings()}, Environment(scratch),
			true);
		ASSERT_TRUE(child.WaitFor("C-c quit")) << child.Screen();
		child.Type(std::string(kRegister) + "\rKanji");
		// じ is drawn once the last key has been taken.
		ASSERT_TRUE(child.WaitFor("じ")) << child.Screen();
		child.Signal(signal);
		EXPECT_EQ(128 + signal, child.Wait()) << child.Err();
		EXPECT_EQ("てすとかんじ\n", child.Out()) << signal;
		EXPECT_EQ("", child.Err());
		EXPECT_NE(std::string::npos, scratch.UserDictionary().find(kRegistered))
			<< signal;
		EXPECT_TRUE(scratch.TemporaryIsEmpty()) << signal;
		child.ExpectTerminalRestored();
	}
}


// A terminal that stopped reading held nuvim in write(), so that SIGTERM
// was not acted on until the reader came back. Now the output gives way:
// the dictionary is saved and the process ends within about a second.
TEST(NuvimExit, TerminalThatStopsReadingDoesNotHoldUpTheEnd)
{
	Scratch scratch;
	Child child({"--settings", scratch.Settings()}, Environment(scratch),
		true);
	ASSERT_TRUE(child.WaitFor("C-c quit")) << child.Screen();
	child.Type(std::string(kRegister) + "\r");
	ASSERT_TRUE(child.WaitFor("と")) << child.Screen();

	// Every resize redraws the whole screen: far more than the terminal
	// holds once nobody reads it.
	child.Stall();
	for (int i = 0; i < 20; i++) {
		child.Resize(i % 2 == 0 ? 250 : 240, 80);
		usleep(20000);
	}
	const double seconds = child.Signal(SIGTERM);
	EXPECT_EQ(128 + SIGTERM, child.Wait()) << child.Err();
	EXPECT_EQ("てすと\n", child.Out());
	EXPECT_NE(std::string::npos, scratch.UserDictionary().find(kRegistered));
	EXPECT_TRUE(scratch.TemporaryIsEmpty());
	// The save and a bounded wait for the terminal; a stalled write would
	// wait for ever (here, until the test's timeout).
	EXPECT_LT(seconds, 10.0);
}


// C-c and SIGTERM during the load of a huge table used to act only once
// the load was over. Nothing can have been learned yet, so nuvim leaves at
// once: no dictionary is written (the load never finished), the temporary
// directory is gone and the empty document printed.
TEST(NuvimExit, QuitDuringALongLoadLeavesAtOnce)
{
	Scratch scratch;
	WriteLargeTable(scratch.Settings() + "/roman_kana.table", 2000000);
	const auto loading = [&]() { return !scratch.TemporaryIsEmpty(); };

	{
		Child batch({"--settings", scratch.Settings(), "--keys", "ka"},
			Environment(scratch), false);
		ASSERT_TRUE(batch.Until(loading));
		batch.Signal(SIGTERM);
		EXPECT_EQ(128 + SIGTERM, batch.Wait()) << batch.Err();
		EXPECT_EQ("\n", batch.Out());
	}
	EXPECT_TRUE(scratch.TemporaryIsEmpty());
	EXPECT_FALSE(fs::exists(scratch.Settings() + "/.nuv-jisyo"));

	Child session({"--settings", scratch.Settings()}, Environment(scratch),
		true);
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
	const std::string home = scratch.Path() + "/home";
	fs::create_directory(home);
	const std::string passwd = scratch.Path() + "/passwd";
	const std::string group = scratch.Path() + "/group";
	std::ofstream(group) << "users:x:" << getgid() << ":\n";
	std::vector<std::string> environment = {"-u", "XDG_CONFIG_HOME",
		"-u", "HOME", "LD_PRELOAD=" + wrapper, "NSS_WRAPPER_PASSWD=" + passwd,
		"NSS_WRAPPER_GROUP=" + group, "ASAN_OPTIONS=verify_asan_link_order=0",
		"TMPDIR=" + scratch.Temporary()};
	const std::vector<std::string> arguments = {"--keys", "ka"};

	std::ofstream(passwd) << "me:x:" << getuid() << ":" << getgid()
		<< ":me:" << home << ":/bin/sh\n";
	{
		Child child(arguments, environment, false);
		EXPECT_EQ(0, child.Wait()) << child.Err();
		EXPECT_EQ("か\n", child.Out());
	}
	const std::string settings = home + "/.config/nuvim";
	struct stat status;
	ASSERT_EQ(0, stat(settings.c_str(), &status));
	EXPECT_EQ(0700u, status.st_mode & 07777);
	EXPECT_TRUE(fs::exists(settings + "/.nuv-jisyo"));

	// No entry for the account, and HOME naming a file.
	std::ofstream(passwd) << "other:x:" << getuid() + 1 << ":" << getgid()
		<< ":other:" << home << ":/bin/sh\n";
	environment[3] = "HOME=" + passwd;
	environment.erase(environment.begin() + 2);
	Child child(arguments, environment, false);
	EXPECT_EQ(2, child.Wait());
	EXPECT_EQ("", child.Out());
	EXPECT_EQ(0u, child.Err().find("nuvim: no home directory"));
	EXPECT_EQ(child.Err().size() - 1, child.Err().find('\n'));
}


// Standard output that cannot be written lost the document without a word;
// a TMPDIR naming a missing directory made nuvim refuse to start with the
// status of a bad command line.
TEST(NuvimExit, UnwritableOutputIsSaidAndAMissingTmpdirIsNoFault)
{
	Scratch scratch;
	{
		Child child({"--settings", scratch.Settings(), "--keys",
			std::string(kRegister) + "<enter>"}, Environment(scratch), false,
			"/dev/full");
		EXPECT_EQ(1, child.Wait());
		EXPECT_EQ("nuvim: cannot write to standard output: No space left on"
			" device\n", child.Err());
		EXPECT_NE(std::string::npos, scratch.UserDictionary().find(kRegistered));
	}

	Child child({"--settings", scratch.Settings(), "--keys", "ka"},
		{"TMPDIR=" + scratch.Path() + "/missing"}, false);
	EXPECT_EQ(0, child.Wait()) << child.Err();
	EXPECT_EQ("か\n", child.Out());
	EXPECT_EQ("", child.Err());
}
