// Huge settings files through the real `nuvim` in batch mode, each run a
// fresh child over a fresh copy of the default settings with one file
// replaced or extended:
//
//  - a key with 1,000,000 candidates added to NUV-JISYO.L: the conversion
//    (script "Hoge " less script "Hoge", medians), the first palette page
//    (four more spaces) and the peak memory;
//  - a roman_kana.table of 1,000,000 entries (12.5 MB), then the same file
//    as control_key.table, which every automaton reads: start-up time and
//    peak memory of a one-key script, beside the default settings;
//  - in this process, the bytes one automaton holds per entry of that
//    table (heap in use before and after reading it).
//
//	nuv_bench_huge [NUVIM [SETTINGS]]
#include <malloc.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "NuvAutomaton.h"


namespace {

const int kRepetitions = 3;
const size_t kHugeCount = 1000000;

// ほげ in EUC-JP: a reading the default dictionary lacks.
const char* const kHugeReading = "\xA4\xDB\xA4\xB2";


// A word of three kanji of the first level, distinct for each `index`
// below 94^3.
std::string
Word(size_t index)
{
	std::string word;
	for (int i = 0; i < 3; i++) {
		const size_t digit = index % 94;
		index /= 94;
		word += static_cast<char>(0xB0 + digit % 8);
		word += static_cast<char>(0xA1 + digit);
	}
	return word;
}


std::string
HugeLine()
{
	std::string line = std::string(kHugeReading) + " /";
	for (size_t i = 0; i < kHugeCount; i++)
		line += Word(i) + "/";
	return line + "\n";
}


// A million entries of some 12.5 bytes: keys of one to five lower-case
// letters after "q" (which starts no default key), each giving two kana.
std::string
HugeTable()
{
	std::string table;
	table.reserve(kHugeCount * 13);
	for (size_t i = 0; i < kHugeCount; i++) {
		std::string key = "q";
		for (size_t rest = i; ; rest /= 26) {
			key += static_cast<char>('a' + rest % 26);
			if (rest < 26)
				break;
		}
		table += key;
		table += ' ';
		table += static_cast<char>(0xA4);
		table += static_cast<char>(0xA2 + i % 80);
		table += static_cast<char>(0xA4);
		table += static_cast<char>(0xA2 + (i / 80) % 80);
		table += '\n';
	}
	return table;
}


struct Figures {
	double	seconds;		// wall time
	double	cpuSeconds;		// the child's user and system time
	double	megabytes;		// peak resident size
};


// The least time and the median peak over kRepetitions runs of `script`, with `file` written as
// `bytes` (appended to the copy when `append`).
Figures
Measure(const std::string& nuvim, const std::string& settings,
	const std::string& file, const std::string& bytes, bool append,
	const std::string& script)
{
	std::vector<double> times;
	std::vector<double> cpuTimes;
	std::vector<double> peaks;
	for (int i = 0; i < kRepetitions; i++) {
		const std::string directory = ChildProcess::CopySettings(settings);
		if (!file.empty()) {
			std::ofstream out(directory + "/" + file, std::ios::binary
				| (append ? std::ios::app : std::ios::trunc));
			out << bytes;
		}
		const ChildCost cost = ChildProcess::Run({nuvim, "--settings",
			directory, "--keys", script});
		ChildProcess::Remove(directory);
		if (cost.status != 0) {
			std::fprintf(stderr, "nuvim exited with %d: %s\n", cost.status,
				cost.err.c_str());
		}
		times.push_back(cost.seconds);
		cpuTimes.push_back(cost.cpuSeconds);
		peaks.push_back(cost.peakKilobytes / 1024.0);
	}
	return Figures{ChildProcess::Minimum(times),
		ChildProcess::Minimum(cpuTimes), ChildProcess::Median(peaks)};
}


size_t
HeapInUse()
{
	const struct mallinfo2 info = mallinfo2();
	// large blocks are mapped on their own and counted apart
	return info.uordblks + info.hblkhd;
}

}	// namespace


int
main(int argc, char** argv)
{
	const std::string nuvim = argc > 1 ? argv[1] : NUV_NUVIM_PROGRAM;
	const std::string settings = argc > 2 ? argv[2]
		: NUV_SETTINGS_SOURCE_DIR;

	const std::string line = HugeLine();
	const Figures typed = Measure(nuvim, settings, "NUV-JISYO.L", line, true,
		"Hoge");
	const Figures converted = Measure(nuvim, settings, "NUV-JISYO.L", line,
		true, "Hoge ");
	const Figures paged = Measure(nuvim, settings, "NUV-JISYO.L", line, true,
		"Hoge     ");
	std::printf("1,000,000 candidates (%.1f MB line): reading typed %.3f s,"
		" %.3f s processor, peak %.1f MB\n", line.size() / 1e6,
		typed.seconds, typed.cpuSeconds, typed.megabytes);
	std::printf("  converted: %.3f s more, %.3f s more processor (goal:"
		" 0.2 s), peak %.1f MB\n", converted.seconds - typed.seconds,
		converted.cpuSeconds - typed.cpuSeconds, converted.megabytes);
	std::printf("  first palette page: %.3f s more, %.3f s more processor,"
		" peak %.1f MB\n", paged.seconds - typed.seconds,
		paged.cpuSeconds - typed.cpuSeconds, paged.megabytes);

	const std::string table = HugeTable();
	const Figures plain = Measure(nuvim, settings, "", "", false, "ka");
	const Figures kana = Measure(nuvim, settings, "roman_kana.table", table,
		false, "ka");
	const Figures control = Measure(nuvim, settings, "control_key.table",
		table, false, "ka");
	std::printf("default settings: %.3f s, %.3f s processor, peak %.1f MB\n",
		plain.seconds, plain.cpuSeconds, plain.megabytes);
	std::printf("roman_kana.table of 1,000,000 entries (%.1f MB): %.3f s,"
		" %.3f s processor, peak %.1f MB (goal: 3 s, 300 MB)\n",
		table.size() / 1e6, kana.seconds, kana.cpuSeconds, kana.megabytes);
	std::printf("the same as control_key.table: %.3f s, %.3f s processor,"
		" peak %.1f MB\n", control.seconds, control.cpuSeconds,
		control.megabytes);

	// This build's automaton, whichever nuvim was measured above.
	{
		NuvAutomaton automaton;
		std::istringstream in(table);
		const size_t withText = HeapInUse();
		automaton.Read(in);
		const size_t after = HeapInUse();
		std::printf("one automaton of this build: %.1f bytes per entry\n",
			double(after - withText) / kHugeCount);
	}
	return 0;
}
