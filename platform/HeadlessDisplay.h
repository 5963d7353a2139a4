// What the headless kits give a host program in place of a screen, an input
// server and a roster.
//
// The screen: a size the host sets (1024 x 768 unless told otherwise);
// windows read it through BScreen, and running windows hear of a change
// through ScreenChanged.
//
// The windows: every window from its construction to its deletion, in
// creation order, with what it would show: title, frame, show level and the
// views inside, with the texts of its string views in tree order. Snapshots
// are taken under each window's lock, so each window is self-consistent.
// Changes are counted, and a hook hears of them.
//
// Quiescence: WaitForIdle returns once every running looper and window has
// an empty queue and is not dispatching, which makes a snapshot taken after
// it reflect everything posted before it, including the FrameResized calls
// that a resize queues.
//
// Text metrics (all views and fonts use them; the host draws with them):
//   a character is narrow when its code point is below U+1100 or in the
//   half-width forms (U+FF61 to U+FFDC, U+FFE8 to U+FFEE), else wide; each
//   byte of invalid UTF-8 counts as one narrow character;
//   narrow width = round(0.7 x size), plus 1 for a bold face; wide = twice
//   that; ascent = round(1.1 x size), descent = round(0.3 x size), leading 1.
//   be_plain_font (10 pt): 7 and 14 px, line height 15 (11 + 3 + 1).
//   be_bold_font (12 pt, bold): 9 and 18 px, line height 18 (13 + 4 + 1).
//   SetTextSize overrides the width and line height of one exact text.
//
// Every function may be called from any thread that holds no looper or
// window lock, unless its comment says otherwise.
#ifndef _HEADLESS_DISPLAY_H
#define _HEADLESS_DISPLAY_H

#include <string>
#include <vector>

#include <FindDirectory.h>
#include <GraphicsDefs.h>
#include <InterfaceDefs.h>
#include <OS.h>
#include <Rect.h>
#include <Window.h>

class BInputServerMethod;
class BMenu;
class BMessage;
class BMessenger;

struct headless_view_info {
	std::string							className;	// "BStringView", "BBox", ...
	std::string							name;
	BRect								frame;		// in the parent's coordinates
	bool								hasText;	// a BStringView
	std::string							text;		// UTF-8
	float								fontSize;
	bool								boldFont;
	rgb_color							viewColor;
	rgb_color							highColor;
	int32								border;		// border_style of a BBox, else -1
	std::vector<headless_view_info>		children;
};

struct headless_window_info {
	int32							serial;		// creation order, from 1
	std::string						title;
	window_look						look;
	window_feel						feel;
	uint32							flags;
	uint32							workspaces;
	BRect							frame;		// screen coordinates
	int32							showLevel;	// hidden while > 0
	bool							hidden;
	bool							running;
	std::vector<headless_view_info>	views;		// top-level views, in order
	std::vector<std::string>		texts;		// string view texts, tree order
};

struct headless_thread_info {
	thread_id		id;
	std::string		name;
	int32			priority;
	bool			started;
	bool			finished;
};

struct headless_launch_info {
	std::string					signature;
	std::vector<std::string>	arguments;
	team_id						team;
};


// The input server as the stand-in's BInputServerMethod sees it. A host
// installs one (HeadlessDisplay::SetInputServer); without one, enqueued
// messages are deleted and menus ignored.
class HeadlessInputServer {
public:
	virtual ~HeadlessInputServer();

	// A method's constructor, SetName or SetIcon ran. Called from the
	// method's base constructor too: do not call the method's virtuals here.
	// icon is 256 bytes (16 x 16, B_CMAP8) or NULL.
	virtual void MethodNamed(BInputServerMethod* method, const char* name,
		const uchar* icon);
	// The method's destructor runs; forget the method.
	virtual void MethodDeleted(BInputServerMethod* method);
	// The server takes ownership of message and delivers it to the focused
	// application, in order. Called on whatever thread the method uses.
	virtual status_t EnqueueMessage(BInputServerMethod* method,
		BMessage* message) = 0;
	// menu is NULL to withdraw; the caller keeps the menu, so copy what is
	// needed before returning. A chosen item's message goes (as a copy) to
	// target.
	virtual status_t SetMenu(BInputServerMethod* method, const BMenu* menu,
		const BMessenger& target) = 0;
};


class HeadlessDisplay {
public:
	// Screen
	// Sets the main screen to width x height pixels (frame (0, 0, width - 1,
	// height - 1)) and queues ScreenChanged for every running window.
	static void SetScreenSize(float width, float height);
	static BRect ScreenFrame();

	// Windows
	// A snapshot of every existing window, in creation order. Locks each
	// window in turn; windows deleted meanwhile, and windows not yet run
	// whose creator still holds them (they may be half built), are left
	// out.
	static std::vector<headless_window_info> Windows();
	// The first (oldest) window with that title; false when there is none.
	static bool FindWindow(const char* title, headless_window_info* info);
	// Counts every change a host could see: windows created or deleted,
	// shown, hidden, moved, resized, retitled, views added, removed or
	// changed. Never decreases.
	static uint64 ChangeCount();
	// Waits until ChangeCount() differs from seen or the timeout passes;
	// returns the count.
	static uint64 WaitForChange(uint64 seen, bigtime_t timeout);
	// hook(cookie) is called after each change, on the thread that made it,
	// possibly while that thread holds a window's lock: it must not lock a
	// looper or window, nor call HeadlessDisplay other than ChangeCount.
	// NULL removes it.
	static void SetChangeHook(void (*hook)(void* cookie), void* cookie);

	// Quiescence
	// B_OK once every running looper and window is idle (empty queue, no
	// dispatch under way); B_TIMED_OUT after timeout microseconds, with a
	// description of the busy loopers and their lock holders in *report.
	static status_t WaitForIdle(bigtime_t timeout = 5000000,
		std::string* report = NULL);

	// Text metrics
	static void SetTextSize(const char* text, float width, float lineHeight);
	static void ClearTextSizes();

	// Directories
	// Points find_directory(which) at path; NULL restores the default.
	static void SetDirectory(directory_which which, const char* path);

	// Roster
	// Every BRoster::Launch so far, oldest first.
	static std::vector<headless_launch_info> Launches();
	static void ClearLaunches();

	// Threads
	// Every thread spawned so far, in id order, with whether it has started
	// and ended.
	static std::vector<headless_thread_info> Threads();

	// Input server
	// Installs server (NULL uninstalls); the caller keeps ownership and
	// keeps it alive while methods exist.
	static void SetInputServer(HeadlessInputServer* server);
	static HeadlessInputServer* InputServer();

	// Messages
	// A readable dump: the code, then one line per item, fields in order,
	// with their types.
	static std::string DescribeMessage(const BMessage& message);
};

#endif	// _HEADLESS_DISPLAY_H
