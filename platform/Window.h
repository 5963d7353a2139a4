// A window: a looper with a frame on the screen, a title, a look and feel,
// and top-level views.
//
// A window is created hidden (show level 1) and locked by its creator, like
// every looper; the first Show() of a window never run starts its thread.
// Show and Hide count: the window is hidden while the level is above 0.
// Frame() is the content area in screen coordinates, fractions kept.
// MoveTo and ResizeTo take effect at once (any thread; they lock the window);
// each effective size change queues a notice on which the window's own
// thread, holding the lock, later calls FrameResized with the new width and
// height (notices not yet handled merge into one call). A screen change makes
// the window's thread call ScreenChanged. Quit hides the window and then
// quits it as a looper; the window deletes its views.
//
// Nothing in a window's own machinery waits for another looper: a window
// thread only ever takes its own window's lock and the kit's leaf lock, so
// a thread holding a looper's lock may lock, change and quit windows.
#ifndef _WINDOW_H
#define _WINDOW_H

#include <string>
#include <vector>

#include <GraphicsDefs.h>
#include <Looper.h>
#include <Rect.h>

class BView;
class HeadlessDisplay;
struct headless_window_info;

enum window_type {
	B_UNTYPED_WINDOW = 0,
	B_TITLED_WINDOW = 1,
	B_MODAL_WINDOW = 3,
	B_DOCUMENT_WINDOW = 11,
	B_BORDERED_WINDOW = 20,
	B_FLOATING_WINDOW = 21
};

enum window_look {
	B_TITLED_WINDOW_LOOK = 1,
	B_MODAL_WINDOW_LOOK = 3,
	B_FLOATING_WINDOW_LOOK = 7,
	B_DOCUMENT_WINDOW_LOOK = 11,
	B_NO_BORDER_WINDOW_LOOK = 19,
	B_BORDERED_WINDOW_LOOK = 20
};

enum window_feel {
	B_NORMAL_WINDOW_FEEL = 0,
	B_MODAL_APP_WINDOW_FEEL = 1,
	B_MODAL_SUBSET_WINDOW_FEEL = 2,
	B_MODAL_ALL_WINDOW_FEEL = 3,
	B_FLOATING_APP_WINDOW_FEEL = 4,
	B_FLOATING_SUBSET_WINDOW_FEEL = 5,
	B_FLOATING_ALL_WINDOW_FEEL = 6
};

enum {
	B_NOT_MOVABLE = 0x00000001,
	B_NOT_RESIZABLE = 0x00000002,
	B_NOT_H_RESIZABLE = 0x00000004,
	B_NOT_V_RESIZABLE = 0x00000008,
	B_NOT_CLOSABLE = 0x00000020,
	B_NOT_ZOOMABLE = 0x00000040,
	B_AVOID_FRONT = 0x00000080,
	B_AVOID_FOCUS = 0x00002000,
	B_NOT_MINIMIZABLE = 0x00004000
};

#define B_CURRENT_WORKSPACE	0
#define B_ALL_WORKSPACES	0xFFFFFFFF

class BWindow : public BLooper {
public:
	BWindow(BRect frame, const char* title, window_look look,
		window_feel feel, uint32 flags,
		uint32 workspaces = B_CURRENT_WORKSPACE);
	BWindow(BRect frame, const char* title, window_type type, uint32 flags,
		uint32 workspaces = B_CURRENT_WORKSPACE);
	virtual ~BWindow();

	// Loop
	virtual void Quit();
	virtual void DispatchMessage(BMessage* message, BHandler* handler);
	virtual void MessageReceived(BMessage* message);

	// Hooks, on the window's thread with the window locked.
	virtual void FrameResized(float width, float height);
	virtual void ScreenChanged(BRect screenFrame, color_space mode);
	virtual void WorkspacesChanged(uint32 oldWorkspaces,
		uint32 newWorkspaces);

	// Visibility
	virtual void Show();
	virtual void Hide();
	bool IsHidden() const;
	void Activate(bool active = true);
	bool IsActive() const;

	// Views (these lock the window)
	void AddChild(BView* child, BView* before = NULL);
	bool RemoveChild(BView* child);
	int32 CountChildren() const;
	BView* ChildAt(int32 index) const;
	BView* FindView(const char* name) const;

	// Geometry (any thread)
	BRect Frame() const;
	BRect Bounds() const;
	void MoveTo(BPoint where);
	void MoveTo(float x, float y);
	void MoveBy(float dx, float dy);
	// right = left + width, bottom = top + height, each size held to 0 ...
	// 32768.
	void ResizeTo(float width, float height);
	void ResizeBy(float dx, float dy);

	// Attributes
	// SetTitle locks the window; Title() is for the lock holder.
	void SetTitle(const char* title);
	const char* Title() const;
	window_look Look() const;
	status_t SetLook(window_look look);
	window_feel Feel() const;
	status_t SetFeel(window_feel feel);
	uint32 Flags() const;
	status_t SetFlags(uint32 flags);
	uint32 Workspaces() const;
	void SetWorkspaces(uint32 workspaces);

	// No-ops: nothing is drawn.
	void Sync() const;
	void Flush() const;
	void UpdateIfNeeded();

private:
	friend class HeadlessDisplay;

	BWindow(const BWindow&);
	BWindow& operator=(const BWindow&);

	void _Init(BRect frame, const char* title, window_look look,
		window_feel feel, uint32 flags, uint32 workspaces);
	void _Snapshot(headless_window_info* info) const;

	std::vector<BView*>		fChildren;
	std::string				fTitle;
	// Guarded by the kit's lock, so that any thread may read them.
	window_look				fLook;
	window_feel				fFeel;
	uint32					fFlags;
	uint32					fWorkspaces;
	BRect					fFrame;
	int32					fShowLevel;
	bool					fResizePending;
	bool					fActive;
};

#endif	// _WINDOW_H
