// The IBus engine "nuvim": glue between the IBus engine interface and the
// hosted method (MethodSession.h). Every engine object the daemon creates
// shares the one session of the process; what a key causes goes to the
// engine that sent it.
//
// Threads: every call, and every libibus call made here, runs on the GLib
// main thread.
#ifndef NUVIM_ENGINE_H
#define NUVIM_ENGINE_H

#include <glib-object.h>

class MethodSession;

class NuvimEngine {
public:
	// The GObject type of the engine, registered on the first call.
	static	GType				Type();

	// The session that every engine object drives; must outlive them.
	static	void				SetSession(MethodSession* session);

	// The property keys the engine registers.
	static const char* const	kModeProperty;	// "InputMode"
	static const char* const	kHelpProperty;	// "Help"
};

#endif	// NUVIM_ENGINE_H
