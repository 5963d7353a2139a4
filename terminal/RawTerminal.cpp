#include "RawTerminal.h"

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

#include "ExitSignals.h"


namespace {

// Written by the resize handler, read by the session's loop.
int sResizePipe[2] = {-1, -1};
struct sigaction sSavedResizeAction;


void
HandleResize(int)
{
	const int saved = errno;
	const char byte = 'w';
	if (sResizePipe[1] >= 0) {
		ssize_t written = write(sResizePipe[1], &byte, 1);
		(void)written;
	}
	errno = saved;
}

}	// namespace


RawTerminal::RawTerminal(int fd)
	:
	fFd(fd),
	fRaw(false),
	fLeaving(false),
	fFlags(-1),
	fSaved()
{
}


RawTerminal::~RawTerminal()
{
	Leave(std::string());
}


bool
RawTerminal::Enter(const std::string& setup, std::string& error)
{
	if (tcgetattr(fFd, &fSaved) != 0) {
		error = "the interactive session needs a terminal";
		return false;
	}
	struct termios raw = fSaved;
	raw.c_iflag &= ~(BRKINT | ICRNL | INLCR | IGNCR | INPCK | ISTRIP | IXON);
	raw.c_oflag &= ~OPOST;
	raw.c_cflag |= CS8;
	raw.c_lflag &= ~(ECHO | ICANON | IEXTEN | ISIG);
	raw.c_cc[VMIN] = 1;
	raw.c_cc[VTIME] = 0;
	if (tcsetattr(fFd, TCSADRAIN, &raw) != 0) {
		error = "cannot set up the terminal";
		return false;
	}
	fRaw = true;
	fLeaving = false;
	// The file description is the session's own: O_NONBLOCK on it reaches
	// no one else.
	fFlags = fcntl(fFd, F_GETFL);
	if (fFlags >= 0)
		fcntl(fFd, F_SETFL, fFlags | O_NONBLOCK);

	if (pipe2(sResizePipe, O_NONBLOCK | O_CLOEXEC) == 0) {
		struct sigaction action = {};
		action.sa_handler = HandleResize;
		sigemptyset(&action.sa_mask);
		action.sa_flags = SA_RESTART;
		sigaction(SIGWINCH, &action, &sSavedResizeAction);
	} else
		sResizePipe[0] = sResizePipe[1] = -1;

	Write(setup);
	return true;
}


void
RawTerminal::Leave(const std::string& restore)
{
	if (!fRaw)
		return;
	fLeaving = true;
	Write(restore);
	// TCSANOW: waiting for the output to drain would wait for ever on a
	// terminal that stopped reading; what was written is already processed.
	tcsetattr(fFd, TCSANOW, &fSaved);
	if (fFlags >= 0)
		fcntl(fFd, F_SETFL, fFlags);
	fRaw = false;

	if (sResizePipe[0] >= 0) {
		sigaction(SIGWINCH, &sSavedResizeAction, NULL);
		close(sResizePipe[0]);
		close(sResizePipe[1]);
		sResizePipe[0] = sResizePipe[1] = -1;
	}
}


void
RawTerminal::Write(const std::string& bytes) const
{
	ExitSignals::Write(fFd, bytes, fLeaving ? kLeaveMilliseconds : -1,
		!fLeaving);
}


int
RawTerminal::ResizeDescriptor() const
{
	return fRaw ? sResizePipe[0] : -1;
}


bool
RawTerminal::TakeResize()
{
	bool resized = false;
	char bytes[16];
	ssize_t count;
	while (sResizePipe[0] >= 0
		&& (count = read(sResizePipe[0], bytes, sizeof(bytes))) > 0)
		resized = true;
	return resized;
}
