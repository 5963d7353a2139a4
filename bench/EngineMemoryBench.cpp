// The desktop engine's resident size over a long session, in process: the
// key presses its process_key_event receives (the typing cycle of
// bench/IBusRoundTrip.cpp, presses and releases), translated as the engine
// translates them (DesktopKeys), handed to MethodSession::HandleKey, then
// the palettes read (MethodSession::Palettes), as ibus/NuvimEngine.cpp does
// for every key. Without the daemon, so that a million keys take minutes,
// not the quarter of an hour their round trips would; the engine adds only
// the calls that hand the results to the daemon.
//
//	nuv_bench_engine_memory [KEYS]		(default 1,000,000)
//
// Prints the resident size every tenth of the keys, and the growth from
// the first tenth to the end; the goal is under 1 MB from 100,000 to
// 1,000,000 keys. It is built next to the nuvIM module, which it loads
// from there, over a fresh settings directory seeded from the bundled settings.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <malloc.h>

#include "DesktopKeys.h"
#include "HostPaths.h"
#include "MethodSession.h"


namespace fs = std::filesystem;


namespace {

const uint32_t kBackSpace = 0xff08;
const uint32_t kEscape = 0xff1b;


struct Key {
	uint32_t	keyval;
	uint32_t	state;
};


// The cycle of bench/IBusRoundTrip.cpp: a conversion confirmed by the next
// letter, kana confirmed as typed, a character rubbed out and a conversion
// cancelled.
std::vector<Key>
TypingCycle()
{
	std::vector<Key> keys;
	for (char c : std::string("Kanji akakiNihongo")) {
		keys.push_back({static_cast<uint32_t>(c),
			c >= 'A' && c <= 'Z' ? DesktopKeys::kShiftMask : 0u});
	}
	keys.push_back({kBackSpace, 0});
	keys.push_back({' ', 0});
	keys.push_back({kEscape, 0});
	keys.push_back({kEscape, 0});
	return keys;
}


long
ResidentKilobytes()
{
	std::ifstream status("/proc/self/status");
	std::string line;
	while (std::getline(status, line)) {
		if (line.compare(0, 6, "VmRSS:") == 0)
			return std::atol(line.c_str() + 6);
	}
	return -1;
}


// One press and its release, as the engine receives them.
void
Press(MethodSession& session, const Key& key)
{
	for (uint32_t state : {key.state, key.state | DesktopKeys::kReleaseMask}) {
		KeyStep step;
		if (!DesktopKeys::Translate(key.keyval, state, step))
			continue;
		session.HandleKey(step);
		session.Palettes();
	}
}

}	// namespace


int
main(int argc, char** argv)
{
	const size_t keys = argc > 1 ? std::strtoul(argv[1], NULL, 10) : 1000000;
	if (keys < 10) {
		fprintf(stderr, "usage: nuv_bench_engine_memory [KEYS >= 10]\n");
		return 2;
	}
	char pattern[] = "/tmp/nuv-engine-memory-XXXXXX";
	if (mkdtemp(pattern) == NULL) {
		perror("mkdtemp");
		return 1;
	}
	const std::string root = pattern;
	std::string error;
	if (!HostPaths::SeedSettings(root + "/settings",
			HostPaths::FindSettingsBundle(), error)) {
		fprintf(stderr, "cannot seed the settings: %s\n", error.c_str());
		fs::remove_all(root);
		return 1;
	}
	int status = 0;
	{
		MethodSession session;
		if (!session.Start(root + "/settings", error)) {
			fprintf(stderr, "cannot start the method: %s\n", error.c_str());
			fs::remove_all(root);
			return 1;
		}
		session.Activate(true);

		const std::vector<Key> cycle = TypingCycle();
		const size_t step = keys / 10;
		const auto start = std::chrono::steady_clock::now();
		printf("resident size of the engine's key path (KiB)\n");
		printf("  after %8d keys: %ld\n", 0, ResidentKilobytes());
		long first = 0;
		long last = 0;
		for (size_t done = 0, next = step; done < keys; done++) {
			Press(session, cycle[done % cycle.size()]);
			if (done + 1 == next) {
				last = ResidentKilobytes();
				if (next == step)
					first = last;
				printf("  after %8zu keys: %ld\n", next, last);
				fflush(stdout);
				next += step;
			}
		}
		const double seconds = std::chrono::duration<double>(
			std::chrono::steady_clock::now() - start).count();
		printf("growth from %zu to %zu keys: %ld KiB (goal: under 1024);"
			" %.1f s, %.1f us a key\n", step, step * 10, last - first,
			seconds, seconds * 1e6 / keys);
		if (getenv("NUV_BENCH_MALLOC_STATS") != NULL)
			malloc_stats();
		status = last - first < 1024 ? 0 : 1;
		session.Unload();
	}
	fs::remove_all(root);
	return status;
}
