// ibus-engine-nuvim: the nuvIM input method as an IBus engine.
//
//	ibus-engine-nuvim [--ibus] [--settings DIR]
//
// Started by ibus-daemon from its component file with --ibus: the engine
// then takes the bus name that the component names. Started by hand it
// registers its component itself. The method is loaded (and the settings
// directory, $XDG_CONFIG_HOME/nuvim by default, seeded) before the engine
// appears on the bus, so that the first key does not wait for the
// dictionaries. On a bus disconnect, SIGTERM, SIGINT or SIGHUP the method is
// unloaded, which saves the user dictionary.
//
// Exit status: 0 after an orderly end; 1 when the bus or the method is not
// available, or the user dictionary was not saved; 2 for a malformed
// command line.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <glib-unix.h>
#include <ibus.h>

#include "MethodSession.h"
#include "NuvimEngine.h"


namespace {

const char* const kEngineName = "nuvim";
const char* const kComponentName = "org.freedesktop.IBus.nuvim";

GMainLoop* sLoop = NULL;


gboolean
Quit(gpointer)
{
	g_main_loop_quit(sLoop);
	return G_SOURCE_CONTINUE;
}


void
Disconnected(IBusBus*, gpointer)
{
	g_main_loop_quit(sLoop);
}


// The component of an engine started by hand, as the daemon would read it
// from the component file.
IBusComponent*
MakeComponent()
{
	IBusComponent* component = ibus_component_new(kComponentName,
		"nuvIM Japanese input method", NUVIM_VERSION, "", "nuvIM", "", "",
		"nuvim");
	IBusEngineDesc* engine = ibus_engine_desc_new_varargs(
		"name", kEngineName,
		"longname", "nuvIM",
		"description", "Japanese input, reading first",
		"language", "ja",
		"license", "",
		"author", "nuvIM",
		"icon", "",
		"layout", "default",
		"symbol", "\xE3\x81\x82",	// "あ"
		"icon_prop_key", NuvimEngine::kModeProperty,
		NULL);
	ibus_component_add_engine(component, engine);
	return component;
}


int
Usage(const char* message)
{
	fprintf(stderr, "ibus-engine-nuvim: %s\n"
		"usage: ibus-engine-nuvim [--ibus] [--settings DIR]\n", message);
	return 2;
}

}	// namespace


int
main(int argc, char** argv)
{
	bool byDaemon = false;
	std::string settings;
	for (int i = 1; i < argc; i++) {
		if (strcmp(argv[i], "--ibus") == 0 || strcmp(argv[i], "-i") == 0)
			byDaemon = true;
		else if (strcmp(argv[i], "--settings") == 0 && i + 1 < argc)
			settings = argv[++i];
		else if (strcmp(argv[i], "--help") == 0 || strcmp(argv[i], "-h") == 0) {
			printf("usage: ibus-engine-nuvim [--ibus] [--settings DIR]\n");
			return 0;
		} else
			return Usage((std::string("unexpected argument ") + argv[i]).c_str());
	}

	// NUVIM_IBUS_DEBUG=FILE: what the engine tells of each key goes to FILE
	// (the daemon starts engines with their output thrown away).
	const char* debug = getenv("NUVIM_IBUS_DEBUG");
	if (debug != NULL && debug[0] == '/')
		freopen(debug, "a", stderr);

	ibus_init();
	IBusBus* bus = ibus_bus_new();
	if (!ibus_bus_is_connected(bus)) {
		fprintf(stderr, "ibus-engine-nuvim: cannot connect to ibus-daemon\n");
		return 1;
	}

	MethodSession session;
	std::string error;
	if (!session.Start(settings, error)) {
		fprintf(stderr, "ibus-engine-nuvim: %s\n", error.c_str());
		return 1;
	}
	NuvimEngine::SetSession(&session);

	sLoop = g_main_loop_new(NULL, FALSE);
	g_signal_connect(bus, "disconnected", G_CALLBACK(Disconnected), NULL);
	g_unix_signal_add(SIGTERM, Quit, NULL);
	g_unix_signal_add(SIGINT, Quit, NULL);
	g_unix_signal_add(SIGHUP, Quit, NULL);

	IBusFactory* factory = ibus_factory_new(ibus_bus_get_connection(bus));
	g_signal_connect(factory, "create-engine",
		G_CALLBACK(NuvimEngine::Create), NULL);
	bool registered;
	if (byDaemon)
		registered = ibus_bus_request_name(bus, kComponentName, 0) != 0;
	else
		registered = ibus_bus_register_component(bus, MakeComponent());
	if (!registered) {
		fprintf(stderr, "ibus-engine-nuvim: cannot register on the bus\n");
		NuvimEngine::SetSession(NULL);
		session.Unload();
		return 1;
	}

	g_main_loop_run(sLoop);

	// Engines may still be alive: they must not reach the session again.
	NuvimEngine::SetSession(NULL);
	const bool saved = session.Unload();
	g_main_loop_unref(sLoop);
	if (!saved) {
		fprintf(stderr, "ibus-engine-nuvim: the user dictionary was not saved"
			" to %s/.nuv-jisyo\n", session.SettingsDirectory().c_str());
		return 1;
	}
	return 0;
}
