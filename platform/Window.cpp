#include "Window.h"

#include <algorithm>
#include <cstring>
#include <typeinfo>
#include <cxxabi.h>

#include "AppDefs.h"
#include "Autolock.h"
#include "Box.h"
#include "HeadlessDisplay.h"
#include "KitPrivate.h"
#include "Message.h"
#include "StringView.h"
#include "View.h"

using BPrivate::KitLock;

namespace {

const float kMaxWindowSize = 32768;


float
Clamp(float value, float low, float high)
{
	return std::min(std::max(value, low), high);
}


std::string
ClassName(const BView* view)
{
	const char* mangled = typeid(*view).name();
	int status = 0;
	char* demangled = abi::__cxa_demangle(mangled, NULL, NULL, &status);
	std::string name = status == 0 && demangled != NULL ? demangled : mangled;
	free(demangled);
	return name;
}


void
SnapshotView(const BView* view, headless_view_info* info,
	std::vector<std::string>* texts)
{
	info->className = ClassName(view);
	info->name = view->Name();
	info->frame = view->Frame();

	const BStringView* stringView = dynamic_cast<const BStringView*>(view);
	info->hasText = stringView != NULL;
	info->text = stringView != NULL ? stringView->Text() : "";
	if (stringView != NULL)
		texts->push_back(info->text);

	BFont font;
	view->GetFont(&font);
	info->fontSize = font.Size();
	info->boldFont = (font.Face() & B_BOLD_FACE) != 0;
	info->viewColor = view->ViewColor();
	info->highColor = view->HighColor();

	const BBox* box = dynamic_cast<const BBox*>(view);
	info->border = box != NULL ? (int32)box->Border() : -1;

	info->children.resize(view->CountChildren());
	for (int32 i = 0; i < view->CountChildren(); i++)
		SnapshotView(view->ChildAt(i), &info->children[i], texts);
}

}	// namespace


BWindow::BWindow(BRect frame, const char* title, window_look look,
	window_feel feel, uint32 flags, uint32 workspaces)
	: BLooper(title, B_DISPLAY_PRIORITY)
{
	_Init(frame, title, look, feel, flags, workspaces);
}


BWindow::BWindow(BRect frame, const char* title, window_type type,
	uint32 flags, uint32 workspaces)
	: BLooper(title, B_DISPLAY_PRIORITY)
{
	window_look look = B_TITLED_WINDOW_LOOK;
	window_feel feel = B_NORMAL_WINDOW_FEEL;
	switch (type) {
		case B_MODAL_WINDOW:
			look = B_MODAL_WINDOW_LOOK;
			feel = B_MODAL_APP_WINDOW_FEEL;
			break;
		case B_DOCUMENT_WINDOW:
			look = B_DOCUMENT_WINDOW_LOOK;
			break;
		case B_BORDERED_WINDOW:
			look = B_BORDERED_WINDOW_LOOK;
			break;
		case B_FLOATING_WINDOW:
			look = B_FLOATING_WINDOW_LOOK;
			feel = B_FLOATING_APP_WINDOW_FEEL;
			break;
		default:
			break;
	}
	_Init(frame, title, look, feel, flags, workspaces);
}


void
BWindow::_Init(BRect frame, const char* title, window_look look,
	window_feel feel, uint32 flags, uint32 workspaces)
{
	fTitle = title != NULL ? title : "";
	fThreadName = "w>" + fTitle;
	fLook = look;
	fFeel = feel;
	fFlags = flags;
	fWorkspaces = workspaces;
	fFrame = frame;
	fShowLevel = 1;
	fResizePending = false;
	fActive = false;

	BPrivate::RegisterWindow(this, fCore);
	BPrivate::DisplayChanged();
}


BWindow::~BWindow()
{
	// Whoever deletes the window holds its lock meanwhile, so that a host's
	// snapshot never sees it half destroyed.
	if (!IsLocked())
		Lock();

	BPrivate::UnregisterWindow(this);
	std::vector<BView*> children;
	children.swap(fChildren);
	for (BView* child : children) {
		child->_SetWindow(NULL);
		delete child;
	}
	BPrivate::DisplayChanged();
}


// #pragma mark - Loop


void
BWindow::Quit()
{
	if (!IsLocked())
		debugger("BWindow::Quit() called without holding the lock");
	{
		std::lock_guard<std::mutex> lock(KitLock());
		if (fShowLevel <= 0)
			fShowLevel = 1;
	}
	BPrivate::DisplayChanged();
	BLooper::Quit();
}


