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
#include <memory>
#include <string>
#include <vector>

#include "KeyScript.h"

class CaretApplication;
class HostedMethod;
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
		PREEDIT			// show `preedit` (hidden when not visible)
	};
	Kind				kind = COMMIT;
	std::string			text;
	Preedit				preedit;
};

// What the method's palettes show.
struct PaletteState {
	std::string					mode;		// the mode palette's label
	bool						candidatesShown = false;
	// The page, in the order of NuvContract::kSelectionLabels.
	std::vector<std::string>	candidates;
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
								MethodSession();
	// Unloads the method if it is loaded.
								~MethodSession();

	// Seeds `settings` (the default directory when empty) from the bundle,
	// points the kits at it and loads the method module found next to the
	// program or in the installed prefix, then activates nothing. False
	// with a one-line reason.
			bool				Start(const std::string& settings,
									std::string& error);
	// Loads the module at `path` instead of the one found next to the
	// program or in the installed prefix (a test's build); before Start().
			void				SetModule(const std::string& path)
									{ fModule = path; }
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

	// The caret of the application, in screen pixels: location requests
	// are answered from it.
			void				SetCursorLocation(int32_t x, int32_t y,
									int32_t width, int32_t height);

	// Chooses the method's Help item and returns the page it opened, with
	// the temporary settings link resolved; empty when none.
			std::string			HelpPage();

	// The palettes as shown now.
			PaletteState		Palettes();

	static const int64_t		kDefaultWait = 1000000;

private:
			KeyOutcome			_Settle(int64_t waitMicros);
			void				_Collect(KeyOutcome& outcome);

			std::unique_ptr<CaretApplication> fApplication;
			std::unique_ptr<HostedMethod> fHosted;
			// The hosted method's host, while it is loaded.
			MethodHost*			fHost;
			std::string			fResolved;
			std::string			fModule;
			// The preedit the client shows, against which changes are told
			// apart.
			Preedit				fShown;
			bool				fPending;
			bool				fPalettesRead;
			uint64_t			fPaletteChanges;
			PaletteState		fPalettes;
};

#endif	// METHOD_SESSION_H
