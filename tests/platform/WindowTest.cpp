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
#include <Looper.h>
#include <Message.h>
#include <Screen.h>
#include <StringView.h>


namespace {

struct ResizeCall {
	float		width;
	float		height;
	thread_id	thread;
	bool		locked;
};


class HookWindow : public BWindow {
public:
	HookWindow(const char* title = "hooks")
		: BWindow(BRect(10, 20, 110, 70), title, B_TITLED_WINDOW_LOOK,
			B_NORMAL_WINDOW_FEEL, B_NOT_ZOOMABLE) {}

	virtual void FrameResized(float width, float height)
	{
		std::lock_guard<std::mutex> guard(fLock);
		fResizes.push_back(ResizeCall{width, height, find_thread(NULL),
			IsLocked()});
	}

	virtual void ScreenChanged(BRect frame, color_space mode)
	{
		std::lock_guard<std::mutex> guard(fLock);
		fScreens.push_back(frame);
		fScreenThread = find_thread(NULL);
		fMode = mode;
	}

	std::vector<ResizeCall> Resizes()
	{
		std::lock_guard<std::mutex> guard(fLock);
		return fResizes;
	}

	std::vector<BRect> Screens()
	{
		std::lock_guard<std::mutex> guard(fLock);
		return fScreens;
	}