void
BWindow::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (handler == this) {
		switch (message->what) {
			case B_WINDOW_RESIZED:
			{
				BRect frame;
				{
					std::lock_guard<std::mutex> lock(KitLock());
					fResizePending = false;
					frame = fFrame;
				}
				FrameResized(frame.Width(), frame.Height());
				return;
			}
			case B_SCREEN_CHANGED:
			{
				BRect frame;
				int32 mode;
				message->FindRect("frame", &frame);
				message->FindInt32("mode", &mode);
				ScreenChanged(frame, (color_space)mode);
				return;
			}
			case B_WORKSPACES_CHANGED:
			{
				uint32 oldWorkspaces;
				uint32 newWorkspaces;
				message->FindUInt32("old", &oldWorkspaces);
				message->FindUInt32("new", &newWorkspaces);
				WorkspacesChanged(oldWorkspaces, newWorkspaces);
				return;
			}
		}
	}
	BLooper::DispatchMessage(message, handler);
}


void
BWindow::MessageReceived(BMessage* message)
{
	BLooper::MessageReceived(message);
}


void
BWindow::FrameResized(float, float)
{
}


void
BWindow::ScreenChanged(BRect, color_space)
{
}


void
BWindow::WorkspacesChanged(uint32, uint32)
{
}


// #pragma mark - Visibility


void
BWindow::Show()
{
	bool runCalled = true;
	if (Lock()) {
		{
			std::lock_guard<std::mutex> lock(KitLock());
			fShowLevel--;
			runCalled = fCore->running;
		}
		Unlock();
		BPrivate::DisplayChanged();
	}
	// The first Show of a window never run starts it; its creator still
	// holds the constructor's lock, as Run requires.
	if (!runCalled)
		Run();
}


void
BWindow::Hide()
{
	if (!Lock())
		return;
	{
		std::lock_guard<std::mutex> lock(KitLock());
		fShowLevel++;
	}
	Unlock();
	BPrivate::DisplayChanged();
}


bool
BWindow::IsHidden() const
{
	std::lock_guard<std::mutex> lock(KitLock());
	return fShowLevel > 0;
}


void
BWindow::Activate(bool active)
{
	std::lock_guard<std::mutex> lock(KitLock());
	fActive = active;
}


bool
BWindow::IsActive() const
{
	std::lock_guard<std::mutex> lock(KitLock());
	return fActive;
}


// #pragma mark - Views


void
BWindow::AddChild(BView* child, BView* before)
{
	if (child == NULL)
		return;
	BAutolock locker(this);
	if (!locker.IsLocked())
		return;
	if (child->fParent != NULL || child->fWindow != NULL)
		debugger("BWindow::AddChild(): the view already has a parent");

	std::vector<BView*>::iterator position
		= std::find(fChildren.begin(), fChildren.end(), before);
	fChildren.insert(position, child);
	child->_SetWindow(this);
	BPrivate::DisplayChanged();
}


bool
BWindow::RemoveChild(BView* child)
{
	BAutolock locker(this);
	if (!locker.IsLocked())
		return false;
	std::vector<BView*>::iterator found
		= std::find(fChildren.begin(), fChildren.end(), child);
	if (child == NULL || found == fChildren.end())
		return false;
	fChildren.erase(found);
	child->_SetWindow(NULL);
	BPrivate::DisplayChanged();
	return true;
}


int32
BWindow::CountChildren() const
{
	BAutolock locker(const_cast<BWindow*>(this));
	return (int32)fChildren.size();
}


BView*
BWindow::ChildAt(int32 index) const
{
	BAutolock locker(const_cast<BWindow*>(this));
	if (index < 0 || (size_t)index >= fChildren.size())
		return NULL;
	return fChildren[index];
}


BView*
BWindow::FindView(const char* name) const
{
	BAutolock locker(const_cast<BWindow*>(this));
	for (BView* child : fChildren) {
		BView* found = child->FindView(name);
		if (found != NULL)
			return found;
	}
	return NULL;
}


// #pragma mark - Geometry


BRect
BWindow::Frame() const
{
	std::lock_guard<std::mutex> lock(KitLock());
	return fFrame;
}


BRect
BWindow::Bounds() const
{
	BRect frame = Frame();
	return BRect(0, 0, frame.Width(), frame.Height());
}


void
BWindow::MoveTo(BPoint where)
{
	MoveTo(where.x, where.y);
}


