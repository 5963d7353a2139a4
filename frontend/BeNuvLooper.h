// The method's message loop: it owns the engine's controller, the shared
// resources and the menu, turns key-down messages into engine input and
// tells the focused application what is composed and confirmed through
// input-method events.
//
// Threads: every engine call runs with this looper locked, on its own thread
// (MessageReceived) or on the input server's thread (MethodActivated, which
// takes the lock). Lock order: this looper's lock before any palette's
// window lock and before the resources' load latch.
//
// Events sent to the application (B_INPUT_METHOD_EVENT), each starting with
// "be:opcode" (int32) and "be:reply_to" (a messenger to this looper):
//	STARTED (0), STOPPED (1), LOCATION_REQUEST (3): nothing more;
//	CHANGED (2): "be:string", "be:confirmed", then "be:clause_start" 0,
//	"be:clause_end", "be:selection" twice, all the text's length in bytes;
//	the closing CHANGED has "be:string" "" and "be:confirmed" true only.
// A transaction is one STARTED ... STOPPED bracket; every text CHANGED lies
// inside one.
#ifndef BE_NUV_LOOPER_H
#define BE_NUV_LOOPER_H

#include <string>
#include <vector>

#include <Looper.h>
#include <Point.h>

#include "BeNuvResources.h"
#include "NuvTypes.h"

class BInputServerMethod;
class BMenu;
class BMessage;
class BeNuvControler;

class BeNuvLooper : public BLooper {
public:
	// Starts loading the resources, builds the controller (which waits for
	// the load) and the menu. Returns locked by the calling thread, as any
	// new looper; the caller then Run()s it. `method` is not owned and
	// must outlive the looper.
								BeNuvLooper(BInputServerMethod* method);
	// Deletes the controller (closing the palettes) and the menu, then the
	// resources, which write the user dictionary back.
	virtual						~BeNuvLooper();

	// Dispatch: key-downs, the application's STOPPED request and location
	// reply, the menu's "Help" item; after each message the user
	// dictionary's changes go to the resources' saver. Looper thread.
	virtual	void				MessageReceived(BMessage* message);

	// Shows or hides the mode palette and publishes or withdraws the menu;
	// on deactivation also Clear()s and has the user dictionary saved (on
	// the resources' saver thread). Input server's thread; locks the
	// looper. Returns B_OK.
			status_t			MethodActivated(bool active);

	// Hands `message` to the input server, which takes ownership.
			void				EnqueueMessage(BMessage* message);

	// Caret locations reported by the application, one per composed
	// character. An index outside [0, CountTargetLocations()) gives the
	// point (0, 0) and the height 0.
			int32				CountTargetLocations() const;
			BPoint				TargetLocation(int index) const;
			float				TargetHeight(int index) const;

			BeNuvResources*		Resources() { return &fResources; }
	// The engine's controller; owned by the looper. Lock the looper to use.
			BeNuvControler*		Controler() const { return fControler; }

	// Key path

	// Feeds the key in `message` to the engine and sends the events it
	// causes. Keys with Command or Option go to the application untouched.
	// A key the engine answers INPUT_AGAIN is handled again at once, before
	// any later message, so that keys typed meanwhile keep their order. A
	// key the engine does not use reaches the application only when nothing
	// is composed. Call with the looper locked.
			void				HandleKeyDown(BMessage* message);
	// The engine input for a key-down message: "key" as the key code, and
	// the "byte" items packed little-endian into the character (one item:
	// that byte; two or three: as many bytes as there are items). A
	// four-byte UTF-8 character, which the platform sends as four items,
	// gives its first three bytes: a value that no character of one to
	// three bytes and no table entry can have, so the engine treats it as a
	// key it does not use.
	static	nuv_input			KeyInput(const BMessage* message);

	// A new event with "be:opcode" and "be:reply_to" only; the caller owns
	// it until it is enqueued.
			BMessage*			GenerateEvent(int32 opcode);
	// A CHANGED event for the UTF-8 `text`; caller owns it.
			BMessage*			GenerateChangedEvent(const std::string& text,
									bool confirmed);
	// Resets the engine; closes an open transaction with an empty
	// confirmed CHANGED and STOPPED. Call with the looper locked.
			void				Clear();

	// Whether a STARTED has been sent and no STOPPED after it.
			bool				IsTransactionOpen() const
									{ return fTransactionOpen; }

private:
			void				HandleInputMethodStopped();
			void				HandleInputMethodLocationRequest(
									BMessage* message);
			void				HandleLaunchHelp();

			void				_SendEvents();
			BMessage*			_GenerateClosingEvent();
			void				_PassThrough(BMessage* message);

			BInputServerMethod*	fMethod;
			BeNuvControler*		fControler;
			bool				fTransactionOpen;
			std::vector<BPoint>	fTargetLocations;
			std::vector<float>	fTargetHeights;
			BeNuvResources		fResources;
			BMenu*				fMenu;
};

#endif	// BE_NUV_LOOPER_H
