// A message loop with a thread of its own.
//
// Messages posted to a looper wait in a queue of the given capacity and are
// dispatched one at a time, in order, on the looper's thread, with the
// looper locked. The lock is recursive per thread; any thread may take it to
// work on the looper's objects while the loop is between messages.
//
// Lifecycle: the constructor returns with the looper locked by the
// constructing thread; Run (called with that lock) starts the thread and
// drops the constructor's hold. Quit, called with the lock held, ends the
// loop and deletes the looper:
//   - never run: deleted at once, on the calling thread;
//   - on the looper's own thread: deleted, and the thread ends (no return);
//   - from another thread: all the caller's holds are dropped, the messages
//     already queued are dispatched, the destructor runs on the looper's
//     thread, and Quit returns when the looper is gone.
// Deleting a running looper with `delete`, running it twice, or calling Run,
// Quit or Unlock without holding the lock are misuses that abort.
#ifndef _LOOPER_H
#define _LOOPER_H

#include <memory>
#include <string>
#include <vector>

#include <Handler.h>
#include <OS.h>

class BMessage;

namespace BPrivate {
struct LooperCore;
}

#define B_LOOPER_PORT_DEFAULT_CAPACITY	200

class BLooper : public BHandler {
public:
	BLooper(const char* name = NULL, int32 priority = B_NORMAL_PRIORITY,
		int32 portCapacity = B_LOOPER_PORT_DEFAULT_CAPACITY);
	virtual ~BLooper();

	// Messages
	// Queue a copy of message (the caller keeps it) for handler, or for the
	// looper itself. Never blocks: B_WOULD_BLOCK when the queue is full (the
	// copy is dropped), B_BAD_VALUE when the looper is quitting or gone or
	// message is NULL. As with the real port, whose content the loop moves
	// into an unbounded queue before each dispatch, the capacity limits the
	// messages posted since the loop last took one (all of them before Run,
	// for which they wait). Any thread.
	status_t PostMessage(uint32 command);
	status_t PostMessage(BMessage* message);
	status_t PostMessage(uint32 command, BHandler* handler,
		BHandler* replyTo = NULL);
	status_t PostMessage(BMessage* message, BHandler* handler,
		BHandler* replyTo = NULL);

	// Called by the loop for each message. The base handles
	// B_QUIT_REQUESTED (QuitRequested, then Quit) and hands everything else
	// to handler->MessageReceived.
	virtual void DispatchMessage(BMessage* message, BHandler* handler);
	virtual void MessageReceived(BMessage* message);

	// The message being dispatched; NULL on any thread but the looper's,
	// or outside a dispatch, or once detached.
	BMessage* CurrentMessage() const;
	// Hands the current message to the caller, who then owns it; the loop
	// will not delete it and CurrentMessage() is NULL afterwards.
	BMessage* DetachCurrentMessage();

	// Handlers
	void AddHandler(BHandler* handler);
	bool RemoveHandler(BHandler* handler);
	int32 CountHandlers() const;
	BHandler* HandlerAt(int32 index) const;

	// Loop control
	virtual thread_id Run();
	virtual void Quit();
	// Asked when a B_QUIT_REQUESTED message arrives; true lets it quit.
	virtual bool QuitRequested();

	// Locking
	// False when the looper is gone (also while waiting for it).
	bool Lock();
	void Unlock();
	// B_OK, B_TIMED_OUT, or B_BAD_VALUE when the looper is gone.
	status_t LockWithTimeout(bigtime_t timeout);

	// The loop's thread, or -1 before Run.
	thread_id Thread() const;
	thread_id LockingThread() const;
	// Whether the calling thread holds the lock.
	bool IsLocked() const;
	int32 CountLocks() const;

private:
	friend class BWindow;
	friend class BMessenger;

	BLooper(const BLooper&);
	BLooper& operator=(const BLooper&);

	static status_t _LoopEntry(void* looper);
	void _Loop();
	void _DeleteFromLoop();

	std::shared_ptr<BPrivate::LooperCore>	fCore;
	BMessage*								fCurrentMessage;
	std::string								fThreadName;
	int32									fPriority;
	std::vector<BHandler*>					fHandlers;
};

#endif	// _LOOPER_H
