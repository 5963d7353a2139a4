// One input method hosted for a desktop input framework: the settings
// directory, the module, the keys, and what the application is to show,
// decoded from the method's events and windows into framework-neutral
// terms (commit, preedit with character offsets, a candidate page, prompts,
// the mode label). A framework's engine is glue over this class.
//
// Threads: every call is made on one thread, the framework's main thread,
// which then plays the input server's and the application's threads
// (MethodHost.h). No call waits for the method longer than its bound
// (kDefaultWait for keys): what a slow method does afterwards comes out of
// Poll(), in order, and keys that arrive while it is still busy wait in a
// queue here, so that a later key never overtakes an earlier one.
//
// When the composition ends from outside (the focus moves, the framework
// disables the method, the application resets it), the composed text goes
// into the document as it was shown, without the method's markers, the
// registration cursor or romaji not yet turned into kana (ComposedText.h),
// and nothing is learned.
#ifndef METHOD_SESSION_H
#define METHOD_SESSION_H

#include <cstdint>
#include <deque>
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
	// What ending the composition now leaves in the document: the text
	// without the method's markers and without romaji not yet turned into
	// kana (see MethodSession's focus policy).
	std::string			committed;

	bool operator==(const Preedit& other) const;
	bool operator!=(const Preedit& other) const { return !(*this == other); }
};

// One thing the application is to do, in the order the method asked.
struct SessionAction {
	enum Kind {
		COMMIT,			// insert `text` (UTF-8)
		PREEDIT,		// show `preedit` (hidden when not visible)
		FORWARD			// the key given to HandleKey with `tag` goes on to
						// the application now: the framework sends it
						// itself (its answer was given already)
	};
	Kind				kind = COMMIT;
	std::string			text;
	Preedit				preedit;
	// The same composition without the method's markers, the registration
	// cursor and the okuri point, offsets mapped to it: for a framework
	// whose applications may put the composed text into the document as
	// it stands (when their focus moves, say).
	Preedit				plain;
	uint64_t			tag = 0;
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
	// False when the method had not settled within the wait, or the key
	// waits in the queue; the rest comes out of Poll(). The framework
	// answers "handled" for such a key: should the method pass it on
	// later, a FORWARD action says so.
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
	// The settings directory in use (absolute), once started.
			const std::string&	SettingsDirectory() const
									{ return fResolved; }
	// Deletes the method, which saves the user dictionary, and removes
	// the temporary settings link. True when the user dictionary file was
	// written by it. Safe to call twice.
			bool				Unload();
			bool				IsLoaded() const;

	// The key `step` with a wait of at most `waitMicros` for the method.
	// `tag` names the key in a later FORWARD action. While the method is
	// still busy with earlier keys, the key waits in the queue (the
	// outcome holds what the earlier keys did meanwhile).
			KeyOutcome			HandleKey(const KeyStep& step,
									int64_t waitMicros = kDefaultWait,
									uint64_t tag = 0);
	// Picks candidate `index` (0-6) of the page shown, as its selection key
	// does. Nothing when no page is shown or the index is outside it.
			KeyOutcome			PickCandidate(uint32_t index);
	// Activation (the framework enables or disables the method); when
	// disabled, the composition ends as in Stop().
			KeyOutcome			Activate(bool active);
	// The composition ends because the focus moved (another field, another
	// window, another input context): keys already typed are finished
	// first, then the composed text is committed without markers (pending
	// romaji dropped) and the method stops composing.
			KeyOutcome			Stop();
	// The application asks for a reset: as Stop(), but romaji not yet
	// turned into kana are typed again afterwards, so that a reset in the
	// middle of typing loses no key.
			KeyOutcome			Reset();
	// What a busy method did since, and the queued keys it could take
	// within `waitMicros`; `settled` tells whether all is done.
			KeyOutcome			Poll(int64_t waitMicros = 0);
	// True while a key's work is still under way or keys are queued.
			bool				HasPendingWork() const
									{ return fPending || !fQueue.empty(); }

	// The caret of the application, in screen pixels: location requests
	// are answered from it.
			void				SetCursorLocation(int32_t x, int32_t y,
									int32_t width, int32_t height);

	// Chooses the method's Help item and returns the page it opened, with
	// the temporary settings link resolved; empty when none.
			std::string			HelpPage();

	// The palettes as shown now.
			PaletteState		Palettes();

	// The longest a call waits for the method.
	static const int64_t		kDefaultWait = 50000;

private:
	struct QueuedKey {
		KeyStep				step;
		uint64_t			tag;
	};

			void				_Send(const KeyStep& step, uint64_t tag,
									bool answered);
			bool				_Settle(KeyOutcome& outcome,
									int64_t deadline);
			bool				_Drain(KeyOutcome& outcome, int64_t deadline);
			KeyOutcome			_End(bool keepRomaji);
			std::string			_Committed(const std::string& composed,
									std::string* romaji);
			void				_Collect(KeyOutcome& outcome);

			std::unique_ptr<CaretApplication> fApplication;
			std::unique_ptr<HostedMethod> fHosted;
			// The hosted method's host, while it is loaded.
			MethodHost*			fHost;
			std::string			fResolved;
			// The preedit the client shows, against which changes are told
			// apart.
			Preedit				fShown;
			bool				fPending;
			std::deque<QueuedKey> fQueue;
			// The key the method has now; its answer was given already
			// when it was queued or did not settle in time.
			uint64_t			fKeyTag;
			bool				fKeyAnswered;
			bool				fKeyPassed;
			bool				fPalettesRead;
			uint64_t			fPaletteChanges;
			PaletteState		fPalettes;
};

#endif	// METHOD_SESSION_H
