// The round trip of a key press from a D-Bus client through the fcitx5
// daemon to the nuvim addon and back, beside the do-nothing addon
// nuvim-null in the same run, and the daemon's resident memory over a long
// session.
//
//	nuv_bench_fcitx5_roundtrip FCITX5_PID [KEYS_FOR_MEMORY]
//
// Run on a private bus with a daemon of its own (bench/fcitx5-roundtrip.sh).
// Two input contexts, one per addon, take the same typing in alternating
// rounds, so that the load of the machine falls on both alike.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <gio/gio.h>

#include "Fcitx5Typing.h"


namespace {

const char* const kService = "org.fcitx.Fcitx5";
const char* const kContextInterface = "org.fcitx.Fcitx.InputContext1";

GDBusConnection* sBus = NULL;


GVariant*
Call(const char* path, const char* interface, const char* method,
	GVariant* parameters)
{
	GError* error = NULL;
	GVariant* reply = g_dbus_connection_call_sync(sBus, kService, path,
		interface, method, parameters, NULL, G_DBUS_CALL_FLAGS_NONE, -1, NULL,
		&error);
	if (reply == NULL) {
		fprintf(stderr, "%s: %s\n", method, error->message);
		exit(1);
	}
	return reply;
}


void
Drain()
{
	while (g_main_context_iteration(NULL, FALSE)) {
	}
}


// A new context that shows preedit itself.
std::string
Context()
{
	GVariantBuilder properties;
	g_variant_builder_init(&properties, G_VARIANT_TYPE("a(ss)"));
	g_variant_builder_add(&properties, "(ss)", "program", "nuvim-bench");
	GVariant* reply = Call("/org/freedesktop/portal/inputmethod",
		"org.fcitx.Fcitx.InputMethod1", "CreateInputContext",
		g_variant_new("(a(ss))", &properties));
	const gchar* path = NULL;
	g_variant_get_child(reply, 0, "&o", &path);
	const std::string context = path;
	g_variant_unref(reply);
	// Preedit in the client, as an application that composes in place.
	g_variant_unref(Call(context.c_str(), kContextInterface, "SetCapability",
		g_variant_new("(t)", (guint64)((1 << 1) | (1 << 4)))));
	return context;
}


void
Focus(const std::string& context, const char* engine)
{
	g_variant_unref(Call(context.c_str(), kContextInterface, "FocusIn",
		NULL));
	g_variant_unref(Call("/controller", "org.fcitx.Fcitx.Controller1",
		"SetCurrentIM", g_variant_new("(s)", engine)));
	Drain();
}


void
Type(const std::string& context, const std::vector<TypedKey>& cycle,
	size_t count, std::vector<double>* times)
{
	for (size_t i = 0; i < count; i++) {
		const TypedKey& key = cycle[i % cycle.size()];
		const auto start = std::chrono::steady_clock::now();
		g_variant_unref(Call(context.c_str(), kContextInterface,
			"ProcessKeyEvent", g_variant_new("(uuubu)", key.keysym, 0u,
				key.state, FALSE, 0u)));
		const auto end = std::chrono::steady_clock::now();
		g_variant_unref(Call(context.c_str(), kContextInterface,
			"ProcessKeyEvent", g_variant_new("(uuubu)", key.keysym, 0u,
				key.state, TRUE, 0u)));
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
		fprintf(stderr, "usage: nuv_bench_fcitx5_roundtrip FCITX5_PID"
			" [KEYS_FOR_MEMORY]\n");
		return 2;
	}
	const std::string pid = argv[1];
	const size_t memoryKeys = argc > 2 ? std::strtoul(argv[2], NULL, 10)
		: 100000;
	sBus = g_bus_get_sync(G_BUS_TYPE_SESSION, NULL, NULL);
	if (sBus == NULL) {
		fprintf(stderr, "no session bus\n");
		return 1;
	}
	const std::string nuvim = Context();
	const std::string floor = Context();

	const std::vector<TypedKey> cycle = TypingCycle();
	const size_t kRounds = 10;
	const size_t kKeysPerRound = 1000;
	std::vector<double> nuvimTimes;
	std::vector<double> floorTimes;
	for (size_t round = 0; round <= kRounds; round++) {
		Focus(nuvim, "nuvim");
		Type(nuvim, cycle, round == 0 ? 200 : kKeysPerRound,
			round == 0 ? NULL : &nuvimTimes);
		Focus(floor, "nuvim-null");
		Type(floor, cycle, round == 0 ? 200 : kKeysPerRound,
			round == 0 ? NULL : &floorTimes);
	}
	const double nuvimMedian = Percentile(nuvimTimes, 0.5);
	const double floorMedian = Percentile(floorTimes, 0.5);
	printf("round trip of a key press, µs (%zu presses each)\n",
		nuvimTimes.size());
	printf("  do-nothing addon: median %.1f  p99 %.1f\n", floorMedian,
		Percentile(floorTimes, 0.99));
	printf("  nuvim: median %.1f  p99 %.1f  (%.2f times)\n", nuvimMedian,
		Percentile(nuvimTimes, 0.99), nuvimMedian / floorMedian);

	if (memoryKeys == 0)
		return 0;
	Focus(nuvim, "nuvim");
	printf("fcitx5's resident size, KiB, after n keys to nuvim\n");
	size_t typed = 0;
	for (size_t mark = memoryKeys / 10; typed < memoryKeys;
			mark += memoryKeys / 10) {
		Type(nuvim, cycle, mark - typed, NULL);
		typed = mark;
		printf("  %7zu  %ld\n", typed, ResidentKilobytes(pid));
	}
	return 0;
}
