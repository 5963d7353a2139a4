// One input method hosted for a desktop input framework: the settings
// directory, the module, the keys, and what the application is to show,
// decoded from the method's events and windows into framework-neutral
// terms (commit, preedit with character offsets, a candidate page, prompts,
// the mode label). A framework's engine is glue over this class.
//
// Threads: every call is made on one thread, the framework's main thread,
// which then plays the input server's and the application's threads
// (MethodHost.h); StartInBackground() alone uses a thread of its own. No
// call waits for the method longer than its bound (kDefaultWait): what a
// slow method does afterwards comes out of Poll(), in order, and what
// arrives while it is still busy (keys, activation, the end of the
// composition) waits in a queue here, so that nothing overtakes what came
// before it.
//
// When the composition ends from outside (the focus moves, the framework
// disables the method, the application resets it), the composed text goes
// into the document as it was shown, without the method's markers, the
// registration cursor or romaji not yet turned into kana (ComposedText.h),
// and nothing is learned.
#ifndef METHOD_SESSION_H
#define METHOD_SESSION_H

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <thread>
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
	// In the text without markers (SessionAction::plain): the romaji not
	// yet turned into kana that `committed` leaves out, and where they
	// start (characters). A client that may put the composed text into
	// the document as it stands must be shown WithoutRomaji().
	std::string			romaji;
	int32_t				romajiStart = 0;

	// The same preedit less `romaji`, offsets moved to match.
			Preedit				WithoutRomaji() const;

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
	// The call the action comes from: the `tag` given to it (HandleKey,
	// Activate, Stop, Reset, PickCandidate), which also names the key of a
	// FORWARD action.
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

	// One line for a framework's text above its candidate list: the
	// prompts, then the remaining count as the page shows it ("[残り N]")
	// while a page is shown. Empty when there is neither.
	std::string					AuxiliaryLine() const;

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
	// False when the method had not settled within the wait, or the call
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
	// Start() on a thread of its own, for a framework whose loop may never
	// wait for the method's construction (its tables and dictionaries
	// load meanwhile). Until it is over, the session is busy: calls are
	// queued, and Poll() carries them out once the method has started. If
	// it fails, keys queued meanwhile are forwarded, the rest dropped, and
	// StartError() tells why.
			void				StartInBackground(const std::string& settings);
	// Why the start in the background failed; empty while it runs or
	// when it succeeded.
			const std::string&	StartError() const;
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
	// does. Nothing when no page is shown, the index is outside it, or
	// earlier work is still under way (the page may not be the one shown).
			KeyOutcome			PickCandidate(uint32_t index,
									uint64_t tag = 0);
	// Activation (the framework enables or disables the method); when
	// disabled, the composition ends as in Stop(). Queued behind earlier
	// work that is not done within kDefaultWait, as are Stop() and Reset().
			KeyOutcome			Activate(bool active, uint64_t tag = 0);
	// The composition ends because the focus moved (another field, another
	// window, another input context): keys already typed are finished
	// first, then the composed text is committed without markers (pending
	// romaji dropped) and the method stops composing.
			KeyOutcome			Stop(uint64_t tag = 0);
	// The application asks for a reset: as Stop(), but romaji not yet
	// turned into kana are typed again afterwards, so that a reset in the
	// middle of typing loses no key.
			KeyOutcome			Reset(uint64_t tag = 0);
	// What a busy method did since, and the queued calls it could carry
	// out within `waitMicros`; `settled` tells whether all is done.
			KeyOutcome			Poll(int64_t waitMicros = 0);
	// True while the method starts, a call's work is still under way or
	// calls are queued.
			bool				HasPendingWork() const
									{ return fStarting || fPending
										|| !fQueue.empty(); }

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
	// A call waiting for the method.
	struct Request {
		enum Kind { KEY, ACTIVATE, DEACTIVATE, STOP, RESET };
		Kind				kind;
		KeyStep				step;
		uint64_t			tag;
	};

	// False while the start in the background runs; once it is over, joins
	// its thread and, if it failed, forwards the queued keys.
			bool				_Started(KeyOutcome& outcome);
	// Carries `request` out now if earlier work is done by `deadline`,
	// else queues it; false when queued or no method is loaded.
			bool				_Submit(const Request& request,
									KeyOutcome& outcome, int64_t deadline);
	// Activate(), Stop(), Reset(): _Submit() within kDefaultWait.
			KeyOutcome			_Call(const Request& request);
			void				_Carry(const Request& request,
									KeyOutcome& outcome, int64_t deadline,
									bool answered);
			void				_Send(const KeyStep& step, uint64_t tag,
									bool answered);
			bool				_Settle(KeyOutcome& outcome,
									int64_t deadline);
			bool				_Drain(KeyOutcome& outcome, int64_t deadline);
			void				_End(const Request& request,
									KeyOutcome& outcome, int64_t deadline);
			std::string			_Committed(const std::string& composed,
									std::string* romaji);
	static	void				_FindRomaji(Preedit& plain);
			void				_Collect(KeyOutcome& outcome);

			std::unique_ptr<CaretApplication> fApplication;
			std::unique_ptr<HostedMethod> fHosted;
			// The hosted method's host, while it is loaded.
			MethodHost*			fHost;
			std::string			fResolved;
			// The preedit the client shows, against which changes are told
			// apart.
			Preedit				fShown;
			std::thread			fStarter;
			bool				fStarting;
			// Set by the start-up thread last, with fStartError before it.
			std::atomic<bool>	fStartDone;
			std::string			fStartError;
			bool				fPending;
			std::deque<Request>	fQueue;
			// The call the method is carrying out; for a key, its answer
			// was given already when it was queued or did not settle in
			// time.
			uint64_t			fTag;
			bool				fKeyAnswered;
			bool				fKeyPassed;
			bool				fPalettesRead;
			uint64_t			fPaletteChanges;
			PaletteState		fPalettes;
};

#endif	// METHOD_SESSION_H
