#include "NuvimProcess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>


namespace {

// In the child, before exec: says why it cannot go on and ends it.
void
FailSetup(const char* what)
{
	const char* reason = strerror(errno);
	ssize_t ignored = write(STDERR_FILENO, what, strlen(what));
	ignored = write(STDERR_FILENO, ": ", 2);
	ignored = write(STDERR_FILENO, reason, strlen(reason));
	ignored = write(STDERR_FILENO, "\n", 1);
	(void)ignored;
	_exit(NuvimProcess::kSetupFailed);
}

}	// namespace


NuvimProcess::NuvimProcess(const std::string& settings,
	const std::string& keys, const ChildLimits& limits)
	:
	fPid(-1),
	fEnded(false),
	fExitStatus(-1),
	fKilled(false),
	fOutPipe(-1),
	fErrPipe(-1)
{
	// Everything the child needs is made before fork().
	std::vector<std::string> arguments = {NUVIM_PROGRAM, "--settings",
		settings, "--keys", keys};
	if (limits.json)
		arguments.push_back("--json");
	std::vector<char*> argv;
	for (std::string& argument : arguments)
		argv.push_back(&argument[0]);
	argv.push_back(NULL);

	int out[2];
	int err[2];
	if (pipe2(out, O_CLOEXEC) != 0)
		return;
	if (pipe2(err, O_CLOEXEC) != 0) {
		close(out[0]);
		close(out[1]);
		return;
	}

	fPid = fork();
	if (fPid != 0) {
		close(out[1]);
		close(err[1]);
		fOutPipe = out[0];
		fErrPipe = err[0];
		if (fPid < 0) {
			close(fOutPipe);
			close(fErrPipe);
			fOutPipe = fErrPipe = -1;
		}
		return;
	}

	const int in = open("/dev/null", O_RDONLY);
	if (in < 0 || dup2(in, STDIN_FILENO) < 0 || dup2(out[1], STDOUT_FILENO) < 0
		|| dup2(err[1], STDERR_FILENO) < 0)
		_exit(kSetupFailed);

	if (limits.fileSize != RLIM_INFINITY) {
		signal(SIGXFSZ, SIG_IGN);
		struct rlimit limit;
		limit.rlim_cur = limits.fileSize;
		limit.rlim_max = limits.fileSize;
		if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
			FailSetup("setrlimit");
	}
	if (limits.umask >= 0)
		umask(static_cast<mode_t>(limits.umask));
	if (limits.user >= 0) {
		if (setgroups(0, NULL) != 0)
			FailSetup("setgroups");
		if (setgid(limits.user) != 0)
			FailSetup("setgid");
		if (setuid(limits.user) != 0)
			FailSetup("setuid");
	}
	execv(argv[0], argv.data());
	FailSetup("execv");
}


NuvimProcess::~NuvimProcess()
{
	Kill();
	Wait();
}


void
NuvimProcess::Kill()
{
	if (Started() && !fEnded)
		kill(fPid, SIGKILL);
}


void
NuvimProcess::Wait()
{
	if (!Started() || fEnded)
		return;

	// Both pipes to their end: the child may fill one while we wait on the
	// other.
	struct pollfd pipes[2] = {{fOutPipe, POLLIN, 0}, {fErrPipe, POLLIN, 0}};
	std::string* texts[2] = {&fOut, &fErr};
	int open = 2;
	while (open > 0) {
		if (poll(pipes, 2, -1) < 0) {
			if (errno == EINTR)
				continue;
			break;
		}
		for (int i = 0; i < 2; i++) {
			if (pipes[i].fd < 0 || pipes[i].revents == 0)
				continue;
			char buffer[4096];
			const ssize_t length = read(pipes[i].fd, buffer, sizeof(buffer));
			if (length > 0)
				texts[i]->append(buffer, static_cast<size_t>(length));
			else if (length == 0 || errno != EINTR) {
				close(pipes[i].fd);
				pipes[i].fd = -1;
				open--;
			}
		}
	}
	for (struct pollfd& pipe : pipes) {
		if (pipe.fd >= 0)
			close(pipe.fd);
	}

	int status = 0;
	while (waitpid(fPid, &status, 0) < 0) {
		if (errno != EINTR)
			return;
	}
	fEnded = true;
	if (WIFEXITED(status))
		fExitStatus = WEXITSTATUS(status);
	fKilled = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}
