// ibus-engine-nuvim-null: two IBus engines that take every key press, the
// floors against which the nuvim engine's round trip is measured
// (IBusRoundTrip.cpp): "nuvim-null" does nothing with it, "nuvim-echo"
// shows one character of preedit for it, the least a method that composes
// text sends back for a key. Started by ibus-daemon from
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


struct EchoEngine {
	IBusEngine		parent;
};

struct EchoEngineClass {
	IBusEngineClass	parent;
};

G_DEFINE_TYPE(EchoEngine, echo_engine, IBUS_TYPE_ENGINE)


gboolean
EchoKeyEvent(IBusEngine* engine, guint, guint, guint state)
{
	if ((state & IBUS_RELEASE_MASK) != 0)
		return FALSE;
	ibus_engine_update_preedit_text_with_mode(engine,
		ibus_text_new_from_string("\xE3\x81\x82"), 1, TRUE,
		IBUS_ENGINE_PREEDIT_CLEAR);
	return TRUE;
}


void
echo_engine_class_init(EchoEngineClass* klass)
{
	IBUS_ENGINE_CLASS(klass)->process_key_event = EchoKeyEvent;
}


void
echo_engine_init(EchoEngine*)
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
	ibus_factory_add_engine(factory, "nuvim-echo", echo_engine_get_type());
	if (ibus_bus_request_name(bus, "org.freedesktop.IBus.nuvim_null", 0) == 0)
		return 1;
	g_main_loop_run(sLoop);
	return 0;
}
