#include "Looper.h"

#include <algorithm>
#include <chrono>

#include "AppDefs.h"
#include "KitPrivate.h"
#include "Message.h"

using BPrivate::KitLock;
using BPrivate::LooperCore;
using BPrivate::QueuedMessage;


BLooper::BLooper(const char* name, int32 priority, int32 portCapacity)
	: BHandler(name),
	  fCore(std::make_shared<LooperCore>()),
	  fCurrentMessage(NULL),
	  fThreadName(name != NULL ? name : ""),
	  fPriority(priority)
{
	fOwnerLooper = this;
	fCore->looper = this;
	fCore->name = Name();
	fCore->capacity = portCapacity > 0
		? portCapacity : B_LOOPER_PORT_DEFAULT_CAPACITY;
	// The constructing thread holds the lock until Run.
	fCore->owner = find_thread(NULL);
	fCore->lockCount = 1;

	std::lock_guard<std::mutex> lock(KitLock());
	BPrivate::RegisterLooperLocked(fCore);
}


BLooper::~BLooper()
{
	std::deque<QueuedMessage> dropped;
	{
		std::lock_guard<std::mutex> lock(KitLock());
		if (fCore->running && !fCore->quitting)
			debugger("a running BLooper was deleted; call Quit() instead");
		dropped.swap(fCore->queue);
		fCore->dead = true;
		fCore->looper = NULL;
		fCore->owner = -1;
		fCore->lockCount = 0;
		fCore->dispatching = false;
		BPrivate::UnregisterLooperLocked(fCore.get());
		fCore->changed.notify_all();
		BPrivate::NotifyIdleLocked();
	}
	for (const QueuedMessage& item : dropped)
		delete item.message;
}


// #pragma mark - Messages


status_t
BLooper::PostMessage(uint32 command)
{
	BMessage message(command);
	return PostMessage(&message, NULL, NULL);
}


status_t
BLooper::PostMessage(BMessage* message)
{
	return PostMessage(message, NULL, NULL);
}


status_t
BLooper::PostMessage(uint32 command, BHandler* handler, BHandler* replyTo)
{
	BMessage message(command);
	return PostMessage(&message, handler, replyTo);
}


status_t
BLooper::PostMessage(BMessage* message, BHandler* handler, BHandler*)
{
	if (message == NULL)
		return B_BAD_VALUE;
	BMessage* copy = new BMessage(*message);
	status_t status;
	{
		std::lock_guard<std::mutex> lock(KitLock());
		status = BPrivate::EnqueueLocked(*fCore, copy, handler, false);
	}
	if (status != B_OK)
		delete copy;
	return status;
}


void
BLooper::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (message->what == B_QUIT_REQUESTED && handler == this) {
		if (QuitRequested())
			Quit();
		return;
	}
	handler->MessageReceived(message);
}


void
BLooper::MessageReceived(BMessage* message)
{
	BHandler::MessageReceived(message);
}


BMessage*
BLooper::CurrentMessage() const
{
	if (Thread() != find_thread(NULL))
		return NULL;
	return fCurrentMessage;
}


BMessage*
BLooper::DetachCurrentMessage()
{
	if (Thread() != find_thread(NULL))
		return NULL;
	BMessage* message = fCurrentMessage;
	fCurrentMessage = NULL;
	return message;
}


// #pragma mark - Handlers


void
BLooper::AddHandler(BHandler* handler)
{
	if (handler == NULL || handler == this)
		return;
	if (std::find(fHandlers.begin(), fHandlers.end(), handler)
			== fHandlers.end())
		fHandlers.push_back(handler);
	handler->fOwnerLooper = this;
}


bool
BLooper::RemoveHandler(BHandler* handler)
{
	std::vector<BHandler*>::iterator found
		= std::find(fHandlers.begin(), fHandlers.end(), handler);
	if (found == fHandlers.end())
		return false;
	fHandlers.erase(found);
	handler->fOwnerLooper = NULL;
	return true;
}


int32
BLooper::CountHandlers() const
{
	return (int32)fHandlers.size() + 1;
}


BHandler*
BLooper::HandlerAt(int32 index) const
{
	if (index == 0)
		return const_cast<BLooper*>(this);
	if (index < 0 || (size_t)index > fHandlers.size())
		return NULL;
	return fHandlers[index - 1];
}


// #pragma mark - Loop control


