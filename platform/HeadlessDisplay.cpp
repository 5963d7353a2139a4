#include "HeadlessDisplay.h"

#include <chrono>
#include <cstdio>

#include "AppDefs.h"
#include "KitPrivate.h"
#include "Looper.h"
#include "Message.h"
#include "Window.h"

using BPrivate::Kit;
using BPrivate::KitState;
using BPrivate::LooperCore;


HeadlessInputServer::~HeadlessInputServer()
{
}


void
HeadlessInputServer::MethodNamed(BInputServerMethod*, const char*,
	const uchar*)
{
}


void
HeadlessInputServer::MethodDeleted(BInputServerMethod*)
{
}


// #pragma mark - Screen


void
HeadlessDisplay::SetScreenSize(float width, float height)
{
	KitState& kit = Kit();
	std::vector<BMessage*> unsent;
	{
		std::lock_guard<std::mutex> lock(kit.lock);
		kit.screenWidth = width;
		kit.screenHeight = height;
		BRect frame = BPrivate::ScreenFrameLocked();
		for (const BPrivate::WindowEntry& entry : kit.windows) {
			if (!entry.core->running)
				continue;
			BMessage* notice = new BMessage(B_SCREEN_CHANGED);
			notice->AddRect("frame", frame);
			notice->AddInt32("mode", B_RGB32);
			if (BPrivate::EnqueueLocked(*entry.core, notice, entry.window,
					true) != B_OK)
				unsent.push_back(notice);
		}
	}
	for (BMessage* notice : unsent)
		delete notice;
	BPrivate::DisplayChanged();
}


BRect
HeadlessDisplay::ScreenFrame()
{
	std::lock_guard<std::mutex> lock(Kit().lock);
	return BPrivate::ScreenFrameLocked();
}


// #pragma mark - Windows


std::vector<headless_window_info>
HeadlessDisplay::Windows()
{
	KitState& kit = Kit();
	std::vector<BPrivate::WindowEntry> entries;
	{
		std::lock_guard<std::mutex> lock(kit.lock);
		entries = kit.windows;
	}

	thread_id self = find_thread(NULL);
	std::vector<headless_window_info> infos;
	for (const BPrivate::WindowEntry& entry : entries) {
		// Lock through the core: a window deleted meanwhile makes this fail
		// instead of touching freed memory.
		{
			std::unique_lock<std::mutex> lock(kit.lock);
			// A window whose creator still holds it (not yet run) may be
			// half built, and may stay locked for long: leave it out.
			LooperCore& core = *entry.core;
			if (!core.running && core.owner >= 0 && core.owner != self)
				continue;
			if (BPrivate::AcquireLocked(lock, core, self, B_INFINITE_TIMEOUT)
					!= B_OK)
				continue;
		}
		headless_window_info info;
		info.serial = entry.serial;
		entry.window->_Snapshot(&info);
		{
			std::lock_guard<std::mutex> lock(kit.lock);
			if (--entry.core->lockCount == 0) {
				entry.core->owner = -1;
				entry.core->changed.notify_all();
			}
		}
		infos.push_back(info);
	}
	return infos;
}


bool
HeadlessDisplay::FindWindow(const char* title, headless_window_info* info)
{
	if (title == NULL)
		return false;
	std::vector<headless_window_info> windows = Windows();
	for (const headless_window_info& window : windows) {
		if (window.title == title) {
			if (info != NULL)
				*info = window;
			return true;
		}
	}
	return false;
}


uint64
HeadlessDisplay::ChangeCount()
{
	KitState& kit = Kit();
	std::lock_guard<std::mutex> lock(kit.changeLock);
	return kit.changeCount;
}


uint64
HeadlessDisplay::WaitForChange(uint64 seen, bigtime_t timeout)
{
	KitState& kit = Kit();
	std::unique_lock<std::mutex> lock(kit.changeLock);
	kit.changed.wait_for(lock, std::chrono::microseconds(timeout),
		[&kit, seen] { return kit.changeCount != seen; });
	return kit.changeCount;
}


