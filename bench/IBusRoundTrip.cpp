// The round trip of a key through ibus-daemon: client to daemon to engine
// and back, for the nuvim engine beside the do-nothing engine in the same
// run, and the nuvim engine's memory over a long session.
//
//	nuv_bench_ibus_roundtrip ENGINE_PID [KEYS_FOR_MEMORY]
//
// Run inside a daemon of its own (bench/ibus-roundtrip.sh). Both engines are
// fed the same typing, in alternating rounds, so that the load of the
// machine falls on both alike. ENGINE_PID is the nuvim engine's process,
// whose resident size is read from /proc.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <ibus.h>


namespace {

// A typing cycle: a conversion confirmed by the next letter, then kana
// confirmed as they are typed, a character rubbed out and a conversion
// cancelled. Every key of it is the method's.
struct Key {
	guint	keyval;
	guint	state;
};

std::vector<Key>
TypingCycle()
{
	std::vector<Key> keys;
	for (char c : std::string("Kanji ")) {
		keys.push_back({static_cast<guint>(c),
			c >= 'A' && c <= 'Z' ? static_cast<guint>(IBUS_SHIFT_MASK) : 0u});
	}
	for (char c : std::string("akakiNihongo"))
		keys.push_back({static_cast<guint>(c),
			c >= 'A' && c <= 'Z' ? static_cast<guint>(IBUS_SHIFT_MASK) : 0u});
	keys.push_back({IBUS_KEY_BackSpace, 0});
	keys.push_back({' ', 0});
	keys.push_back({IBUS_KEY_Escape, 0});
	keys.push_back({IBUS_KEY_Escape, 0});
	return keys;
}


void
Drain()
{
	while (g_main_context_iteration(NULL, FALSE)) {
	}
}


IBusInputContext*
Context(IBusBus* bus, const char* engine)
{
	IBusInputContext* context = ibus_bus_create_input_context(bus,
		"nuvim-bench");
	if (context == NULL)
		return NULL;
	ibus_input_context_set_capabilities(context, IBUS_CAP_PREEDIT_TEXT
		| IBUS_CAP_FOCUS | IBUS_CAP_AUXILIARY_TEXT | IBUS_CAP_LOOKUP_TABLE
		| IBUS_CAP_PROPERTY);
	ibus_input_context_focus_in(context);
	ibus_input_context_set_engine(context, engine);
	Drain();
	return context;
}


// Types `count` keys of the cycle; appends each press's round trip in µs.
void
Type(IBusInputContext* context, const std::vector<Key>& cycle, size_t count,
	std::vector<double>* times)
{
	for (size_t i = 0; i < count; i++) {
		const Key& key = cycle[i % cycle.size()];
		const auto start = std::chrono::steady_clock::now();
		ibus_input_context_process_key_event(context, key.keyval, 0,
			key.state);
		const auto end = std::chrono::steady_clock::now();
		ibus_input_context_process_key_event(context, key.keyval, 0,
			key.state | IBUS_RELEASE_MASK);
		Drain();
		if (times != NULL) {
			times->push_back(std::chrono::duration<double, std::micro>(
				end - start).count());
		}
	}
}


double
Percentile(std::vector<double> values, double fraction)
{
	std::sort(values.begin(), values.end());
	const size_t index = std::min(values.size() - 1,
		static_cast<size_t>(fraction * values.size()));
	return values[index];
}


long
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

}	// namespace


int
main(int argc, char** argv)
{
	if (argc < 2) {
		fprintf(stderr, "usage: nuv_bench_ibus_roundtrip ENGINE_PID"
			" [KEYS_FOR_MEMORY]\n");
		return 2;
	}
	const std::string pid = argv[1];
	const size_t memoryKeys = argc > 2 ? std::strtoul(argv[2], NULL, 10)
		: 100000;

	ibus_init();
	IBusBus* bus = ibus_bus_new();
	if (!ibus_bus_is_connected(bus)) {
		fprintf(stderr, "cannot reach ibus-daemon\n");
		return 1;
	}
	IBusInputContext* nuvim = Context(bus, "nuvim");
	IBusInputContext* floor = Context(bus, "nuvim-null");
	if (nuvim == NULL || floor == NULL) {
		fprintf(stderr, "cannot create the input contexts\n");
		return 1;
	}

	const std::vector<Key> cycle = TypingCycle();
	const size_t kRounds = 10;
	const size_t kKeysPerRound = 1000;
	std::vector<double> nuvimTimes;
	std::vector<double> floorTimes;
	// Warm-up: the first conversions and the first messages of each side.
	Type(nuvim, cycle, 200, NULL);
	Type(floor, cycle, 200, NULL);
	for (size_t round = 0; round < kRounds; round++) {
		ibus_input_context_focus_in(nuvim);
		Type(nuvim, cycle, kKeysPerRound, &nuvimTimes);
		ibus_input_context_focus_in(floor);
		Type(floor, cycle, kKeysPerRound, &floorTimes);
	}
	const double nuvimMedian = Percentile(nuvimTimes, 0.5);
	const double floorMedian = Percentile(floorTimes, 0.5);
	printf("round trip of a key press, µs (%zu presses each)\n",
		nuvimTimes.size());
	printf("  do-nothing engine: median %.1f  p99 %.1f\n", floorMedian,
		Percentile(floorTimes, 0.99));
	printf("  nuvim engine:      median %.1f  p99 %.1f\n", nuvimMedian,
		Percentile(nuvimTimes, 0.99));
	printf("  ratio of medians:  %.2f  ratio of p99: %.2f\n",
		nuvimMedian / floorMedian,
		Percentile(nuvimTimes, 0.99) / Percentile(floorTimes, 0.99));

	// Memory: the engine's resident size along a long session.
	ibus_input_context_focus_in(nuvim);
	printf("nuvim engine resident size over %zu more key presses (KiB)\n",
		memoryKeys);
	const size_t kSteps = 10;
	printf("  after     0: %ld\n", ResidentKilobytes(pid));
	for (size_t step = 1; step <= kSteps; step++) {
		Type(nuvim, cycle, memoryKeys / kSteps, NULL);
		printf("  after %5zu: %ld\n", step * (memoryKeys / kSteps),
			ResidentKilobytes(pid));
		fflush(stdout);
	}
	return 0;
}
