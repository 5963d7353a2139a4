// The input server and the focused application around one input method, in
// one process: loads a method module, hands it key-down messages through
// Filter, activates it, and delivers what it enqueues to an application
// model, which answers location requests.
//
// Threads: a MethodHost is driven from one thread, the host thread, which
// plays the input server's threads (Filter, MethodActivated, construction and
// deletion of the method) and the application's. The method enqueues
// messages on its own threads; they wait in an ordered queue until Settle()
// delivers them on the host thread. The host thread never holds a looper
// or window lock while it waits.
#ifndef METHOD_HOST_H
#define METHOD_HOST_H

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include <HeadlessDisplay.h>
#include <InputServerFilter.h>
#include <Message.h>
#include <Messenger.h>

#include "ApplicationModel.h"
#include "KeyScript.h"
#include "Transcript.h"

class BInputServerMethod;

class MethodHost : public HeadlessInputServer {
public:
	typedef BInputServerMethod* (*instantiate_function)();

	// Installs itself as the kits' input server. `application` receives
	// what the method sends; `transcript` (may be NULL) records it. Both
	// must outlive the host.
								MethodHost(ApplicationModel& application,
									Transcript* transcript);
	// Unloads the method if one is loaded and uninstalls itself.
	virtual						~MethodHost();

	// Loading

	// Opens the module at `path` and instantiates its method; false with a
	// one-line reason when the module or its entry point is missing.
			bool				Load(const std::string& path,
									std::string& error);
	// Instantiates a method from an entry point linked into the program.
			bool				Instantiate(instantiate_function instantiate);
	// Deletes the method (which then saves what it keeps) and closes the
	// module. Messages it enqueued meanwhile are delivered first.
			void				Unload();
			BInputServerMethod*	Method() const { return fMethod; }

	// Driving. Each call acts on the host thread; call Settle() afterwards
	// to let the method finish and to deliver what it sent.

	// The key-down message a US keyboard sends for `step` (a KEY step):
	// "when", "modifiers", "key", one "byte" item per UTF-8 byte, "bytes",
	// "raw_char". The caller owns it.
	static	BMessage*			MakeKeyMessage(const KeyStep& step);
	// Performs `step` (a key, or an action) and then Settle()s; writes the
	// {"key"} record first and the {"screen"} record last. False when the
	// method did not settle.
			bool				Perform(const KeyStep& step,
									std::string* report = NULL);
	// Hands `message` to the method's Filter; a message it dispatches goes
	// to the application. Takes ownership.
			void				SendKey(BMessage* message);
			void				Activate(bool active);
	// The application asks the method to stop composing (STOPPED to the
	// messenger it received with STARTED); nothing when it has none.
			void				RequestStop();
	// The input server sends the message of the menu item labelled
	// `label` to the menu's target; false when no such item is shown.
			bool				ChooseMenuItem(const char* label);

	// Waits until the method's loopers and windows are idle and every
	// message they enqueued has been delivered (replies included). False
	// on a timeout (30 s, or `timeoutMicros` when not negative), with a
	// report of what was busy; what was delivered until then stays
	// delivered.
			bool				Settle(std::string* report = NULL,
									int64_t timeoutMicros = -1);

	// Launch arguments that begin with `from` are reported with `to` in
	// its place (the settings directory behind a temporary link).
			void				SetPathAlias(const std::string& from,
									const std::string& to);

	// What the host has seen

	// Keeps a copy of every message delivered to the application from now
	// on (`record` true) until ClearDelivered(), or keeps none (the
	// default, so that a long session does not grow by a message per key).
	// Turning recording off drops what was kept.
			void				RecordDelivered(bool record);
	// The messages kept since recording began or ClearDelivered(), in order;
	// always empty while nothing is recorded.
			const std::vector<BMessage>& Delivered() const
									{ return fDelivered; }
			void				ClearDelivered() { fDelivered.clear(); }
	// Called once, on the host thread, with the text (UTF-8) of each notice
	// window the method shows besides its start-up notice, as Settle() and
	// Unload() find them: the method's warnings about its settings files.
	// An empty function (the default) turns the watching off.
			void				SetNoticeHandler(
									std::function<void(const std::string&)>
										handler);
	// The labels of the menu now shown; empty when none is.
			bool				HasMenu() const { return fMenuShown; }
			const std::vector<std::string>& MenuLabels() const
									{ return fMenuLabels; }
	// Every window that exists, in creation order, as the transcript
	// shows them.
	static	std::vector<WindowRecord> Windows();

	// HeadlessInputServer: called by the method, on any of its threads.
	virtual	void				MethodNamed(BInputServerMethod* method,
									const char* name, const uchar* icon);
	virtual	status_t			EnqueueMessage(BInputServerMethod* method,
									BMessage* message);
	virtual	status_t			SetMenu(BInputServerMethod* method,
									const BMenu* menu,
									const BMessenger& target);

private:
	// What the method handed over, in the order it did.
	struct Handed {
		BMessage*					message;	// NULL for a menu change
		bool						menuShown;
		std::vector<std::string>	labels;
		std::vector<BMessage>		itemMessages;
		BMessenger					target;
	};

			bool				_DeliverPending();
			void				_Deliver(BMessage* message);
			void				_DeliverInputMethodEvent(BMessage* message);
			void				_ReplyToLocationRequest(BMessage* request);
			void				_DeliverPassedKey(BMessage* message);
			void				_ApplyMenu(const Handed& handed);
			void				_ReportLaunches();
			void				_ReportNotices();
			bool				_WaitForThreads();

			ApplicationModel&	fApplication;
			Transcript*			fTranscript;
			void*				fModule;
			BInputServerMethod*	fMethod;
			std::mutex			fQueueLock;
			std::deque<Handed>	fQueue;
			bool				fRecordDelivered;
			std::vector<BMessage> fDelivered;
			std::function<void(const std::string&)> fNoticeHandler;
			// Windows are numbered in creation order: every notice up to
			// this one has been handed over.
			int32				fLastNoticeSeen;
			// The display's change count when the windows were last looked
			// at for notices.
			uint64				fNoticeChangesSeen;
			BMessenger			fReplyTo;
			bool				fMenuShown;
			std::vector<std::string> fMenuLabels;
			std::vector<BMessage> fMenuMessages;
			BMessenger			fMenuTarget;
			size_t				fLaunchesSeen;
			std::string			fAliasFrom;
			std::string			fAliasTo;
};

#endif	// METHOD_HOST_H