void
HeadlessDisplay::SetChangeHook(void (*hook)(void* cookie), void* cookie)
{
	KitState& kit = Kit();
	std::lock_guard<std::mutex> lock(kit.changeLock);
	kit.changeHook = hook;
	kit.changeCookie = cookie;
}


// #pragma mark - Quiescence


namespace {

// Whether every running looper is idle; otherwise describes the busy ones.
bool
AllIdleLocked(KitState& kit, std::string* report)
{
	bool idle = true;
	if (report != NULL)
		report->clear();
	for (const auto& entry : kit.tokens) {
		const LooperCore& core = *entry.second;
		if (!core.running || core.dead
			|| (!core.dispatching && core.queue.empty()))
			continue;
		idle = false;
		if (report == NULL)
			break;
		char line[256];
		snprintf(line, sizeof(line),
			"looper \"%s\" (thread %d): %zu queued, %s, lock held by %d"
			" (%d times)\n", core.name.c_str(), (int)core.thread,
			core.queue.size(), core.dispatching ? "dispatching" : "waiting",
			(int)core.owner, (int)core.lockCount);
		*report += line;
	}
	return idle;
}

}	// namespace


status_t
HeadlessDisplay::WaitForIdle(bigtime_t timeout, std::string* report)
{
	KitState& kit = Kit();
	std::unique_lock<std::mutex> lock(kit.lock);
	std::chrono::steady_clock::time_point deadline
		= std::chrono::steady_clock::now() + std::chrono::microseconds(timeout);
	// Checked under the kit lock, which every post and every end of a
	// dispatch takes: a dispatch that queues more work has queued it before
	// it counts as finished, so one idle observation is stable.
	while (!AllIdleLocked(kit, NULL)) {
		if (kit.idle.wait_until(lock, deadline) == std::cv_status::timeout
			&& !AllIdleLocked(kit, report))
			return B_TIMED_OUT;
	}
	if (report != NULL)
		report->clear();
	return B_OK;
}


// #pragma mark - Text metrics


void
HeadlessDisplay::SetTextSize(const char* text, float width, float lineHeight)
{
	if (text == NULL)
		return;
	KitState& kit = Kit();
	std::lock_guard<std::mutex> lock(kit.settingsLock);
	kit.textSizes[text] = std::make_pair(width, lineHeight);
	kit.hasTextSizes = true;
}


void
HeadlessDisplay::ClearTextSizes()
{
	KitState& kit = Kit();
	std::lock_guard<std::mutex> lock(kit.settingsLock);
	kit.textSizes.clear();
	kit.hasTextSizes = false;
}


// #pragma mark - Directories, roster, threads


void
HeadlessDisplay::SetDirectory(directory_which which, const char* path)
{
	KitState& kit = Kit();
	std::lock_guard<std::mutex> lock(kit.settingsLock);
	if (path == NULL)
		kit.directories.erase(which);
	else
		kit.directories[which] = path;
}


std::vector<headless_launch_info>
HeadlessDisplay::Launches()
{
	KitState& kit = Kit();
	std::lock_guard<std::mutex> lock(kit.settingsLock);
	return kit.launches;
}


void
HeadlessDisplay::ClearLaunches()
{
	KitState& kit = Kit();
	std::lock_guard<std::mutex> lock(kit.settingsLock);
	kit.launches.clear();
}


std::vector<headless_thread_info>
HeadlessDisplay::Threads()
{
	return BPrivate::ThreadInfos();
}


// #pragma mark - Input server, messages


void
HeadlessDisplay::SetInputServer(HeadlessInputServer* server)
{
	Kit().inputServer = server;
}


HeadlessInputServer*
HeadlessDisplay::InputServer()
{
	return Kit().inputServer;
}


std::string
HeadlessDisplay::DescribeMessage(const BMessage& message)
{
	return BPrivate::DescribeMessage(message);
}
