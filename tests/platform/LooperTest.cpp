// Loopers, their locks, queues and endings; messengers; threads; the
// quiescence wait.
#include <Looper.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include <AppDefs.h>
#include <HeadlessDisplay.h>
#include <Locker.h>
#include <Message.h>
#include <Messenger.h>
#include <OS.h>

#include "PlatformTestSupport.h"


// Posted before Run, they wait for it; a post queues a copy; posts from
// several threads each keep their thread's order.
TEST(Looper, PostsAreDispatchedInOrderOnTheLoopThreadWithTheLockHeld)
{
	Record record;
	TestLooper* looper = new TestLooper(&record, {}, 5000);
	BMessage message(1);
	message.AddInt32("value", -1);
	ASSERT_EQ(B_OK, looper->PostMessage(&message));
	message.ReplaceInt32("value", -2);
	looper->Run();

	const int kThreads = 4;
	const int kPosts = 250;
	std::vector<std::thread> posters;
	for (int t = 0; t < kThreads; t++) {
		posters.emplace_back([looper, t] {
			for (int i = 0; i < kPosts; i++)
				Post(looper, t * 1000 + i);
		});
	}
	for (std::thread& poster : posters)
		poster.join();
	ASSERT_EQ(B_OK, HeadlessDisplay::WaitForIdle());

	std::vector<int32> values = record.Values();
	ASSERT_EQ((size_t)(kThreads * kPosts + 1), values.size());
	EXPECT_EQ(-1, values[0]);
	std::vector<int32> next(kThreads, 0);
	for (size_t i = 1; i < values.size(); i++) {
		int t = values[i] / 1000;
		EXPECT_EQ(next[t], values[i] % 1000);
		next[t] = values[i] % 1000 + 1;
	}
	EXPECT_TRUE(record.onLoopLocked);
	QuitLooper(looper);
}


TEST(Looper, AFullQueueRefusesWithoutBlocking)
{
	Record record;
	TestLooper* looper = new TestLooper(&record, {}, 3);
	for (int32 i = 0; i < 3; i++)
		EXPECT_EQ(B_OK, Post(looper, i));
	EXPECT_EQ(B_WOULD_BLOCK, Post(looper, 3));

	// A messenger may wait for room, up to its timeout.
	BMessenger messenger(looper);
	BMessage message(1);
	EXPECT_EQ(B_TIMED_OUT, messenger.SendMessage(&message, NULL, 10000));

	looper->Run();
	ASSERT_EQ(B_OK, HeadlessDisplay::WaitForIdle());
	EXPECT_EQ(std::vector<int32>({0, 1, 2}), record.Values());
	EXPECT_EQ(B_OK, messenger.SendMessage(&message));
	QuitLooper(looper);
}


// The creator holds the lock until Run; then it is recursive, and while
// anyone holds it the loop dispatches nothing.
TEST(Looper, TheLockIsTheCreatorsUntilRunThenRecursiveAndKeepsTheLoopOut)
{
	Record record;
	TestLooper* looper = new TestLooper(&record);
	EXPECT_EQ(1, looper->CountLocks());
	EXPECT_EQ(find_thread(NULL), looper->LockingThread());
	EXPECT_EQ(-1, looper->Thread());
	status_t otherLock = B_OK;
	std::thread([&] { otherLock = looper->LockWithTimeout(10000); }).join();
	EXPECT_EQ(B_TIMED_OUT, otherLock);

	thread_id thread = looper->Run();
	EXPECT_EQ(thread, looper->Thread());
	EXPECT_FALSE(looper->IsLocked());
	std::thread([&] {
		otherLock = looper->LockWithTimeout(1000000);
		if (otherLock == B_OK)
			looper->Unlock();
	}).join();
	EXPECT_EQ(B_OK, otherLock);

	ASSERT_TRUE(looper->Lock());
	ASSERT_TRUE(looper->Lock());
	EXPECT_EQ(2, looper->CountLocks());
	Post(looper, 1);
	std::string report;
	EXPECT_EQ(B_TIMED_OUT, HeadlessDisplay::WaitForIdle(20000, &report));
	EXPECT_NE(std::string::npos, report.find("recorder")) << report;
	looper->Unlock();
	EXPECT_EQ(B_TIMED_OUT, HeadlessDisplay::WaitForIdle(20000));
	EXPECT_TRUE(record.Values().empty());

	looper->Unlock();
	ASSERT_EQ(B_OK, HeadlessDisplay::WaitForIdle());
	EXPECT_EQ(std::vector<int32>({1}), record.Values());
	QuitLooper(looper);
}


TEST(Looper, DetachCurrentMessageHandsItOver)
{
	BMessage* detached = NULL;
	BMessage* afterDetach = NULL;
	bool sawCurrent = false;
	TestLooper* looper = new TestLooper(NULL, [&](BMessage* message) {
		sawCurrent = looper->CurrentMessage() == message;
		detached = looper->DetachCurrentMessage();
		afterDetach = looper->CurrentMessage();
	});
	looper->Run();
	looper->PostMessage(7);
	ASSERT_EQ(B_OK, HeadlessDisplay::WaitForIdle());

	ASSERT_TRUE(looper->Lock());
	EXPECT_TRUE(sawCurrent);
	EXPECT_EQ(NULL, afterDetach);
	ASSERT_NE(nullptr, detached);
	// Still ours after the dispatch (a use after free would show under the
	// sanitizers); the loop did not delete it.
	EXPECT_EQ(7u, detached->what);
	delete detached;
	// Not the looper's thread: no current message.
	EXPECT_EQ(NULL, looper->CurrentMessage());
	looper->Quit();
}


