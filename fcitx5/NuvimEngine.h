// The fcitx5 input method "nuvim": glue between fcitx5's engine interface and
// the hosted method (MethodSession.h), inside the fcitx5 daemon that serves
// every application of the desktop.
//
// One method means one composition: the input context that last sent a key
// (or was activated) composes, and when another one does, the composition
// in the former ends first. Nothing here waits for the method longer than
// the session's bound: the method starts on a thread of its own (its
// construction waits for the tables and the large dictionary to load),
// calls made meanwhile or while the method is busy wait in the session's
// queue, and what the method does later reaches the input context of the
// call it came from through a timer of fcitx5's event loop, in order. A
// key queued and then passed on by the method is forwarded in its turn.
//
// When the focus leaves, fcitx5 (or a client that does it itself) commits
// the composed text as the application shows it, less the parts marked
// not to be committed: the method's markers and romaji not yet kana are so
// marked, and the method then only stops composing. A reset the
// application asks for, or switching to another input method, commits the
// same text from here (MethodSession::Reset, Activate).
//
// Threads: every call runs on fcitx5's main thread.
#ifndef NUVIM_FCITX5_ENGINE_H
#define NUVIM_FCITX5_ENGINE_H

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include <fcitx-utils/event.h>
#include <fcitx-utils/key.h>
#include <fcitx-utils/trackableobject.h>
#include <fcitx/action.h>
#include <fcitx/addonfactory.h>
#include <fcitx/inputcontext.h>
#include <fcitx/inputmethodengine.h>
#include <fcitx/instance.h>

#include "MethodSession.h"

class NuvimEngine final : public fcitx::InputMethodEngineV2 {
public:
	// While the method works on, the timer looks every kPollInterval and
	// waits at most kPollWait.
	static const uint64_t		kPollInterval = 10000;
	static const int64_t		kPollWait = 5000;

	explicit					NuvimEngine(fcitx::Instance* instance);
	// Unloads the method: it saves the user dictionary, and every thread
	// it started has ended when this returns.
								~NuvimEngine() override;

	void						keyEvent(const fcitx::InputMethodEntry& entry,
									fcitx::KeyEvent& event) override;
	void						activate(const fcitx::InputMethodEntry& entry,
									fcitx::InputContextEvent& event) override;
	void						deactivate(
									const fcitx::InputMethodEntry& entry,
									fcitx::InputContextEvent& event) override;
	void						reset(const fcitx::InputMethodEntry& entry,
									fcitx::InputContextEvent& event) override;
	std::string					subModeLabelImpl(
									const fcitx::InputMethodEntry& entry,
									fcitx::InputContext& context) override;

	// A candidate of the page shown, clicked in the panel.
	void						Pick(fcitx::InputContext* context,
									uint32_t index);

private:
	// Where the actions of a session call go: its input context, and for
	// a key the key itself, which a FORWARD action sends on.
	struct Target {
		fcitx::TrackableObjectReference<fcitx::InputContext> context;
		fcitx::Key				key;
		bool					isKey = false;
		// The composition ended with the focus: fcitx5 has committed it.
		bool					committed = false;
	};

	void						_Follow(fcitx::InputContext* context);
	// A new tag for a session call made for `context`.
	uint64_t					_Tag(fcitx::InputContext* context,
									const fcitx::Key* key = nullptr,
									bool committed = false);
	// Delivers `outcome` to the input contexts its actions belong to.
	void						_Apply(const KeyOutcome& outcome);
	void						_ShowPalettes(fcitx::InputContext* context,
									bool force);
	void						_WatchQueue();
	void						_OpenHelp(fcitx::InputContext* context);

	fcitx::Instance*			fInstance;
	MethodSession				fSession;
	bool						fFailureTold;
	fcitx::TrackableObjectReference<fcitx::InputContext> fCurrent;
	bool						fHasCurrent;
	std::unordered_map<uint64_t, Target> fTargets;
	uint64_t					fLastTag;
	std::unique_ptr<fcitx::EventSourceTime> fPoll;
	PaletteState				fShown;
	bool						fTableShown;
	fcitx::SimpleAction			fModeAction;
	fcitx::SimpleAction			fHelpAction;
};


class NuvimEngineFactory : public fcitx::AddonFactory {
public:
	fcitx::AddonInstance*		create(fcitx::AddonManager* manager) override;
};

#endif	// NUVIM_FCITX5_ENGINE_H
