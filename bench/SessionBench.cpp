// Long sessions through the real `nuvim` in batch mode (--script), each run
// a fresh child over a fresh copy of the default settings:
//
//  - memory: the peak resident size of 5,000 and of 100,000 realistic keys
//    (kana, conversions confirmed by Enter or by typing on, a palette page
//    now and then, line breaks); flat means the second within 8 MB of the
//    first;
//  - line length: 6,000 and 60,000 kana keys on one line, less the time of
//    an empty script (start-up and unloading); flat cost per key means a
//    ratio near 10. Both the wall time and the child's processor time
//    (user and system) are given: on a machine shared with other work the
//    wall time mostly measures the waits for a core, since every key
//    passes between several threads. The same 60,000 keys in lines of 40
//    are the control: on a flat cost they take as long as the one line.
//
//	nuv_bench_session [NUVIM [SETTINGS]]
//
// NUVIM defaults to the nuvim built beside this program, SETTINGS to the
// project's settings/. Figures go to standard output.
#include <cstdio>
#include <string>
#include <vector>

#include "ChildProcess.h"


namespace {

const int kRepetitions = 3;
// The line figures are small times divided by each other: more runs.
const int kLineRepetitions = 9;


// Appends steps of a plausible day's typing to `script` until it holds
// `keys` keys. Deterministic.
std::string
RealisticScript(size_t keys)
{
	// Each piece is kana typed straight, a conversion (an upper-case
	// reading, space, then Enter or the next word confirming it), or a
	// candidate taken from the palette.
	static const char* const kPieces[] = {
		"watashiha", "Kanji <enter>", "kyouha", "Kaigi ", "gaarimasu",
		"Nihongo ", "no", "Henkan <enter>", "wo", "tamesimasu",
		"Kou     a", "Toukyou ", "ni", "ikimasita", "Kikai ", "ga",
		"Siken <enter>", "desu", "tenki", "hayoi",
	};
	const size_t pieceCount = sizeof(kPieces) / sizeof(kPieces[0]);

	std::string script;
	size_t count = 0;
	size_t onLine = 0;
	uint32_t random = 12345;
	while (count < keys) {
		random = random * 1103515245 + 12345;
		const std::string piece = kPieces[(random >> 16) % pieceCount];
		for (size_t i = 0; i < piece.size() && count < keys; ) {
			// "<enter>" is one key
			const size_t length = piece[i] == '<'
				? piece.find('>', i) + 1 - i : 1;
			script.append(piece, i, length);
			i += length;
			count++;
			onLine++;
		}
		if (onLine > 60 && count < keys) {
			script += "<enter>";
			count++;
			onLine = 0;
		}
	}
	return script;
}


// `keys` kana keys, with an Enter after every `lineLength` of them (0: all
// on one line), the Enters counted among the keys.
std::string
KanaLines(size_t keys, size_t lineLength = 0)
{
	std::string script;
	static const char* const kSyllables[] = {"ka", "ki", "ku", "ke", "ko"};
	size_t count = 0;
	for (size_t i = 0; count < keys; i++) {
		for (size_t j = 0; j < 2 && count < keys; j++, count++)
			script += kSyllables[i % 5][j];
		if (lineLength > 0 && (i + 1) * 2 % lineLength == 0 && count < keys) {
			script += "<enter>";
			count++;
		}
	}
	return script;
}


ChildCost
RunScript(const std::string& nuvim, const std::string& settings,
	const std::string& script)
{
	const std::string directory = ChildProcess::CopySettings(settings);
	const std::string scriptFile = directory + "/keys.script";
	ChildProcess::WriteFile(scriptFile, script);
	ChildCost cost = ChildProcess::Run({nuvim, "--settings", directory,
		"--script", scriptFile});
	ChildProcess::Remove(directory);
	if (cost.status != 0)
		std::fprintf(stderr, "nuvim exited with %d: %s\n", cost.status,
			cost.err.c_str());
	return cost;
}


struct Figures {
	double	seconds;		// wall time
	double	cpuSeconds;		// the child's user and system time
	double	megabytes;		// peak resident size
};


// The least time and the median peak of `repetitions` runs of each script,
// the scripts taken in turn so that a burst of other work on the machine
// does not fall on one of them alone.
std::vector<Figures>
Measure(const std::string& nuvim, const std::string& settings,
	const std::vector<std::string>& scripts, int repetitions = kRepetitions)
{
	std::vector<std::vector<double>> times(scripts.size());
	std::vector<std::vector<double>> cpuTimes(scripts.size());
	std::vector<std::vector<double>> peaks(scripts.size());
	for (int i = 0; i < repetitions; i++) {
		for (size_t s = 0; s < scripts.size(); s++) {
			const ChildCost cost = RunScript(nuvim, settings, scripts[s]);
			times[s].push_back(cost.seconds);
			cpuTimes[s].push_back(cost.cpuSeconds);
			peaks[s].push_back(cost.peakKilobytes / 1024.0);
		}
	}
	std::vector<Figures> figures;
	for (size_t s = 0; s < scripts.size(); s++) {
		figures.push_back(Figures{ChildProcess::Minimum(times[s]),
			ChildProcess::Minimum(cpuTimes[s]),
			ChildProcess::Median(peaks[s])});
	}
	return figures;
}

}	// namespace


int
main(int argc, char** argv)
{
	const std::string nuvim = argc > 1 ? argv[1] : NUV_NUVIM_PROGRAM;
	const std::string settings = argc > 2 ? argv[2]
		: NUV_SETTINGS_SOURCE_DIR;

	const Figures empty = Measure(nuvim, settings, {""}).front();
	std::printf("empty script: %.3f s (%.3f s processor), peak %.1f MB\n",
		empty.seconds, empty.cpuSeconds, empty.megabytes);

	const std::vector<Figures> realistic = Measure(nuvim, settings,
		{RealisticScript(5000), RealisticScript(100000)});
	const Figures& few = realistic[0];
	const Figures& many = realistic[1];
	std::printf("realistic 5,000 keys: %.2f s, peak %.1f MB\n", few.seconds,
		few.megabytes);
	std::printf("realistic 100,000 keys: %.2f s, peak %.1f MB\n",
		many.seconds, many.megabytes);
	std::printf("peak growth: %.1f MB (goal: at most 8)\n",
		many.megabytes - few.megabytes);

	const std::vector<Figures> lines = Measure(nuvim, settings,
		{KanaLines(6000), KanaLines(60000), KanaLines(60000, 40)},
		kLineRepetitions);
	const Figures& shortLine = lines[0];
	const Figures& longLine = lines[1];
	const Figures& shortLines = lines[2];
	std::printf("one line, 6,000 kana keys: %.3f s, %.3f s processor\n",
		shortLine.seconds, shortLine.cpuSeconds);
	std::printf("one line, 60,000 kana keys: %.3f s, %.3f s processor\n",
		longLine.seconds, longLine.cpuSeconds);
	std::printf("ratio less the empty script (goal: at most 12; 10 is"
		" linear): %.1f wall, %.1f processor\n",
		(longLine.seconds - empty.seconds)
			/ (shortLine.seconds - empty.seconds),
		(longLine.cpuSeconds - empty.cpuSeconds)
			/ (shortLine.cpuSeconds - empty.cpuSeconds));
	std::printf("60,000 kana keys in lines of 40: %.3f s, %.3f s processor;"
		" one line takes %.2f times as long (%.2f processor)\n",
		shortLines.seconds, shortLines.cpuSeconds,
		longLine.seconds / shortLines.seconds,
		longLine.cpuSeconds / shortLines.cpuSeconds);
	return 0;
}
