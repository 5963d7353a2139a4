// Helpers shared by the tests of the stand-in kits.
#ifndef PLATFORM_TEST_SUPPORT_H
#define PLATFORM_TEST_SUPPORT_H

#include <functional>
#include <mutex>
#include <vector>

#include <Looper.h>
#include <Message.h>


// What a test looper saw; outlives the looper.
struct Record {
	std::mutex				lock;
	std::vector<int32>		values;
	bool					onLoopLocked = true;	// every dispatch so far
	thread_id				destroyedOn = -1;

	std::vector<int32> Values()
	{
		std::lock_guard<std::mutex> guard(lock);
		return values;
	}
};


// Notes in `record` (if any) each message's "value" and whether it came on
// the loop's thread with the lock held, then hands it to `handler` (if any);
// notes the thread it is destroyed on.
class TestLooper : public BLooper {
public:
	TestLooper(Record* record, std::function<void(BMessage*)> handler = {},
		int32 capacity = 500)
		: BLooper("recorder", B_NORMAL_PRIORITY, capacity), fRecord(record),
		  fHandler(handler) {}

	~TestLooper()
	{
		if (fRecord != NULL)
			fRecord->destroyedOn = find_thread(NULL);
	}

	virtual void MessageReceived(BMessage* message)
	{
		if (fRecord != NULL) {
			std::lock_guard<std::mutex> guard(fRecord->lock);
			fRecord->values.push_back(message->FindInt32("value"));
			fRecord->onLoopLocked = fRecord->onLoopLocked && IsLocked()
				&& find_thread(NULL) == Thread();
		}
		if (fHandler)
			fHandler(message);
	}

private:
	Record*							fRecord;
	std::function<void(BMessage*)>	fHandler;
};


inline status_t
Post(BLooper* looper, int32 value)
{
	BMessage message(1);
	message.AddInt32("value", value);
	return looper->PostMessage(&message);
}


// Quits a looper or window from outside its thread, if it still exists.
inline void
QuitLooper(BLooper* looper)
{
	if (looper->Lock())
		looper->Quit();
}


#endif	// PLATFORM_TEST_SUPPORT_H
