// One input method hosted for a desktop input framework: the settings
// directory, the module, the keys, and what the application is to show,
// decoded from the method's events and windows into framework-neutral
// terms (commit, preedit with character offsets, a candidate page, prompts,
// the mode label). A framework's engine is glue over this class.
//
// Threads: every call is made on one thread, the framework's main thread,
// which then plays the input server's and the application's threads
// (MethodHost.h). A key waits for the method to settle only for a bounded
// time; what a slow method does afterwards comes out of Poll().
#ifndef METHOD_SESSION_H
#define METHOD_SESSION_H

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "KeyScript.h"
#include "UserDictionaryFile.h"

class DesktopApplication;
class MethodHost;

// Composed text as the application shows it. Offsets count characters.
struct Preedit {
	bool				visible = false;
	std::string			text;			// UTF-8
	int32_t				clauseStart = 0;	// the underlined clause
	int32_t				clauseEnd = 0;
	int32_t				cursor = 0;
	// The candidate being offered (after the conversion marker); empty
	// range when none is.
	int32_t				highlightStart = 0;
	int32_t				highlightEnd = 0;

	bool operator==(const Preedit& other) const;
	bool operator!=(const Preedit& other) const { return !(*this == other); }
};

// One thing the application is to do, in the order the method asked.
struct SessionAction {
	enum Kind {
		COMMIT,			// insert `text` (UTF-8)
		PREEDIT,		// show `preedit` (hidden when not visible)
		PASS			// queued requests only: the key of `request` goes
						// on to the application
	};
	Kind				kind = COMMIT;
	std::string			text;
	Preedit				preedit;
	// Queued requests only: the request the method was carrying out.
	uint64_t			request = 0;
};

// What the method's palettes show.
struct PaletteState {
	std::string					mode;		// the mode palette's label
	bool						candidatesShown = false;
	std::vector<std::string>	candidates;	// the page, label order
	int32_t						remaining = 0;	// candidates after the page
	std::vector<std::string>	prompts;	// registration and purge lines

	bool operator==(const PaletteState& other) const;
	bool operator!=(const PaletteState& other) const
		{ return !(*this == other); }
};

// The outcome of one key.
struct KeyOutcome {
	std::vector<SessionAction>	actions;
	// The application receives the key (the method passed it on and did
	// nothing else with it): the framework answers "not handled".
	bool						handedBack = false;
	// The method both committed text and passed the key on: the framework
	// delivers the actions, then sends the same key on itself, and answers
	// "handled", so that the key cannot overtake the text.
	bool						forward = false;
	// False when the method had not settled within the wait; the rest of
	// its work comes out of Poll().
	bool						settled = true;
};

class MethodSession {
public:
	// The selection keys of a candidate page, in label order.
	static const char* const	kLabels;	// "ASDFJKL"

								MethodSession();
	// Unloads the method if it is loaded.
								~MethodSession();

	// Seeds `settings` (the default directory when empty) from the bundle,
	// points the kits at it and loads the method module found next to the
	// program or in the installed prefix, then activates nothing. False
	// with a one-line reason.
			bool				Start(const std::string& settings,
									std::string& error);
	// The settings directory in use (absolute), once started.
			const std::string&	SettingsDirectory() const
									{ return fResolved; }
	// Deletes the method, which saves the user dictionary, and removes
	// the temporary settings link. True when the user dictionary file was
	// written by it. Safe to call twice.
			bool				Unload();
			bool				IsLoaded() const;

	// The key `step` with a wait of at most `waitMicros` for the method.
			KeyOutcome			HandleKey(const KeyStep& step,
									int64_t waitMicros = kDefaultWait);
	// Picks candidate `index` (0-6) of the page shown, as its selection key
	// does. Nothing when no page is shown or the index is outside it.
			KeyOutcome			PickCandidate(uint32_t index);
	// Activation (the framework enables or disables the method).
			KeyOutcome			Activate(bool active);
	// The application ends the composition (focus out, reset).
			KeyOutcome			Stop();
	// What a method that had not settled did since; `settled` tells
	// whether it is idle now.
			KeyOutcome			Poll();
	// True while a key's work is still under way.
			bool				HasPendingWork() const { return fPending; }

	// Queued requests, for a framework whose loop may never wait long for
	// the method (one that serves every application of the desktop). Each
	// request is carried out once the method has finished the one before,
	// so none overtakes another; Advance() moves the queue on. Each call
	// returns the request's number (never 0), or 0 when there is nothing
	// to do: no method, a step that is no key, no candidate `index` shown.
	// Not to be mixed with the calls above while requests are under way.
			uint64_t			SubmitKey(const KeyStep& step);
	// As the candidate's selection key, which never reaches the client.
			uint64_t			SubmitPick(uint32_t index);
			uint64_t			SubmitActivate(bool active);
	// Ends the composition, as Stop() does.
			uint64_t			SubmitStop();
	// Carries out queued requests, waiting for the method at most
	// `waitMicros` in all, and returns what it did since the last call,
	// in order, each action tagged with its request; a key the method
	// passed on is a PASS action. `settled`: nothing is queued or under
	// way; the rest comes out of later calls otherwise.
			KeyOutcome			Advance(int64_t waitMicros);
			bool				HasQueuedWork() const
									{ return fRunning != 0
										|| !fRequests.empty(); }

	// The caret of the application, in screen pixels: location requests
	// are answered from it.
			void				SetCursorLocation(int32_t x, int32_t y,
									int32_t width, int32_t height);

	// Chooses the method's Help item and returns the page it opened, with
	// the temporary settings link resolved; empty when none.
			std::string			HelpPage();

	// The palettes as shown now.
			PaletteState		Palettes();
	// Parses a candidate page line ("A:x  S:y  [残り N]"); false when the
	// line has another shape.
	static	bool				ParseCandidateLine(const std::string& line,
									std::vector<std::string>& candidates,
									int32_t& remaining);
	// The number of characters in the first `bytes` bytes of `text`.
	static	int32_t				CharacterOffset(const std::string& text,
									int32_t bytes);

	static const int64_t		kDefaultWait = 1000000;

private:
	struct Request {
		enum Kind { KEY, PICK, ACTIVATE, DEACTIVATE, STOP };
		Kind			kind = KEY;
		uint64_t		serial = 0;
		KeyStep			step;
	};

			KeyOutcome			_Settle(int64_t waitMicros);
	// Turns what was delivered into actions; with `request` set (queued
	// use), tags them with it and reports passed keys as PASS actions.
			void				_Collect(KeyOutcome& outcome,
									const Request* request = NULL);
			uint64_t			_Submit(Request::Kind kind,
									const KeyStep& step = KeyStep());
			void				_Dispatch(const Request& request);
			void				_HideComposition(KeyOutcome& outcome,
									uint64_t request);

			std::unique_ptr<DesktopApplication> fApplication;
			std::unique_ptr<MethodHost> fHost;
			std::string			fTemporary;
			std::string			fResolved;
			std::string			fAliasFrom;
			std::string			fAliasTo;
			bool				fPending;
			bool				fPalettesRead;
			uint64_t			fPaletteChanges;
			PaletteState		fPalettes;
			std::deque<Request>	fRequests;
			Request				fRunningRequest;
			uint64_t			fRunning;		// 0 when none is
			uint64_t			fNextSerial;
			// .nuv-jisyo as the session found it, to tell the last save.
			std::unique_ptr<UserDictionaryFile> fDictionaryBefore;
};

#endif	// METHOD_SESSION_H
