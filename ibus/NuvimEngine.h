// The IBus engine "nuvim": glue between the IBus engine interface and the
// hosted method (MethodSession.h). Every engine object the daemon creates
// shares the one session of the process; what a key causes goes to the
// engine that sent it.
//
// Threads: every call, and every libibus call made here, runs on the GLib
// main thread.
#ifndef NUVIM_ENGINE_H
#define NUVIM_ENGINE_H

#include <ibus.h>

class MethodSession;

class NuvimEngine {
public:
	// The GObject type of the engine, registered on the first call.
	static	GType				Type();
	// A new engine named `name` for `factory` (its "create-engine"
	// handler), made to hear the client's name on focus in, which tells
	// how the client treats the composed text when its focus moves.
	static	IBusEngine*			Create(IBusFactory* factory,
									const gchar* name);

	// The session that every engine object drives; must outlive them.
	static	void				SetSession(MethodSession* session);

	// The property keys the engine registers.
	static const char* const	kModeProperty;	// "InputMode"
	static const char* const	kHelpProperty;	// "Help"
};

#endif	// NUVIM_ENGINE_H