// Quit from another thread drains the queue and destroys the looper on its
// own thread, and a thread waiting for the lock meanwhile either gets it and
// lets go or learns that the looper is gone; nobody hangs. B_QUIT_REQUESTED
// also ends the loop on its thread; a looper never run goes at once.
TEST(Looper, QuitDestroysTheLooperOnTheRightThread)
{
	Record record;
	TestLooper* looper = new TestLooper(&record, [](BMessage*) {
		snooze(20000);
	});
	thread_id thread = looper->Run();
	BMessenger messenger(looper);

	ASSERT_TRUE(looper->Lock());
	ASSERT_TRUE(looper->Lock());
	for (int32 i = 0; i < 5; i++)
		Post(looper, i);
	std::thread waiter([&messenger] {
		BLooper* target;
		if (messenger.LockTarget() && messenger.Target(&target) != NULL)
			target->Unlock();
	});
	snooze(10000);
	// Quit drops both holds, lets the queue drain and returns when the
	// looper is gone.
	looper->Quit();
	waiter.join();

	EXPECT_EQ(thread, record.destroyedOn);
	EXPECT_EQ(std::vector<int32>({0, 1, 2, 3, 4}), record.Values());
	EXPECT_FALSE(messenger.IsValid());
	EXPECT_FALSE(messenger.LockTarget());
	BMessage message(1);
	EXPECT_EQ(B_BAD_PORT_ID, messenger.SendMessage(&message));
	status_t result;
	EXPECT_EQ(B_OK, wait_for_thread(thread, &result));

	// Never run: destroyed on the caller's thread, its queue dropped.
	Record unrun;
	looper = new TestLooper(&unrun);
	Post(looper, 1);
	looper->Quit();
	EXPECT_EQ(find_thread(NULL), unrun.destroyedOn);
	EXPECT_TRUE(unrun.Values().empty());

	Record requested;
	looper = new TestLooper(&requested);
	thread = looper->Run();
	looper->PostMessage(B_QUIT_REQUESTED);
	result = -5;
	EXPECT_EQ(B_OK, wait_for_thread(thread, &result));
	EXPECT_EQ(B_OK, result);
	EXPECT_EQ(thread, requested.destroyedOn);
}


TEST(Threads, SpawnedThreadsWaitForResumeAndReportTheirResult)
{
	static std::atomic<bool> ran(false);
	static int32 answer = 42;
	ran = false;
	thread_id thread = spawn_thread([](void* data) -> status_t {
		ran = true;
		return *static_cast<int32*>(data);
	}, "a thread with a name longer than thirty-one bytes", B_LOW_PRIORITY,
		&answer);
	snooze(10000);
	EXPECT_FALSE(ran);

	int found = 0;
	for (const headless_thread_info& info : HeadlessDisplay::Threads()) {
		found += info.id == thread
			&& info.name == "a thread with a name longer tha"
			&& info.priority == B_LOW_PRIORITY && !info.started;
	}
	EXPECT_EQ(1, found);

	EXPECT_EQ(B_OK, resume_thread(thread));
	EXPECT_EQ(B_BAD_THREAD_STATE, resume_thread(thread));
	status_t result;
	EXPECT_EQ(B_OK, wait_for_thread(thread, &result));
	EXPECT_EQ(42, result);
	EXPECT_EQ(B_BAD_THREAD_ID, resume_thread(-7));
	EXPECT_EQ(B_BAD_THREAD_ID, wait_for_thread(123456789, &result));
}


TEST(Threads, LockerIsRecursivePerThread)
{
	BLocker locker("test");
	ASSERT_TRUE(locker.Lock());
	ASSERT_TRUE(locker.Lock());
	EXPECT_EQ(2, locker.CountLocks());

	status_t other = B_OK;
	std::thread([&] { other = locker.LockWithTimeout(10000); }).join();
	EXPECT_EQ(B_TIMED_OUT, other);

	locker.Unlock();
	std::thread([&] { other = locker.LockWithTimeout(10000); }).join();
	EXPECT_EQ(B_TIMED_OUT, other);

	// Taken by a thread that ends, released here, as the kits allow.
	locker.Unlock();
	std::thread([&] { other = locker.LockWithTimeout(1000000); }).join();
	EXPECT_EQ(B_OK, other);
	EXPECT_FALSE(locker.IsLocked());
	locker.Unlock();
	EXPECT_TRUE(locker.Lock());
	locker.Unlock();
}


TEST(Quiescence, WaitForIdleCoversWorkThatHandlersQueue)
{
	Record record;
	TestLooper* last = new TestLooper(&record);
	last->Run();
	TestLooper* first = new TestLooper(NULL, [last](BMessage* message) {
		snooze(20000);
		last->PostMessage(message);
	});
	first->Run();

	for (int32 i = 0; i < 3; i++)
		Post(first, i);
	ASSERT_EQ(B_OK, HeadlessDisplay::WaitForIdle());
	EXPECT_EQ(std::vector<int32>({0, 1, 2}), record.Values());

	QuitLooper(first);
	QuitLooper(last);
}
