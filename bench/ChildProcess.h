// Runs one program to its end as a child process and reports what it cost:
// the wall time and the peak resident memory the kernel accounted to it.
// For the benchmarks that drive the real `nuvim` binary.
#ifndef CHILD_PROCESS_H
#define CHILD_PROCESS_H

#include <string>
#include <vector>

struct ChildCost {
	int			status = -1;	// the exit status; -1 when a signal ended it
	double		seconds = 0;	// wall time from fork to the end
	double		cpuSeconds = 0;	// user and system time of the child
	long		peakKilobytes = 0;	// ru_maxrss of the child
	std::string	err;			// its standard error
};

class ChildProcess {
public:
	// Runs `arguments` (the program first, found by path) with standard
	// input from /dev/null and standard output thrown away; waits for it.
	static	ChildCost			Run(const std::vector<std::string>& arguments);

	// A fresh copy of the files of `source` in a new directory under /tmp;
	// the caller removes it with Remove().
	static	std::string			CopySettings(const std::string& source);
	static	void				Remove(const std::string& directory);
	static	void				WriteFile(const std::string& path,
									const std::string& bytes);
	// The median of `values` (which it sorts).
	static	double				Median(std::vector<double> values);
	// The smallest of `values`: for times on a shared machine, the run
	// least disturbed by other work.
	static	double				Minimum(const std::vector<double>& values);
};

#endif	// CHILD_PROCESS_H
