// Internals shared by the stand-in kits' sources; not for the kits' users.
//
// Lock order inside the kits: a looper's or window's lock (held across user
// code) may be followed by the kit lock, never the reverse. The kit lock
// guards every looper's queue and lock state, the registries, the screen and
// the small state of windows (frame, show level); it is a leaf: no code waits
// for a looper or calls user code while holding it, except on the condition
// variables that belong to it.
#ifndef _KIT_PRIVATE_H
#define _KIT_PRIVATE_H

#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <HeadlessDisplay.h>
#include <OS.h>
#include <Rect.h>

class BFont;
class BHandler;
class BLooper;
class BMessage;
class BWindow;

namespace BPrivate {

std::mutex& KitLock();

struct QueuedMessage {
	BMessage*	message;
	BHandler*	target;
	bool		quitRequest;
};

// The part of a looper that outlives it, so that threads waiting for its
// lock or its end learn that it is gone.
struct LooperCore {
	LooperCore();

	BLooper*					looper;
	int32						token;
	std::string					name;
	std::condition_variable		changed;	// any change below
	thread_id					owner;
	int32						lockCount;
	std::deque<QueuedMessage>	queue;
	int32						capacity;
	// Messages posted since the loop last took one: like the real port,
	// whose content the loop moves into an unbounded queue between
	// dispatches, only these count against the capacity.
	int32						portCount;
	thread_id					thread;
	bool						running;
	bool						dispatching;
	bool						quitting;
	bool						dead;
};

struct WindowEntry {
	int32							serial;
	BWindow*						window;
	std::shared_ptr<LooperCore>		core;
};

// Everything the kit keeps for the process. Never destroyed, since kit
// threads may still run while the process exits.
struct KitState {
	KitState();

	// Under the kit lock
	std::mutex											lock;
	std::condition_variable								idle;
	std::map<const BLooper*, std::shared_ptr<LooperCore> >	loopers;
	std::map<int32, std::shared_ptr<LooperCore> >		tokens;
	int32												nextToken;
	std::vector<WindowEntry>							windows;
	int32												nextSerial;
	float												screenWidth;
	float												screenHeight;

	// Display changes, under changeLock (a leaf)
	std::mutex											changeLock;
	std::condition_variable								changed;
	uint64												changeCount;
	void												(*changeHook)(void*);
	void*												changeCookie;

	// Host settings, under settingsLock (a leaf)
	std::mutex											settingsLock;
	std::map<std::string, std::pair<float, float> >	textSizes;
	std::atomic<bool>									hasTextSizes;
	std::map<int32, std::string>						directories;
	std::vector<headless_launch_info>					launches;
	team_id												nextTeam;

	std::atomic<HeadlessInputServer*>					inputServer;
};

KitState& Kit();

// Looper registry; the kit lock must be held.
void RegisterLooperLocked(const std::shared_ptr<LooperCore>& core);
void UnregisterLooperLocked(const LooperCore* core);
std::shared_ptr<LooperCore> FindLooperLocked(const BLooper* looper);
std::shared_ptr<LooperCore> FindLooperLocked(int32 token);

// Queue message (owned from here on) at core. ignoreCapacity for the kit's
// own notices. The kit lock must be held; on failure the caller deletes the
// message after releasing it.
status_t EnqueueLocked(LooperCore& core, BMessage* message, BHandler* target,
	bool ignoreCapacity);

// Takes core's lock for the calling thread (lock is the kit lock, held).
status_t AcquireLocked(std::unique_lock<std::mutex>& lock, LooperCore& core,
	thread_id self, bigtime_t timeout);

// Tell WaitForIdle to look again; the kit lock must be held.
void NotifyIdleLocked();

// Windows
void RegisterWindow(BWindow* window, const std::shared_ptr<LooperCore>& core);
void UnregisterWindow(BWindow* window);
// The screen frame; the kit lock must be held.
BRect ScreenFrameLocked();
// Count a change and call the host's hook; no kit lock held.
void DisplayChanged();

// Text metrics
float TextWidth(float size, bool bold, const char* text, size_t length);
bool TextSizeOverride(const char* text, float* width, float* lineHeight);

// Directories
std::string DirectoryPath(int32 which, bool* known);

// Roster
team_id RecordLaunch(const char* signature, int argc,
	const char* const* arguments);

// Threads
std::vector<headless_thread_info> ThreadInfos();

// Messages
std::string DescribeMessage(const BMessage& message);
std::string FlattenMessage(const BMessage& message);
bool UnflattenMessage(const std::string& data, BMessage* message);

}	// namespace BPrivate

#endif	// _KIT_PRIVATE_H
