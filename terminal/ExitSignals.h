// The signals that end `nuvim` (SIGTERM, SIGINT, SIGHUP, SIGQUIT), caught
// for the whole process so that every way out runs the same orderly end:
// the method is unloaded (it saves the user dictionary), the terminal is
// given back, the document is printed and the temporary directory removed.
//
// The handler only notes the first signal and wakes a pipe; the thread that
// drives the method looks at Received() between steps, or polls
// FileDescriptor() while it waits. Later signals change nothing: a second
// C-c cannot cut a save short. SIGPIPE is ignored, so that a reader that
// went away shows as a failed write (said, exit status 1) instead of ending
// the process before it has saved.
//
// Output that must not hold up the end (a terminal that stopped reading)
// goes through Write() with a deadline.
#ifndef EXIT_SIGNALS_H
#define EXIT_SIGNALS_H

#include <string>

class ExitSignals {
public:
	// Installs the handlers; call once, first thing in main(), before any
	// other thread exists (the handlers then apply to every thread).
	static	void				Install();

	// The first ending signal received; 0 while none has come.
	static	int					Received();
	// Becomes readable once a signal has come; never read by anyone, so
	// it stays readable. -1 when Install() could not make the pipe.
	static	int					FileDescriptor();
	// The exit status after `signal`: 128 + its number, as a shell reports
	// a process that the signal ended.
	static	int					ExitStatus(int signal);

	// Writes `bytes` to `fd`, which must be non-blocking, waiting while it
	// is full. Gives up (with what is written dropped) after `milliseconds`
	// (negative: never), and at once when `untilSignal` is set and an ending
	// signal has come. Returns 0 when all was written, else an errno value
	// (ETIMEDOUT when it gave up, EINTR for the signal).
	static	int					Write(int fd, const std::string& bytes,
									int milliseconds, bool untilSignal);

	// Writes `bytes` to standard output. A terminal gets at most
	// `milliseconds` (it is written through a non-blocking file description
	// of its own, so the shell's stays as it was); a file or a pipe is
	// waited for, since its reader will take it. Returns 0 or an errno
	// value.
	static	int					WriteOutput(const std::string& bytes,
									int milliseconds);
};

#endif	// EXIT_SIGNALS_H
