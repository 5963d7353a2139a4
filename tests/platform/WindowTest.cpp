// Windows: parameters, show level, geometry and its hooks on the window's
// thread, quitting, the host's registry, and lock order against loopers.
#include <Window.h>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include <Autolock.h>
#include <Box.h>
#include <HeadlessDisplay.h>
#include <Screen.h>
#include <StringView.h>

#include "PlatformTestSupport.h"


namespace {

// What FrameResized (the new size as a frame at 0, 0) or ScreenChanged got.
struct HookCall {
	BRect		frame;
	color_space	mode;
	thread_id	thread;
	bool		locked;
};


class HookWindow : public BWindow {
public:
	HookWindow(const char* title = "hooks", bool slow = false)
		: BWindow(BRect(10, 20, 110, 70), title, B_TITLED_WINDOW_LOOK,
			B_NORMAL_WINDOW_FEEL, B_NOT_ZOOMABLE), fSlow(slow) {}

	virtual void FrameResized(float width, float height)
	{
		if (fSlow) {
			// Long enough for a looper to wait for this window's lock.
			snooze(2000);
			MoveTo(width, height);
		}
		Note(BRect(0, 0, width, height), B_NO_COLOR_SPACE);
	}

	virtual void ScreenChanged(BRect frame, color_space mode)
	{
		Note(frame, mode);
	}

	std::vector<HookCall> Calls()
	{
		std::lock_guard<std::mutex> guard(fLock);
		return fCalls;
	}

private:
	void Note(BRect frame, color_space mode)
	{
		std::lock_guard<std::mutex> guard(fLock);
		fCalls.push_back(HookCall{frame, mode, find_thread(NULL), IsLocked()});
	}

	bool					fSlow;
	std::mutex				fLock;
	std::vector<HookCall>	fCalls;
};


class CountedView : public BView {
public:
	CountedView(std::atomic<int>* deleted)
		: BView(BRect(0, 0, 5, 5), "counted", B_FOLLOW_NONE, 0),
		  fDeleted(deleted) {}
	~CountedView() { (*fDeleted)++; }

private:
	std::atomic<int>*	fDeleted;
};

}	// namespace


