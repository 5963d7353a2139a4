#include "Messenger.h"

#include <chrono>

#include "Handler.h"
#include "KitPrivate.h"
#include "Looper.h"
#include "Message.h"

using BPrivate::KitLock;
using BPrivate::LooperCore;


BMessenger::BMessenger()
	: fLooper(NULL), fHandler(NULL), fToken(-1)
{
}


BMessenger::BMessenger(const BHandler* handler, const BLooper* looper,
	status_t* result)
	: fLooper(NULL), fHandler(NULL), fToken(-1)
{
	status_t status = B_OK;
	const BLooper* target = looper;
	if (handler != NULL) {
		target = handler->Looper();
		if (target == NULL)
			status = B_BAD_HANDLER;
		else if (looper != NULL && looper != target)
			status = B_MISMATCHED_VALUES;
	} else if (looper == NULL)
		status = B_BAD_VALUE;

	if (status == B_OK) {
		std::lock_guard<std::mutex> lock(KitLock());
		std::shared_ptr<LooperCore> core = BPrivate::FindLooperLocked(target);
		if (core == NULL)
			status = B_BAD_VALUE;
		else {
			fLooper = const_cast<BLooper*>(target);
			// A handler that is the looper itself means the looper.
			if (handler != NULL && handler != target)
				fHandler = const_cast<BHandler*>(handler);
			fToken = core->token;
		}
	}
	if (result != NULL)
		*result = status;
}


bool
BMessenger::IsValid() const
{
	std::lock_guard<std::mutex> lock(KitLock());
	return BPrivate::FindLooperLocked(fToken) != NULL;
}


BHandler*
BMessenger::Target(BLooper** looper) const
{
	std::lock_guard<std::mutex> lock(KitLock());
	std::shared_ptr<LooperCore> core = BPrivate::FindLooperLocked(fToken);
	if (looper != NULL)
		*looper = core != NULL ? core->looper : NULL;
	if (core == NULL)
		return NULL;
	return fHandler != NULL ? fHandler : core->looper;
}


bool
BMessenger::IsTargetLocal() const
{
	return true;
}


bool
BMessenger::LockTarget() const
{
	return LockTargetWithTimeout(B_INFINITE_TIMEOUT) == B_OK;
}


status_t
BMessenger::LockTargetWithTimeout(bigtime_t timeout) const
{
	std::unique_lock<std::mutex> lock(KitLock());
	std::shared_ptr<LooperCore> core = BPrivate::FindLooperLocked(fToken);
	if (core == NULL)
		return B_BAD_VALUE;
	return BPrivate::AcquireLocked(lock, *core, find_thread(NULL), timeout);
}


status_t
BMessenger::SendMessage(BMessage* message, BHandler*, bigtime_t timeout) const
{
	if (message == NULL)
		return B_BAD_VALUE;

	BMessage* copy = new BMessage(*message);
	status_t status;
	{
		std::unique_lock<std::mutex> lock(KitLock());
		std::shared_ptr<LooperCore> core = BPrivate::FindLooperLocked(fToken);
		if (core == NULL)
			status = B_BAD_PORT_ID;
		else {
			std::chrono::steady_clock::time_point deadline
				= std::chrono::steady_clock::now()
					+ std::chrono::microseconds(
						timeout == B_INFINITE_TIMEOUT ? 0 : timeout);
			for (;;) {
				status = BPrivate::EnqueueLocked(*core, copy, fHandler, false);
				if (status != B_WOULD_BLOCK || timeout <= 0)
					break;
				if (timeout == B_INFINITE_TIMEOUT)
					core->changed.wait(lock);
				else if (core->changed.wait_until(lock, deadline)
						== std::cv_status::timeout) {
					status = BPrivate::EnqueueLocked(*core, copy, fHandler,
						false);
					if (status == B_WOULD_BLOCK)
						status = B_TIMED_OUT;
					break;
				}
			}
			if (status == B_BAD_VALUE)
				status = B_BAD_PORT_ID;
		}
	}
	if (status != B_OK)
		delete copy;
	return status;
}


status_t
BMessenger::SendMessage(uint32 command, BHandler* replyTo) const
{
	BMessage message(command);
	return SendMessage(&message, replyTo);
}


bool
BMessenger::operator==(const BMessenger& other) const
{
	return fToken == other.fToken && fHandler == other.fHandler;
}
