#include "ExitSignals.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>


namespace {

const int kEndingSignals[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT};

std::atomic<int> sReceived(0);
int sPipe[2] = {-1, -1};


void
HandleEndingSignal(int number)
{
	const int saved = errno;
	int none = 0;
	if (sReceived.compare_exchange_strong(none, number) && sPipe[1] >= 0) {
		const char byte = 1;
		ssize_t written = write(sPipe[1], &byte, 1);
		(void)written;
	}
	errno = saved;
}


int
WriteBlocking(int fd, const std::string& bytes)
{
	size_t done = 0;
	while (done < bytes.size()) {
		const ssize_t written = write(fd, bytes.data() + done,
			bytes.size() - done);
		if (written < 0) {
			if (errno == EINTR)
				continue;
			return errno;
		}
		done += static_cast<size_t>(written);
	}
	return 0;
}

}	// namespace


void
ExitSignals::Install()
{
	if (pipe2(sPipe, O_CLOEXEC | O_NONBLOCK) != 0)
		sPipe[0] = sPipe[1] = -1;

	struct sigaction action = {};
	action.sa_handler = HandleEndingSignal;
	sigemptyset(&action.sa_mask);
	action.sa_flags = SA_RESTART;
	for (int number : kEndingSignals)
		sigaction(number, &action, NULL);
	signal(SIGPIPE, SIG_IGN);
}


int
ExitSignals::Received()
{
	return sReceived.load();
}


int
ExitSignals::FileDescriptor()
{
	return sPipe[0];
}


int
ExitSignals::ExitStatus(int signal)
{
	return 128 + signal;
}


int
ExitSignals::Write(int fd, const std::string& bytes, int milliseconds,
	bool untilSignal)
{
	typedef std::chrono::steady_clock Clock;
	const Clock::time_point deadline = Clock::now()
		+ std::chrono::milliseconds(milliseconds < 0 ? 0 : milliseconds);
	size_t done = 0;
	while (done < bytes.size()) {
		if (untilSignal && Received() != 0)
			return EINTR;
		const ssize_t written = write(fd, bytes.data() + done,
			bytes.size() - done);
		if (written > 0) {
			done += static_cast<size_t>(written);
			continue;
		}
		if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK
			&& errno != EINTR)
			return errno;

		// Full: wait until it takes more, the time is up or a signal comes.
		int timeout = -1;
		if (milliseconds >= 0) {
			const long long left = std::chrono::duration_cast<
				std::chrono::milliseconds>(deadline - Clock::now()).count();
			if (left <= 0)
				return ETIMEDOUT;
			timeout = static_cast<int>(left);
		}
		struct pollfd sources[2] = {{fd, POLLOUT, 0},
			{untilSignal ? sPipe[0] : -1, POLLIN, 0}};
		if (poll(sources, 2, timeout) < 0 && errno != EINTR)
			return errno;
	}
	return 0;
}


int
ExitSignals::WriteOutput(const std::string& bytes, int milliseconds)
{
	if (!isatty(STDOUT_FILENO))
		return WriteBlocking(STDOUT_FILENO, bytes);

	// A file description of our own: O_NONBLOCK on the shared one would
	// reach the shell that started us.
	const int terminal = open("/proc/self/fd/1",
		O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
	if (terminal < 0)
		return WriteBlocking(STDOUT_FILENO, bytes);
	const int result = Write(terminal, bytes, milliseconds, false);
	close(terminal);
	return result;
}
