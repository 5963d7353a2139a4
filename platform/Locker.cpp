#include "Locker.h"

#include <chrono>


BLocker::BLocker()
	: fName("some BLocker"), fOwner(-1), fCount(0)
{
}


BLocker::BLocker(const char* name)
	: fName(name != NULL ? name : ""), fOwner(-1), fCount(0)
{
}


BLocker::BLocker(bool)
	: fName("some BLocker"), fOwner(-1), fCount(0)
{
}


BLocker::BLocker(const char* name, bool)
	: fName(name != NULL ? name : ""), fOwner(-1), fCount(0)
{
}


BLocker::~BLocker()
{
}


status_t
BLocker::InitCheck() const
{
	return B_OK;
}


bool
BLocker::Lock()
{
	return LockWithTimeout(B_INFINITE_TIMEOUT) == B_OK;
}


status_t
BLocker::LockWithTimeout(bigtime_t timeout)
{
	thread_id self = find_thread(NULL);
	std::unique_lock<std::mutex> lock(fMutex);
	if (fOwner == self) {
		fCount++;
		return B_OK;
	}

	if (timeout == B_INFINITE_TIMEOUT)
		fReleased.wait(lock, [this] { return fOwner < 0; });
	else if (!fReleased.wait_for(lock, std::chrono::microseconds(
			timeout > 0 ? timeout : 0), [this] { return fOwner < 0; }))
		return B_TIMED_OUT;

	fOwner = self;
	fCount = 1;
	return B_OK;
}


void
BLocker::Unlock()
{
	std::lock_guard<std::mutex> lock(fMutex);
	if (fCount <= 0)
		return;
	if (--fCount == 0) {
		fOwner = -1;
		fReleased.notify_one();
	}
}


bool
BLocker::IsLocked() const
{
	std::lock_guard<std::mutex> lock(fMutex);
	return fOwner == find_thread(NULL);
}


thread_id
BLocker::LockingThread() const
{
	std::lock_guard<std::mutex> lock(fMutex);
	return fOwner;
}


int32
BLocker::CountLocks() const
{
	std::lock_guard<std::mutex> lock(fMutex);
	return fCount;
}


const char*
BLocker::Name() const
{
	return fName.c_str();
}