void
BWindow::MoveTo(float x, float y)
{
	BAutolock locker(this);
	if (!locker.IsLocked())
		return;
	{
		std::lock_guard<std::mutex> lock(KitLock());
		if (fFrame.left == x && fFrame.top == y)
			return;
		fFrame.OffsetTo(x, y);
	}
	BPrivate::DisplayChanged();
}


void
BWindow::MoveBy(float dx, float dy)
{
	BRect frame = Frame();
	MoveTo(frame.left + dx, frame.top + dy);
}


void
BWindow::ResizeTo(float width, float height)
{
	width = Clamp(width, 0, kMaxWindowSize);
	height = Clamp(height, 0, kMaxWindowSize);

	BAutolock locker(this);
	if (!locker.IsLocked())
		return;
	BMessage* notice = NULL;
	{
		std::lock_guard<std::mutex> lock(KitLock());
		if (fFrame.Width() == width && fFrame.Height() == height)
			return;
		fFrame.right = fFrame.left + width;
		fFrame.bottom = fFrame.top + height;
		if (!fResizePending) {
			// The hook runs later, on the window's thread, with the size
			// current then.
			notice = new BMessage(B_WINDOW_RESIZED);
			notice->AddInt32("width", (int32)width);
			notice->AddInt32("height", (int32)height);
			if (BPrivate::EnqueueLocked(*fCore, notice, this, true) == B_OK) {
				fResizePending = true;
				notice = NULL;
			}
		}
	}
	delete notice;
	BPrivate::DisplayChanged();
}


void
BWindow::ResizeBy(float dx, float dy)
{
	BRect frame = Frame();
	ResizeTo(frame.Width() + dx, frame.Height() + dy);
}


// #pragma mark - Attributes


void
BWindow::SetTitle(const char* title)
{
	BAutolock locker(this);
	if (!locker.IsLocked())
		return;
	fTitle = title != NULL ? title : "";
	BPrivate::DisplayChanged();
}


const char*
BWindow::Title() const
{
	return fTitle.c_str();
}


window_look
BWindow::Look() const
{
	std::lock_guard<std::mutex> lock(KitLock());
	return fLook;
}


status_t
BWindow::SetLook(window_look look)
{
	{
		std::lock_guard<std::mutex> lock(KitLock());
		fLook = look;
	}
	BPrivate::DisplayChanged();
	return B_OK;
}


window_feel
BWindow::Feel() const
{
	std::lock_guard<std::mutex> lock(KitLock());
	return fFeel;
}


status_t
BWindow::SetFeel(window_feel feel)
{
	{
		std::lock_guard<std::mutex> lock(KitLock());
		fFeel = feel;
	}
	BPrivate::DisplayChanged();
	return B_OK;
}


uint32
BWindow::Flags() const
{
	std::lock_guard<std::mutex> lock(KitLock());
	return fFlags;
}


status_t
BWindow::SetFlags(uint32 flags)
{
	{
		std::lock_guard<std::mutex> lock(KitLock());
		fFlags = flags;
	}
	BPrivate::DisplayChanged();
	return B_OK;
}


uint32
BWindow::Workspaces() const
{
	std::lock_guard<std::mutex> lock(KitLock());
	return fWorkspaces;
}


void
BWindow::SetWorkspaces(uint32 workspaces)
{
	uint32 oldWorkspaces;
	{
		std::lock_guard<std::mutex> lock(KitLock());
		oldWorkspaces = fWorkspaces;
		fWorkspaces = workspaces;
	}
	if (oldWorkspaces == workspaces)
		return;
	BMessage notice(B_WORKSPACES_CHANGED);
	notice.AddUInt32("old", oldWorkspaces);
	notice.AddUInt32("new", workspaces);
	PostMessage(&notice);
	BPrivate::DisplayChanged();
}


void
BWindow::Sync() const
{
}


void
BWindow::Flush() const
{
}


void
BWindow::UpdateIfNeeded()
{
}


void
BWindow::_Snapshot(headless_window_info* info) const
{
	info->title = fTitle;
	{
		std::lock_guard<std::mutex> lock(KitLock());
		info->look = fLook;
		info->feel = fFeel;
		info->flags = fFlags;
		info->workspaces = fWorkspaces;
		info->frame = fFrame;
		info->showLevel = fShowLevel;
		info->hidden = fShowLevel > 0;
		info->running = fCore->running;
	}
	info->views.resize(fChildren.size());
	info->texts.clear();
	for (size_t i = 0; i < fChildren.size(); i++)
		SnapshotView(fChildren[i], &info->views[i], &info->texts);
}
