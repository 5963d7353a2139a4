#include "ChildProcess.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <fcntl.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>


namespace fs = std::filesystem;


ChildCost
ChildProcess::Run(const std::vector<std::string>& arguments)
{
	ChildCost cost;
	int errPipe[2];
	if (pipe(errPipe) != 0)
		return cost;

	std::vector<char*> argv;
	for (const std::string& argument : arguments)
		argv.push_back(const_cast<char*>(argument.c_str()));
	argv.push_back(NULL);

	const auto start = std::chrono::steady_clock::now();
	const pid_t pid = fork();
	if (pid == 0) {
		// NUV_BENCH_CPU=N keeps the program and its threads on CPU N: the
		// method hands every key from thread to thread, and on a small
		// virtual machine a wake-up on the other core can cost more than
		// the key's work, and more the longer the run.
		if (const char* cpu = std::getenv("NUV_BENCH_CPU")) {
			cpu_set_t set;
			CPU_ZERO(&set);
			CPU_SET(std::atoi(cpu), &set);
			sched_setaffinity(0, sizeof(set), &set);
		}
		const int null = open("/dev/null", O_RDWR);
		dup2(null, STDIN_FILENO);
		dup2(null, STDOUT_FILENO);
		dup2(errPipe[1], STDERR_FILENO);
		close(errPipe[0]);
		execv(argv[0], argv.data());
		_exit(127);
	}
	close(errPipe[1]);
	if (pid < 0) {
		close(errPipe[0]);
		return cost;
	}
	char buffer[4096];
	ssize_t count;
	while ((count = read(errPipe[0], buffer, sizeof(buffer))) > 0)
		cost.err.append(buffer, static_cast<size_t>(count));
	close(errPipe[0]);

	int status = 0;
	struct rusage usage;
	while (wait4(pid, &status, 0, &usage) < 0) {
	}
	cost.seconds = std::chrono::duration<double>(
		std::chrono::steady_clock::now() - start).count();
	cost.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
	cost.peakKilobytes = usage.ru_maxrss;
	cost.cpuSeconds = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6
		+ usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
	return cost;
}


std::string
ChildProcess::CopySettings(const std::string& source)
{
	char pattern[] = "/tmp/nuv-bench-XXXXXX";
	if (mkdtemp(pattern) == NULL) {
		std::perror("mkdtemp");
		std::exit(1);
	}
	for (const fs::directory_entry& entry : fs::directory_iterator(source)) {
		if (entry.is_regular_file())
			fs::copy_file(entry.path(), fs::path(pattern) / entry.path().filename());
	}
	return pattern;
}


void
ChildProcess::Remove(const std::string& directory)
{
	std::error_code error;
	fs::remove_all(directory, error);
}


void
ChildProcess::WriteFile(const std::string& path, const std::string& bytes)
{
	std::ofstream out(path, std::ios::binary | std::ios::trunc);
	out << bytes;
}


double
ChildProcess::Minimum(const std::vector<double>& values)
{
	if (values.empty())
		return 0;
	return *std::min_element(values.begin(), values.end());
}


double
ChildProcess::Median(std::vector<double> values)
{
	if (values.empty())
		return 0;
	std::sort(values.begin(), values.end());
	return values[values.size() / 2];
}