// Created hidden and held by its creator, a window is left out of other
// threads' snapshots; the first Show runs it and releases the lock; Show
// and Hide count. Snapshots list windows in creation order with their
// parameters and texts, and changes are counted and announced.
TEST(Window, ShowLevelSnapshotsAndChanges)
{
	BWindow* first = new BWindow(BRect(0, 0, 10, 10), "snap one",
		B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL, 0);
	first->Run();
	BWindow* window = new BWindow(BRect(1.5f, 2, 101.5f, 52), "snap two",
		B_BORDERED_WINDOW_LOOK, B_FLOATING_ALL_WINDOW_FEEL, 0x60E3,
		B_ALL_WORKSPACES);
	EXPECT_TRUE(window->IsHidden());
	EXPECT_TRUE(window->IsLocked());
	EXPECT_EQ(BRect(1.5f, 2, 101.5f, 52), window->Frame());
	bool listed = true;
	std::thread([&listed] {
		listed = HeadlessDisplay::FindWindow("snap two", NULL);
	}).join();
	EXPECT_FALSE(listed);
	EXPECT_TRUE(HeadlessDisplay::FindWindow("snap two", NULL));

	BBox* box = new BBox(BRect(0, 0, 2, 2), "box");
	box->SetBorder(B_PLAIN_BORDER);
	BStringView* inner = new BStringView(BRect(1, 1, 1, 1), "in", "inner");
	box->AddChild(inner);
	window->AddChild(new BStringView(BRect(0, 0, 1, 1), "top", "top"));
	window->AddChild(box);
	window->AddChild(new BStringView(BRect(0, 0, 1, 1), "last", "last"));
	window->Show();
	EXPECT_FALSE(window->IsLocked());
	int named = 0;
	for (const headless_thread_info& info : HeadlessDisplay::Threads()) {
		named += info.id == window->Thread() && info.name == "w>snap two"
			&& info.priority == 15;
	}
	EXPECT_EQ(1, named);
	window->Show();
	window->Hide();
	EXPECT_FALSE(window->IsHidden());
	window->Hide();
	window->Hide();
	window->Show();
	EXPECT_TRUE(window->IsHidden());

	uint64 seen = HeadlessDisplay::ChangeCount();
	{
		BAutolock lock(window);
		inner->SetText("changed");
	}
	EXPECT_GT(HeadlessDisplay::ChangeCount(), seen);
	std::atomic<int> hookCalls(0);
	HeadlessDisplay::SetChangeHook([](void* calls) {
		(*static_cast<std::atomic<int>*>(calls))++;
	}, &hookCalls);
	seen = HeadlessDisplay::ChangeCount();
	std::thread mover([window] {
		snooze(5000);
		window->MoveTo(3, 4);
	});
	EXPECT_NE(seen, HeadlessDisplay::WaitForChange(seen, 5000000));
	mover.join();
	EXPECT_GT(hookCalls.load(), 0);
	HeadlessDisplay::SetChangeHook(NULL, NULL);
	seen = HeadlessDisplay::ChangeCount();
	EXPECT_EQ(seen, HeadlessDisplay::WaitForChange(seen, 1000));

	std::vector<std::string> titles;
	for (const headless_window_info& info : HeadlessDisplay::Windows())
		titles.push_back(info.title);
	EXPECT_EQ(std::vector<std::string>({"snap one", "snap two"}), titles);
	headless_window_info info;
	ASSERT_TRUE(HeadlessDisplay::FindWindow("snap two", &info));
	// (Feel, flags, workspaces and hidden show in the palettes' snapshots.)
	EXPECT_EQ(B_BORDERED_WINDOW_LOOK, info.look);
	EXPECT_EQ(BRect(3, 4, 103, 54), info.frame);
	EXPECT_EQ(1, info.showLevel);
	EXPECT_TRUE(info.running);
	EXPECT_EQ(std::vector<std::string>({"top", "changed", "last"}),
		info.texts);
	ASSERT_EQ(3u, info.views.size());
	EXPECT_EQ("BBox", info.views[1].className);
	EXPECT_EQ((int32)B_PLAIN_BORDER, info.views[1].border);
	ASSERT_EQ(1u, info.views[1].children.size());
	EXPECT_EQ("BStringView", info.views[1].children[0].className);
	EXPECT_EQ("in", info.views[1].children[0].name);
	EXPECT_FALSE(info.views[1].hasText);

	QuitLooper(first);
	QuitLooper(window);
	EXPECT_FALSE(HeadlessDisplay::FindWindow("snap two", NULL));
}


TEST(Window, ResizeAndScreenHooksRunLaterOnTheWindowThreadWithTheLock)
{
	HookWindow* window = new HookWindow;
	thread_id thread = window->Run();
	// The frame changes at once; the hook runs later.
	window->ResizeTo(200, 80);
	EXPECT_EQ(BRect(10, 20, 210, 100), window->Frame());
	ASSERT_EQ(B_OK, HeadlessDisplay::WaitForIdle());
	std::vector<HookCall> calls = window->Calls();
	ASSERT_EQ(1u, calls.size());
	EXPECT_EQ(BRect(0, 0, 200, 80), calls[0].frame);
	EXPECT_EQ(thread, calls[0].thread);
	EXPECT_TRUE(calls[0].locked);

	// Same size: no call. Several changes while the window is busy: one
	// call with the last size.
	window->ResizeTo(200, 80);
	{
		BAutolock lock(window);
		window->ResizeTo(10, 10);
		window->ResizeTo(20, 30);
	}
	ASSERT_EQ(B_OK, HeadlessDisplay::WaitForIdle());
	calls = window->Calls();
	ASSERT_EQ(2u, calls.size());
	EXPECT_EQ(BRect(0, 0, 20, 30), calls[1].frame);

	// Screen changes reach it on its thread too.
	HeadlessDisplay::SetScreenSize(800, 600);
	ASSERT_EQ(B_OK, HeadlessDisplay::WaitForIdle());
	HeadlessDisplay::SetScreenSize(1024, 768);
	ASSERT_EQ(B_OK, HeadlessDisplay::WaitForIdle());
	calls = window->Calls();
	ASSERT_EQ(4u, calls.size());
	EXPECT_EQ(BRect(0, 0, 799, 599), calls[2].frame);
	EXPECT_EQ(BRect(0, 0, 1023, 767), calls[3].frame);
	EXPECT_EQ(thread, calls[3].thread);
	EXPECT_EQ(B_RGB32, calls[3].mode);
	EXPECT_FALSE(BScreen(screen_id{1}).IsValid());

	window->MoveTo(451.5f, 363.5f);
	window->ResizeTo(-5, 40000);
	EXPECT_EQ(BRect(451.5f, 363.5f, 451.5f, 33131.5f), window->Frame());
	QuitLooper(window);
}


