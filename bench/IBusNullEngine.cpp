// ibus-engine-nuvim-null: an IBus engine that takes every key press and does
// nothing with it, the floor against which the nuvim engine's round trip is
// measured (IBusRoundTrip.cpp). Started by ibus-daemon from
// <build>/bench/ibus/nuvim-null.xml.
#include <ibus.h>


namespace {

GMainLoop* sLoop = NULL;

struct NullEngine {
	IBusEngine		parent;
};

struct NullEngineClass {
	IBusEngineClass	parent;
};

G_DEFINE_TYPE(NullEngine, null_engine, IBUS_TYPE_ENGINE)


gboolean
ProcessKeyEvent(IBusEngine*, guint, guint, guint state)
{
	return (state & IBUS_RELEASE_MASK) == 0;
}


void
null_engine_class_init(NullEngineClass* klass)
{
	IBUS_ENGINE_CLASS(klass)->process_key_event = ProcessKeyEvent;
}


void
null_engine_init(NullEngine*)
{
}


void
Disconnected(IBusBus*, gpointer)
{
	g_main_loop_quit(sLoop);
}

}	// namespace


int
main()
{
	ibus_init();
	IBusBus* bus = ibus_bus_new();
	if (!ibus_bus_is_connected(bus))
		return 1;
	sLoop = g_main_loop_new(NULL, FALSE);
	g_signal_connect(bus, "disconnected", G_CALLBACK(Disconnected), NULL);
	IBusFactory* factory = ibus_factory_new(ibus_bus_get_connection(bus));
	ibus_factory_add_engine(factory, "nuvim-null", null_engine_get_type());
	if (ibus_bus_request_name(bus, "org.freedesktop.IBus.nuvim_null", 0) == 0)
		return 1;
	g_main_loop_run(sLoop);
	return 0;
}
