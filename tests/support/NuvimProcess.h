// The built nuvim program run as a child process, the one way tests run it:
// its standard output and error (and, with a terminal, what it draws) read
// as they come by a thread of the object's own, under limits and in an
// environment that the test chooses; the test may type, resize, signal or
// kill it at any moment.
//
// Threads: one test thread drives a NuvimProcess. The child is started with
// fork() and exec(); between the two it makes system calls only.
#ifndef NUVIM_PROCESS_H
#define NUVIM_PROCESS_H

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <sys/resource.h>
#include <sys/types.h>
#include <termios.h>

struct NuvimOptions {
	// The environment and terminal given, everything else as below.
	explicit		NuvimOptions(std::vector<std::string> environment = {},
						bool terminal = false)
						: environment(std::move(environment)),
						terminal(terminal) {}

	// The program run: the built nuvim when empty.
	std::string		program;
	// env(1) arguments: NAME=value, or -u NAME.
	std::vector<std::string> environment;
	// Standard input (small); /dev/null when empty.
	std::string		input;
	// A pseudo terminal of the test's own as the controlling terminal and
	// standard input, 80 x 24.
	bool			terminal = false;
	// Standard output goes to this file instead of being read.
	std::string		output;
	// RLIMIT_FSIZE. SIGXFSZ is ignored in the child, so that a write past
	// the limit fails (EFBIG) instead of killing it.
	rlim_t			fileSize = RLIM_INFINITY;
	// Run as this user and group (needs root); -1 keeps the test's.
	int				user = -1;
};

class NuvimProcess {
public:
	// The exit status of a child that could not take on its options; the
	// reason is on its standard error.
	static constexpr int		kSetupFailed = 125;
	// Generous: a sanitizer build on a loaded machine.
	static constexpr int		kTimeoutSeconds = 60;

	// Starts nuvim with `arguments`.
								NuvimProcess(
									const std::vector<std::string>& arguments,
									const NuvimOptions& options
										= NuvimOptions());
	// Kills and reaps a child still running.
								~NuvimProcess();

	// Waits until `part` has come on the terminal (or standard output when
	// there is no terminal); false after the timeout.
			bool				WaitFor(const std::string& part);
	// Waits until `condition` holds; false after the timeout.
			bool				Until(const std::function<bool()>& condition);
	// Types `bytes` on the terminal.
			void				Type(const std::string& bytes);
			void				Resize(int columns, int rows);
	// From now on nobody reads the terminal.
			void				Stall() { fStalled = true; }
	// Sends `signal`; returns how long the child took to end after it.
			double				Signal(int signal);
	// Waits for the end, killing the child after the timeout. The exit
	// status, or 1000 + the signal that ended the child.
			int					Wait();

	// After Wait().
			int					ExitStatus() const { return fStatus; }
			bool				Killed() const { return fStatus == 1009; }
			std::string			Out() { return _Copy(fStdout); }
			std::string			Err() { return _Copy(fStderr); }
			std::string			Screen() { return _Copy(fScreen); }
	// The terminal is as the session found it: line editing, echo and
	// signals back, the alternate screen left and the cursor shown (what
	// it was sent is known only while someone reads it).
			void				ExpectTerminalRestored();

private:
	// A copy of one of the texts the reader thread appends to.
			std::string			_Copy(const std::string& text);
			bool				_Reaped();
			void				_Read();

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


#endif	// NUVIM_PROCESS_H
