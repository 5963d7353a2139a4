// The nuvim program run as a child process over one settings directory, in
// batch mode, under limits that a test chooses; the test may kill it at any
// moment. Standard output and standard error come back through pipes (so
// that no file size limit cuts them short), read once the child ends; each
// is expected to be small.
//
// Threads: one thread drives a NuvimProcess. The child is started with
// fork() and exec(); between the two it makes system calls only.
#ifndef NUVIM_PROCESS_H
#define NUVIM_PROCESS_H

#include <string>

#include <sys/resource.h>
#include <sys/types.h>

struct ChildLimits {
	// RLIMIT_FSIZE of the child. SIGXFSZ is ignored in the child, so that a
	// write past the limit fails (EFBIG) instead of killing it.
	rlim_t			fileSize = RLIM_INFINITY;
	// Run as this user and group (needs root); -1 keeps the test's.
	int				user = -1;
	// The child's umask; -1 keeps the test's.
	int				umask = -1;
	// Add --json: standard output is the transcript.
	bool			json = false;
};

class NuvimProcess {
public:
	// The exit status of a child that could not take on its limits; the
	// reason is on its standard error.
	static const int			kSetupFailed = 125;

	// Starts `nuvim --settings settings --keys keys`.
								NuvimProcess(const std::string& settings,
									const std::string& keys,
									const ChildLimits& limits = ChildLimits());
	// Kills and reaps a child still running.
								~NuvimProcess();

	// False when fork() failed.
			bool				Started() const { return fPid > 0; }
			pid_t				Pid() const { return fPid; }

	// SIGKILL, at once.
			void				Kill();
	// Reads the child's output to its end and waits until it has ended.
			void				Wait();

	// After Wait(): the exit status, or -1 when a signal ended the child.
			int					ExitStatus() const { return fExitStatus; }
			bool				Killed() const { return fKilled; }
			const std::string&	Out() const { return fOut; }
			const std::string&	Err() const { return fErr; }

private:
			pid_t				fPid;
			bool				fEnded;
			int					fExitStatus;
			bool				fKilled;
			int					fOutPipe;
			int					fErrPipe;
			std::string			fOut;
			std::string			fErr;
};

#endif	// NUVIM_PROCESS_H
