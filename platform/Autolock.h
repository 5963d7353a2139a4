// Holds a looper's or a locker's lock for the life of a scope. Check
// IsLocked(): locking a looper that is gone fails.
#ifndef _AUTOLOCK_H
#define _AUTOLOCK_H

#include <Locker.h>
#include <Looper.h>

class BAutolock {
public:
	BAutolock(BLooper* looper)
		: fLooper(looper), fLocker(NULL),
		  fLocked(looper != NULL && looper->Lock()) {}
	BAutolock(BLocker* locker)
		: fLooper(NULL), fLocker(locker),
		  fLocked(locker != NULL && locker->Lock()) {}
	BAutolock(BLocker& locker)
		: fLooper(NULL), fLocker(&locker), fLocked(locker.Lock()) {}
	~BAutolock() { Unlock(); }

	bool IsLocked() const { return fLocked; }

	// Releases the lock early; the destructor then does nothing.
	void Unlock()
	{
		if (!fLocked)
			return;
		fLocked = false;
		if (fLooper != NULL)
			fLooper->Unlock();
		else
			fLocker->Unlock();
	}

private:
	BAutolock(const BAutolock&);
	BAutolock& operator=(const BAutolock&);

	BLooper*	fLooper;
	BLocker*	fLocker;
	bool		fLocked;
};

#endif	// _AUTOLOCK_H
