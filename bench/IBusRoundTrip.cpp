// The round trip of a key through ibus-daemon: client to daemon to engine
// and back, for the nuvim engine beside two floor engines in the same run
// (one does nothing, one shows a character of preedit per key), and the
// nuvim engine's memory over a long session.
//
//	nuv_bench_ibus_roundtrip ENGINE_PID [KEYS_FOR_MEMORY]
//
// Run inside a daemon of its own (bench/ibus-roundtrip.sh). Both engines are
// fed the same typing, in alternating rounds, so that the load of the
// machine falls on all alike. ENGINE_PID is the nuvim engine's process,
// whose resident size is read from /proc.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <ibus.h>

#include "BenchFigures.h"


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


// Gives `context` the focus and `engine`: the daemon keeps one engine for
// all contexts by default, so each round names its engine again. False when
// the daemon gives the context another engine.
bool
Focus(IBusInputContext* context, const char* engine)
{
	ibus_input_context_focus_in(context);
	ibus_input_context_set_engine(context, engine);
	// The engine is set asynchronously, and started on first use.
	for (int attempt = 0; attempt < 1000; attempt++) {
		Drain();
		IBusEngineDesc* desc = ibus_input_context_get_engine(context);
		if (desc != NULL
			&& strcmp(ibus_engine_desc_get_name(desc), engine) == 0)
			return true;
		g_usleep(10000);
	}
	return false;
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
	return Focus(context, engine) ? context : NULL;
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
	IBusInputContext* echo = Context(bus, "nuvim-echo");
	if (nuvim == NULL || floor == NULL || echo == NULL) {
		fprintf(stderr, "cannot create the input contexts\n");
		return 1;
	}

	const std::vector<Key> cycle = TypingCycle();
	const size_t kRounds = 10;
	const size_t kKeysPerRound = 1000;
	std::vector<double> nuvimTimes;
	std::vector<double> floorTimes;
	std::vector<double> echoTimes;
	struct Side {
		IBusInputContext*	context;
		const char*			engine;
		std::vector<double>* times;
	};
	const Side sides[] = {{nuvim, "nuvim", &nuvimTimes},
		{floor, "nuvim-null", &floorTimes}, {echo, "nuvim-echo", &echoTimes}};
	for (size_t round = 0; round <= kRounds; round++) {
		for (const Side& side : sides) {
			if (!Focus(side.context, side.engine)) {
				fprintf(stderr, "the daemon did not give %s\n", side.engine);
				return 1;
			}
			// Round 0 warms up: the first conversions and messages.
			Type(side.context, cycle, round == 0 ? 200 : kKeysPerRound,
				round == 0 ? NULL : side.times);
		}
	}
	const double nuvimMedian = Percentile(nuvimTimes, 0.5);
	const double floorMedian = Percentile(floorTimes, 0.5);
	printf("round trip of a key press, µs (%zu presses each)\n",
		nuvimTimes.size());
	printf("  do-nothing engine: median %.1f  p99 %.1f\n", floorMedian,
		Percentile(floorTimes, 0.99));
	printf("  one-character preedit engine: median %.1f  p99 %.1f\n",
		Percentile(echoTimes, 0.5), Percentile(echoTimes, 0.99));
	printf("  nuvim engine:      median %.1f  p99 %.1f\n", nuvimMedian,
		Percentile(nuvimTimes, 0.99));
	printf("  nuvim / do-nothing: median %.2f  p99 %.2f\n",
		nuvimMedian / floorMedian,
		Percentile(nuvimTimes, 0.99) / Percentile(floorTimes, 0.99));
	printf("  nuvim / one-character preedit: median %.2f  p99 %.2f\n",
		nuvimMedian / Percentile(echoTimes, 0.5),
		Percentile(nuvimTimes, 0.99) / Percentile(echoTimes, 0.99));

	// Memory: the engine's resident size along a long session.
	if (!Focus(nuvim, "nuvim"))
		return 1;
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
