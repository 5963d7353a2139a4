#include "NuvimProcess.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>


typedef std::chrono::steady_clock Clock;


namespace {

// In the child, before exec: says why it cannot go on and ends it.
void
FailSetup(const char* what)
{
	const char* const parts[] = {what, ": ", strerror(errno), "\n"};
	for (const char* part : parts) {
		if (write(STDERR_FILENO, part, strlen(part)) < 0)
			break;
	}
	_exit(NuvimProcess::kSetupFailed);
}

}	// namespace


NuvimProcess::NuvimProcess(const std::vector<std::string>& arguments,
	const NuvimOptions& options)
{
	// Everything the child needs is made before fork().
	std::vector<std::string> argv = {"/usr/bin/env"};
	argv.insert(argv.end(), options.environment.begin(),
		options.environment.end());
	argv.push_back(options.program.empty() ? NUVIM_PROGRAM : options.program);
	argv.insert(argv.end(), arguments.begin(), arguments.end());
	std::vector<char*> args;
	for (std::string& argument : argv)
		args.push_back(&argument[0]);
	args.push_back(NULL);

	int out[2];
	int err[2];
	int in[2];
	if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0
		|| pipe2(in, O_CLOEXEC) != 0)
		abort();
	std::string slaveName;
	if (options.terminal) {
		fMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
		if (fMaster < 0 || grantpt(fMaster) != 0 || unlockpt(fMaster) != 0)
			abort();
		slaveName = ptsname(fMaster);
		Resize(80, 24);
		fSlave = open(slaveName.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
		tcgetattr(fSlave, &fInitial);
	}
	const int target = !options.output.empty()
		? open(options.output.c_str(), O_WRONLY | O_CLOEXEC) : out[1];

	fPid = fork();
	if (fPid == 0) {
		setsid();
		int input = in[0];
		if (options.terminal) {
			input = open(slaveName.c_str(), O_RDWR);
			ioctl(input, TIOCSCTTY, 0);
		}
		if (dup2(input, STDIN_FILENO) < 0 || dup2(target, STDOUT_FILENO) < 0
			|| dup2(err[1], STDERR_FILENO) < 0)
			_exit(kSetupFailed);
		if (options.fileSize != RLIM_INFINITY) {
			signal(SIGXFSZ, SIG_IGN);
			struct rlimit limit;
			limit.rlim_cur = options.fileSize;
			limit.rlim_max = options.fileSize;
			if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
				FailSetup("setrlimit");
		}
		if (options.user >= 0) {
			if (setgroups(0, NULL) != 0)
				FailSetup("setgroups");
			if (setgid(options.user) != 0)
				FailSetup("setgid");
			if (setuid(options.user) != 0)
				FailSetup("setuid");
		}
		execv(args[0], args.data());
		FailSetup("execv");
	}
	close(out[1]);
	close(err[1]);
	close(in[0]);
	if (!options.output.empty())
		close(target);
	// Small inputs fit in the pipe: the child reads them when it likes.
	ssize_t written = write(in[1], options.input.data(),
		options.input.size());
	(void)written;
	close(in[1]);
	fOut = out[0];
	fErr = err[0];
	fReader = std::thread([this]() { _Read(); });
}


NuvimProcess::~NuvimProcess()
{
	if (!fEnded)
		kill(fPid, SIGKILL);
	Wait();
	for (int fd : {fMaster, fSlave}) {
		if (fd >= 0)
			close(fd);
	}
}


bool
NuvimProcess::WaitFor(const std::string& part)
{
	return Until([&]() {
		std::lock_guard<std::mutex> lock(fLock);
		return (fMaster >= 0 ? fScreen : fStdout).find(part)
			!= std::string::npos;
	});
}


bool
NuvimProcess::Until(const std::function<bool()>& condition)
{
	const Clock::time_point deadline = Clock::now()
		+ std::chrono::seconds(kTimeoutSeconds);
	while (Clock::now() < deadline) {
		if (condition())
			return true;
		usleep(5000);
	}
	return false;
}


void
NuvimProcess::Type(const std::string& bytes)
{
	ssize_t written = write(fMaster, bytes.data(), bytes.size());
	(void)written;
}


void
NuvimProcess::Resize(int columns, int rows)
{
	struct winsize size = {};
	size.ws_col = columns;
	size.ws_row = rows;
	ioctl(fMaster, TIOCSWINSZ, &size);
}


double
NuvimProcess::Signal(int signal)
{
	const Clock::time_point sent = Clock::now();
	kill(fPid, signal);
	Wait();
	return std::chrono::duration<double>(Clock::now() - sent).count();
}


int
NuvimProcess::Wait()
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


void
NuvimProcess::ExpectTerminalRestored()
{
	struct termios now;
	ASSERT_EQ(0, tcgetattr(fSlave, &now));
	EXPECT_EQ(fInitial.c_lflag, now.c_lflag);
	EXPECT_EQ(fInitial.c_iflag, now.c_iflag);
	if (fStalled)
		return;
	const std::string screen = Screen();
	const size_t left = screen.rfind("\x1B[?1049l");
	EXPECT_NE(std::string::npos, left);
	EXPECT_LT(screen.rfind("\x1B[?1049h"), left);
	EXPECT_LT(screen.rfind("\x1B[?25l"), screen.rfind("\x1B[?25h"));
}


// #pragma mark - private


std::string
NuvimProcess::_Copy(const std::string& text)
{
	std::lock_guard<std::mutex> lock(fLock);
	return text;
}


bool
NuvimProcess::_Reaped()
{
	int status;
	if (waitpid(fPid, &status, WNOHANG) != fPid)
		return false;
	fStatus = WIFEXITED(status) ? WEXITSTATUS(status)
		: 1000 + WTERMSIG(status);
	return true;
}


void
NuvimProcess::_Read()
{
	// Both pipes to their end: the child may fill one while we wait on the
	// other.
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
			const ssize_t count = read(sources[i].fd, buffer, sizeof(buffer));
			if (count > 0) {
				std::lock_guard<std::mutex> lock(fLock);
				texts[i]->append(buffer, static_cast<size_t>(count));
			} else if (i < 2 && (count == 0 || errno != EINTR)) {
				close(sources[i].fd);
				(i == 0 ? fOut : fErr) = -1;
				open--;
			}
		}
	}
}