	thread_id		fScreenThread = -1;
	color_space		fMode = B_NO_COLOR_SPACE;

private:
	std::mutex					fLock;
	std::vector<ResizeCall>		fResizes;
	std::vector<BRect>			fScreens;
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


void
QuitWindow(BWindow* window)
{
	if (window->Lock())
		window->Quit();
}


void
QuitLooper(BLooper* looper)
{
	if (looper->Lock())
		looper->Quit();
}

}	// namespace


TEST(Window, IsCreatedHiddenAndShowAndHideCount)
{
	BWindow* window = new BWindow(BRect(1.5f, 2, 101.5f, 52), "plain",
		B_BORDERED_WINDOW_LOOK, B_FLOATING_ALL_WINDOW_FEEL, 0x60E3,
		B_ALL_WORKSPACES);
	EXPECT_TRUE(window->IsHidden());
	EXPECT_TRUE(window->IsLocked());
	EXPECT_EQ(BRect(1.5f, 2, 101.5f, 52), window->Frame());
	EXPECT_EQ(BRect(0, 0, 100, 50), window->Bounds());

	// The first Show runs the window and releases the creator's lock.
	window->Show();
	EXPECT_FALSE(window->IsHidden());
	EXPECT_GT(window->Thread(), 0);
	EXPECT_FALSE(window->IsLocked());
	bool named = false;
	for (const headless_thread_info& info : HeadlessDisplay::Threads()) {
		if (info.id == window->Thread()) {
			named = info.name == "w>plain" && info.priority == 15;
		}
	}
	EXPECT_TRUE(named);

	window->Show();
	window->Hide();
	EXPECT_FALSE(window->IsHidden());
	window->Hide();
	EXPECT_TRUE(window->IsHidden());
	window->Hide();
	window->Show();
	EXPECT_TRUE(window->IsHidden());
	QuitWindow(window);
}


TEST(Window, FrameResizedRunsLaterOnTheWindowThreadWithTheLock)
{
	HookWindow* window = new HookWindow;
	thread_id thread = window->Run();
	// The frame changes at once; the hook runs later.
	window->ResizeTo(200, 80);
	EXPECT_EQ(BRect(10, 20, 210, 100), window->Frame());
	ASSERT_EQ(B_OK, HeadlessDisplay::WaitForIdle());
	std::vector<ResizeCall> calls = window->Resizes();
	ASSERT_EQ(1u, calls.size());
	EXPECT_EQ(200, calls[0].width);
	EXPECT_EQ(80, calls[0].height);
	EXPECT_EQ(thread, calls[0].thread);
	EXPECT_TRUE(calls[0].locked);

	// Same size: no call. Several changes while the window is busy: one
	// call with the last size.
	window->ResizeTo(200, 80);
	{
		BAutolock lock(window);
		window->ResizeTo(10, 10);
		window->ResizeTo(20, 30);
		EXPECT_EQ(1u, window->Resizes().size());
	}
	ASSERT_EQ(B_OK, HeadlessDisplay::WaitForIdle());
	calls = window->Resizes();
	ASSERT_EQ(2u, calls.size());
	EXPECT_EQ(20, calls[1].width);
	EXPECT_EQ(30, calls[1].height);
	window->MoveTo(451.5f, 363.5f);
	window->ResizeTo(-5, 40000);
	EXPECT_EQ(BRect(451.5f, 363.5f, 451.5f, 33131.5f), window->Frame());
	QuitWindow(window);
}


TEST(Window, ScreenChangesReachRunningWindowsOnTheirThreads)
{
	HookWindow* window = new HookWindow;
	thread_id thread = window->Run();

	HeadlessDisplay::SetScreenSize(800, 600);
	EXPECT_EQ(BRect(0, 0, 799, 599), BScreen(B_MAIN_SCREEN_ID).Frame());
	ASSERT_EQ(B_OK, HeadlessDisplay::WaitForIdle());
	HeadlessDisplay::SetScreenSize(1024, 768);
	ASSERT_EQ(B_OK, HeadlessDisplay::WaitForIdle());

	std::vector<BRect> screens = window->Screens();
	ASSERT_EQ(2u, screens.size());
	EXPECT_EQ(BRect(0, 0, 799, 599), screens[0]);
	EXPECT_EQ(BRect(0, 0, 1023, 767), screens[1]);
	EXPECT_EQ(thread, window->fScreenThread);
	EXPECT_EQ(B_RGB32, window->fMode);
	EXPECT_FALSE(BScreen(screen_id{1}).IsValid());
	QuitWindow(window);
}


TEST(Window, QuittingALockedWindowFromAnotherThreadDeletesItsViewsOnly)
{
	std::atomic<int> deleted(0);
	HookWindow* window = new HookWindow("quitter");
	window->AddChild(new CountedView(&deleted));
	BView* box = new BBox(BRect(0, 0, 50, 50));
	box->AddChild(new CountedView(&deleted));
	window->AddChild(box);
	// A view removed again is the caller's.
	CountedView* removed = new CountedView(&deleted);
	window->AddChild(removed);
	EXPECT_EQ(window, removed->Window());
	EXPECT_EQ(3, window->CountChildren());
	EXPECT_TRUE(window->RemoveChild(removed));
	EXPECT_EQ(NULL, removed->Window());
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


TEST(HeadlessDisplay, SnapshotsListWindowsInCreationOrderWithTheirTexts)
{
	BWindow* first = new BWindow(BRect(0, 0, 10, 10), "snap one",
		B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL, 0);
	BWindow* second = new BWindow(BRect(5, 6, 7, 8), "snap two",
		B_BORDERED_WINDOW_LOOK, B_FLOATING_ALL_WINDOW_FEEL, 0x60E3,
		B_ALL_WORKSPACES);
	BBox* box = new BBox(BRect(0, 0, 2, 2), "box");
	box->SetBorder(B_PLAIN_BORDER);
	BStringView* inner = new BStringView(BRect(1, 1, 1, 1), "in", "inner");
	box->AddChild(inner);
	second->AddChild(new BStringView(BRect(0, 0, 1, 1), "top", "top"));
	second->AddChild(box);
	second->AddChild(new BStringView(BRect(0, 0, 1, 1), "last", "last"));
	first->Run();
	second->Run();

	uint64 before = HeadlessDisplay::ChangeCount();
	{
		BAutolock lock(second);
		inner->SetText("changed");
	}
	EXPECT_GT(HeadlessDisplay::ChangeCount(), before);

	std::vector<headless_window_info> windows = HeadlessDisplay::Windows();
	int firstIndex = -1;
	int secondIndex = -1;
	for (size_t i = 0; i < windows.size(); i++) {
		if (windows[i].title == "snap one")
			firstIndex = (int)i;
		if (windows[i].title == "snap two")
			secondIndex = (int)i;
	}
	ASSERT_GE(firstIndex, 0);
	ASSERT_GT(secondIndex, firstIndex);

	const headless_window_info& info = windows[secondIndex];
	EXPECT_EQ(B_BORDERED_WINDOW_LOOK, info.look);
	EXPECT_EQ(B_FLOATING_ALL_WINDOW_FEEL, info.feel);
	EXPECT_EQ(0x60E3u, info.flags);
	EXPECT_EQ(B_ALL_WORKSPACES, info.workspaces);
	EXPECT_EQ(BRect(5, 6, 7, 8), info.frame);
	EXPECT_TRUE(info.hidden);
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

	QuitWindow(first);
	QuitWindow(second);
	EXPECT_FALSE(HeadlessDisplay::FindWindow("snap two", NULL));
}


TEST(HeadlessDisplay, AWindowItsCreatorStillHoldsIsLeftOutNotWaitedFor)
{
	BWindow* unfinished = new BWindow(BRect(0, 0, 1, 1), "unfinished",
		B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL, 0);
	bool listed = true;
	std::thread([&listed] {
		listed = HeadlessDisplay::FindWindow("unfinished", NULL);
	}).join();
	EXPECT_FALSE(listed);
	// Its creator sees it.
	EXPECT_TRUE(HeadlessDisplay::FindWindow("unfinished", NULL));
	unfinished->Quit();
}


namespace {

std::atomic<int> sHookCalls(0);

void
CountHookCall(void* cookie)
{
	sHookCalls++;
	EXPECT_EQ(&sHookCalls, cookie);
}

}	// namespace


TEST(HeadlessDisplay, ChangesAreCountedAndAnnounced)
{
	BWindow* window = new HookWindow("announced");
	window->Run();
	HeadlessDisplay::SetChangeHook(CountHookCall, &sHookCalls);
	uint64 seen = HeadlessDisplay::ChangeCount();
	int calls = sHookCalls;

	std::thread mover([window] {
		snooze(5000);
		window->MoveTo(3, 4);
	});
	EXPECT_NE(seen, HeadlessDisplay::WaitForChange(seen, 5000000));
	mover.join();
	EXPECT_GT(sHookCalls.load(), calls);

	HeadlessDisplay::SetChangeHook(NULL, NULL);
	seen = HeadlessDisplay::ChangeCount();
	EXPECT_EQ(seen, HeadlessDisplay::WaitForChange(seen, 1000));
	QuitWindow(window);
}


TEST(HeadlessDisplay, SnapshotsWhileWindowsComeAndGoAreSafe)
{
	// Every snapshot, however it falls between a window's creation and its
	// deletion, lists whole windows in creation order.
	std::atomic<bool> stop(false);
	std::atomic<bool> torn(false);
	std::thread reader([&stop, &torn] {
		while (!stop) {
			const std::vector<headless_window_info> windows
				= HeadlessDisplay::Windows();
			for (size_t i = 1; i < windows.size(); i++) {
				if (windows[i - 1].serial >= windows[i].serial)
					torn = true;
			}
			for (const headless_window_info& window : windows) {
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
		QuitWindow(window);
	}
	stop = true;
	reader.join();
	EXPECT_FALSE(torn);
}


namespace {

// Drives a window the way the front end's looper drives its palettes: with
// its own lock held, it locks the window, changes its size and text, and
// finally quits it.
class DrivingLooper : public BLooper {
public:
	DrivingLooper(BWindow* window) : BLooper("driver"), fWindow(window) {}

	virtual void MessageReceived(BMessage* message)
	{
		if (message->what == 'q') {
			fWindow->Lock();
			fWindow->Quit();
			fWindow = NULL;
			return;
		}
		BAutolock lock(fWindow);
		fWindow->ResizeTo(message->FindInt32("size"), 20);
		fWindow->Show();
		fWindow->Hide();
	}

private:
	BWindow*	fWindow;
};


class SlowHookWindow : public HookWindow {
public:
	SlowHookWindow() : HookWindow("slow") {}

	virtual void FrameResized(float width, float height)
	{
		// Long enough for the looper to wait for this window's lock.
		snooze(2000);
		MoveTo(width, height);
		HookWindow::FrameResized(width, height);
	}
};

}	// namespace


TEST(Window, ALooperHoldingItsLockCanDriveAndQuitWindows)
{
	// Fault: a window thread that waited for a looper would deadlock
	// against a looper thread that holds its own lock while it locks,
	// resizes and quits the window (the lock order is looper, then window).
	SlowHookWindow* window = new SlowHookWindow;
	window->Run();
	DrivingLooper* looper = new DrivingLooper(window);
	looper->Run();

	for (int32 i = 1; i <= 30; i++) {
		BMessage message(1);
		message.AddInt32("size", i);
		looper->PostMessage(&message);
	}
	looper->PostMessage('q');
	std::string report;
	EXPECT_EQ(B_OK, HeadlessDisplay::WaitForIdle(10000000, &report)) << report;
	EXPECT_FALSE(HeadlessDisplay::FindWindow("slow", NULL));
	QuitLooper(looper);
}