thread_id
BLooper::Run()
{
	thread_id self = find_thread(NULL);
	{
		std::lock_guard<std::mutex> lock(KitLock());
		if (fCore->running)
			debugger("BLooper::Run() called twice");
		if (fCore->owner != self)
			debugger("BLooper::Run() called without holding the lock");
	}

	thread_id thread = spawn_thread(&BLooper::_LoopEntry, fThreadName.c_str(),
		fPriority, this);
	{
		std::lock_guard<std::mutex> lock(KitLock());
		fCore->thread = thread;
		fCore->running = true;
		// Drop the hold the constructor took.
		if (--fCore->lockCount == 0) {
			fCore->owner = -1;
			fCore->changed.notify_all();
		}
	}
	resume_thread(thread);
	return thread;
}


void
BLooper::Quit()
{
	std::shared_ptr<LooperCore> core = fCore;
	thread_id self = find_thread(NULL);
	std::unique_lock<std::mutex> lock(KitLock());
	if (core->owner != self) {
		lock.unlock();
		debugger("BLooper::Quit() called without holding the lock");
	}

	if (!core->running) {
		core->quitting = true;
		lock.unlock();
		delete this;
		return;
	}

	if (core->thread == self) {
		core->quitting = true;
		lock.unlock();
		BMessage* current = fCurrentMessage;
		fCurrentMessage = NULL;
		delete current;
		delete this;
		exit_thread(B_OK);
	}

	// Another thread: let the loop dispatch what is queued, then delete the
	// looper on its own thread, and wait for that.
	core->owner = -1;
	core->lockCount = 0;
	core->quitting = true;
	core->queue.push_back(QueuedMessage{NULL, NULL, true});
	core->changed.notify_all();
	core->changed.wait(lock, [&core] { return core->dead; });
}


bool
BLooper::QuitRequested()
{
	return true;
}


status_t
BLooper::_LoopEntry(void* looper)
{
	static_cast<BLooper*>(looper)->_Loop();
	return B_OK;
}


void
BLooper::_Loop()
{
	// The core outlives the looper, which the last message may delete.
	std::shared_ptr<LooperCore> core = fCore;
	thread_id self = find_thread(NULL);

	for (;;) {
		QueuedMessage item;
		{
			std::unique_lock<std::mutex> lock(KitLock());
			core->changed.wait(lock, [&core] { return !core->queue.empty(); });
			item = core->queue.front();
			core->queue.pop_front();
			core->portCount = 0;
			core->dispatching = true;
			// Room again for senders that wait on a full queue.
			core->changed.notify_all();
			BPrivate::AcquireLocked(lock, *core, self, B_INFINITE_TIMEOUT);
		}

		if (item.quitRequest) {
			// Quit() waits for this; the destructor marks the core dead.
			delete this;
			return;
		}

		fCurrentMessage = item.message;
		DispatchMessage(item.message, item.target != NULL ? item.target : this);
		delete fCurrentMessage;
		fCurrentMessage = NULL;

		std::lock_guard<std::mutex> lock(KitLock());
		if (core->owner == self && --core->lockCount <= 0) {
			core->lockCount = 0;
			core->owner = -1;
		}
		core->dispatching = false;
		core->changed.notify_all();
		BPrivate::NotifyIdleLocked();
	}
}


// #pragma mark - Locking


bool
BLooper::Lock()
{
	return LockWithTimeout(B_INFINITE_TIMEOUT) == B_OK;
}


status_t
BLooper::LockWithTimeout(bigtime_t timeout)
{
	// Look the looper up before touching it, so that locking one that is
	// gone fails instead of reading freed memory.
	std::unique_lock<std::mutex> lock(KitLock());
	std::shared_ptr<LooperCore> core = BPrivate::FindLooperLocked(this);
	if (core == NULL)
		return B_BAD_VALUE;
	return BPrivate::AcquireLocked(lock, *core, find_thread(NULL), timeout);
}


void
BLooper::Unlock()
{
	std::unique_lock<std::mutex> lock(KitLock());
	std::shared_ptr<LooperCore> core = BPrivate::FindLooperLocked(this);
	if (core == NULL || core->owner != find_thread(NULL)) {
		lock.unlock();
		debugger("BLooper::Unlock() by a thread that does not hold the lock");
	}
	if (--core->lockCount == 0) {
		core->owner = -1;
		core->changed.notify_all();
	}
}


thread_id
BLooper::Thread() const
{
	std::lock_guard<std::mutex> lock(KitLock());
	return fCore->thread;
}


thread_id
BLooper::LockingThread() const
{
	std::lock_guard<std::mutex> lock(KitLock());
	return fCore->owner;
}


bool
BLooper::IsLocked() const
{
	std::lock_guard<std::mutex> lock(KitLock());
	return !fCore->dead && fCore->owner == find_thread(NULL);
}


int32
BLooper::CountLocks() const
{
	std::lock_guard<std::mutex> lock(KitLock());
	return fCore->lockCount;
}
