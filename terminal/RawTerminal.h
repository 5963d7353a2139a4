// The terminal of an interactive session in raw mode: every key as its
// bytes (no echo, no line editing, no signals from control keys, CR apart
// from LF, control-S and control-Q free of flow control), output that never
// blocks in write(), and the resize signal (SIGWINCH) turned into a byte on
// a pipe that the session's loop polls. Leave() (or the destructor) gives
// the terminal back as it was and restores SIGWINCH's former action.
//
// Output waits on poll(), where an ending signal (ExitSignals.h) can cut it
// short: while raw, until such a signal comes; while leaving, at most
// kLeaveMilliseconds, so that a terminal that stopped reading never holds up
// the end. What it cannot take is dropped.
//
// Threads: one thread at a time. One object at a time may be raw: the
// resize handler is the process's.
#ifndef RAW_TERMINAL_H
#define RAW_TERMINAL_H

#include <string>

#include <termios.h>

class RawTerminal {
public:
	static const int			kLeaveMilliseconds = 500;

	// The terminal open on `fd`, which the caller keeps and closes.
	explicit					RawTerminal(int fd);
	// Leave() with nothing more to write.
								~RawTerminal();

	// Puts the terminal in raw mode and writes `setup` (entering the
	// alternate screen, for instance). False with a reason when `fd` is no
	// terminal or cannot be set up.
			bool				Enter(const std::string& setup,
									std::string& error);
	// Writes `restore`, then gives the terminal back. Nothing when not raw.
			void				Leave(const std::string& restore);
			bool				IsRaw() const { return fRaw; }

	// Writes `bytes` (see above).
			void				Write(const std::string& bytes) const;

	// Readable after a resize; -1 when not raw.
			int					ResizeDescriptor() const;
	// Empties the resize pipe; true when a resize came since the last call.
			bool				TakeResize();

private:
			int					fFd;
			bool				fRaw;
			bool				fLeaving;
			int					fFlags;
			struct termios		fSaved;
};

#endif	// RAW_TERMINAL_H
