// A copyable address of a looper (or of a handler in one). It stays safe to
// use after its target is gone: it then is no longer valid and sending
// fails.
#ifndef _MESSENGER_H
#define _MESSENGER_H

#include <OS.h>

class BHandler;
class BLooper;
class BMessage;

class BMessenger {
public:
	BMessenger();
	// Targets handler in its looper, or looper itself when handler is NULL.
	// A handler that is a looper targets that looper. *result, if given, is
	// B_OK, or B_BAD_HANDLER / B_BAD_VALUE when there is nothing to target.
	BMessenger(const BHandler* handler, const BLooper* looper = NULL,
		status_t* result = NULL);

	// Whether the target looper still exists.
	bool IsValid() const;
	// The target handler and, in *looper, its looper; NULL for both when the
	// target is gone.
	BHandler* Target(BLooper** looper) const;
	bool IsTargetLocal() const;

	// Locks the target looper; false when it is gone.
	bool LockTarget() const;
	status_t LockTargetWithTimeout(bigtime_t timeout) const;

	// Queues a copy of message at the target. When the target's queue is
	// full, waits up to timeout for room and then gives B_TIMED_OUT (or
	// B_WOULD_BLOCK for a zero timeout). B_BAD_PORT_ID when the target is
	// gone; B_BAD_VALUE for a NULL message. The caller keeps message.
	status_t SendMessage(BMessage* message, BHandler* replyTo = NULL,
		bigtime_t timeout = B_INFINITE_TIMEOUT) const;
	status_t SendMessage(uint32 command, BHandler* replyTo = NULL) const;

	bool operator==(const BMessenger& other) const;
	bool operator!=(const BMessenger& other) const
		{ return !(*this == other); }

private:
	BLooper*	fLooper;
	BHandler*	fHandler;
	int32		fToken;
};

#endif	// _MESSENGER_H
