// Figures the round-trip benchmarks share: a percentile of the times
// measured, and a process's resident size.
#ifndef BENCH_FIGURES_H
#define BENCH_FIGURES_H

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>


inline double
Percentile(std::vector<double> values, double fraction)
{
	if (values.empty())
		return 0;
	std::sort(values.begin(), values.end());
	const size_t index = std::min(values.size() - 1,
		static_cast<size_t>(fraction * values.size()));
	return values[index];
}


// VmRSS of process `pid` in KiB; -1 when it cannot be read.
inline long
ResidentKilobytes(const std::string& pid)
{
	std::ifstream status("/proc/" + pid + "/status");
	std::string line;
	while (std::getline(status, line)) {
		if (line.compare(0, 6, "VmRSS:") == 0)
			return std::atol(line.c_str() + 6);
	}
	return -1;
}

#endif	// BENCH_FIGURES_H
