// The fcitx5 input method "nuvim": glue between fcitx5's engine interface and
// the hosted method (MethodSession.h), inside the fcitx5 daemon that serves
// every application of the desktop.
//
// One method means one composition: the input context that last sent a key
// (or was activated) receives what the method does, and when another one
// does, the composition in the former ends first. Nothing here waits for the
// method longer than kKeyWait: the method starts on a thread of its own
// (its construction waits for the tables and the large dictionary to load),
// requests go through the session's queue, and what the method does later
// reaches the input contexts from a timer of fcitx5's event loop, in order.
// Keys that arrive while the method is busy are accepted and queued; one it
// then passes on is forwarded in its turn.
//
// Threads: every call runs on fcitx5's main thread; the session is used by
// the start-up thread alone until it has been joined.
#ifndef NUVIM_FCITX5_ENGINE_H
#define NUVIM_FCITX5_ENGINE_H

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

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
	// The longest a key, a click or an activation waits for the method
	// (µs), within fcitx5's bound of 50 ms for its loop.
	static const int64_t		kKeyWait = 30000;
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
	enum State { STARTING, STARTED, FAILED };
	enum Kind { KEY, PICK, ACTIVATE, DEACTIVATE, STOP };

	// Where a request's actions go: its input context, and for a key the
	// key itself, which a PASS action forwards.
	struct Target {
		fcitx::TrackableObjectReference<fcitx::InputContext> context;
		fcitx::Key				key;
		bool					isKey = false;
	};

	// A request made before the method had started.
	struct Early {
		Kind					kind;
		KeyStep					step;
		uint32_t				index = 0;
		Target					target;
	};

	void						_Follow(fcitx::InputContext* context);
	// Hands a request to the session, or keeps it until the method has
	// started; its actions go to `context`. The request's number, 0 when
	// there is nothing to do, 1 for a request kept.
	uint64_t					_Request(Kind kind,
									fcitx::InputContext* context,
									const KeyStep& step = KeyStep(),
									const fcitx::Key* key = nullptr,
									uint32_t index = 0);
	// True once the method has started (or failed to); joins the start-up
	// thread and hands over what was kept.
	bool						_Started();
	// Moves the queue on for at most `waitMicros` and delivers what the
	// method did; false while it is busy.
	KeyOutcome					_Advance(int64_t waitMicros);
	// Delivers `outcome` to the input contexts its actions belong to; a
	// PASS action of `handedBack` is left out (the key was not accepted).
	void						_Apply(const KeyOutcome& outcome,
									uint64_t handedBack = 0);
	void						_ShowPalettes(fcitx::InputContext* context,
									bool force);
	void						_WatchQueue();
	void						_OpenHelp(fcitx::InputContext* context);

	fcitx::Instance*			fInstance;
	MethodSession				fSession;
	State						fState;
	std::thread					fStarter;
	// Written by the start-up thread before it sets fStartDone.
	bool						fStartSucceeded;
	std::atomic<bool>			fStartDone;
	std::string					fStartError;
	std::vector<Early>			fEarly;
	fcitx::TrackableObjectReference<fcitx::InputContext> fCurrent;
	bool						fHasCurrent;
	std::unordered_map<uint64_t, Target> fTargets;
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
