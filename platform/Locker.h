// A lock held by one thread at a time, recursive per thread: the holder may
// lock again and must unlock as often. Unlock by a thread that does not hold
// it is permitted and releases one hold of the holder, as on the real kit.
// Any thread.
#ifndef _LOCKER_H
#define _LOCKER_H

#include <condition_variable>
#include <mutex>
#include <string>

#include <OS.h>

class BLocker {
public:
	BLocker();
	BLocker(const char* name);
	BLocker(bool benaphoreStyle);
	BLocker(const char* name, bool benaphoreStyle);
	virtual ~BLocker();

	status_t InitCheck() const;

	// Waits as long as it takes; true once held.
	bool Lock();
	// B_OK once held, B_TIMED_OUT when the timeout (microseconds) passed.
	status_t LockWithTimeout(bigtime_t timeout);
	void Unlock();

	// Whether the calling thread holds the lock.
	bool IsLocked() const;
	thread_id LockingThread() const;
	int32 CountLocks() const;
	const char* Name() const;

private:
	BLocker(const BLocker&);
	BLocker& operator=(const BLocker&);

	std::string						fName;
	mutable std::mutex				fMutex;
	std::condition_variable			fReleased;
	thread_id						fOwner;
	int32							fCount;
};

#endif	// _LOCKER_H