TEST(Window, ViewsBelongToTheirParentsAndGoWithAWindowQuitFromElsewhere)
{
	std::atomic<int> deleted(0);
	HookWindow* window = new HookWindow("quitter");
	window->AddChild(new CountedView(&deleted));
	BBox* box = new BBox(BRect(0, 0, 50, 50));
	EXPECT_EQ(B_FANCY_BORDER, box->Border());
	CountedView* counted = new CountedView(&deleted);
	box->AddChild(counted);
	BStringView* first = new BStringView(BRect(), "first", "1");
	box->AddChild(first, counted);
	EXPECT_EQ(first, box->ChildAt(0));
	EXPECT_EQ(box, counted->Parent());
	EXPECT_EQ(counted, box->FindView("counted"));
	window->AddChild(box);
	// A view removed again is the caller's (deleting one still attached
	// would abort).
	EXPECT_TRUE(box->RemoveChild(first));
	delete first;
	CountedView* removed = new CountedView(&deleted);
	window->AddChild(removed);
	EXPECT_EQ(window, removed->Window());
	EXPECT_EQ(3, window->CountChildren());
	EXPECT_TRUE(window->RemoveChild(removed));
	EXPECT_FALSE(window->RemoveChild(removed));
	window->Run();
	BMessenger messenger(window);

	ASSERT_TRUE(window->Lock());
	window->ResizeTo(60, 60);
	window->Show();
	window->Quit();

	EXPECT_EQ(2, deleted.load());
	EXPECT_FALSE(messenger.IsValid());
	EXPECT_FALSE(HeadlessDisplay::FindWindow("quitter", NULL));
	delete removed;
	EXPECT_EQ(3, deleted.load());
}


TEST(Window, SnapshotsWhileWindowsComeAndGoAreSafe)
{
	// Every snapshot, however it falls between a window's creation and its
	// deletion, lists whole windows.
	std::atomic<bool> stop(false);
	std::atomic<bool> torn(false);
	std::thread reader([&stop, &torn] {
		while (!stop) {
			for (const headless_window_info& window
					: HeadlessDisplay::Windows()) {
				if (window.title == "churn" && window.texts.size() > 1)
					torn = true;
			}
		}
	});
	for (int i = 0; i < 50; i++) {
		BWindow* window = new HookWindow("churn");
		window->AddChild(new BStringView(BRect(0, 0, 1, 1), NULL, "x"));
		window->Run();
		window->ResizeTo(i, i);
		QuitLooper(window);
	}
	stop = true;
	reader.join();
	EXPECT_FALSE(torn);
}


TEST(Window, ALooperHoldingItsLockCanDriveAndQuitWindows)
{
	// Fault: a window thread that waited for a looper would deadlock
	// against a looper thread that holds its own lock while it locks,
	// resizes and quits the window (the lock order is looper, then window).
	// The looper drives the window as the front end's drives its palettes.
	HookWindow* window = new HookWindow("slow", true);
	window->Run();
	TestLooper* looper = new TestLooper(NULL, [window](BMessage* message) {
		if (message->what == 'q') {
			window->Lock();
			window->Quit();
			return;
		}
		BAutolock lock(window);
		window->ResizeTo(message->FindInt32("value"), 20);
		window->Show();
		window->Hide();
	});
	looper->Run();

	for (int32 i = 1; i <= 30; i++)
		Post(looper, i);
	looper->PostMessage('q');
	std::string report;
	EXPECT_EQ(B_OK, HeadlessDisplay::WaitForIdle(10000000, &report)) << report;
	EXPECT_FALSE(HeadlessDisplay::FindWindow("slow", NULL));
	QuitLooper(looper);
}
