#include "View.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "KitPrivate.h"
#include "Window.h"


BView::BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags)
	: BHandler(name),
	  fWindow(NULL),
	  fParent(NULL),
	  fFrame(frame),
	  fResizingMode(resizingMode),
	  fFlags(flags),
	  fFont(*be_plain_font),
	  fViewColor(make_color(255, 255, 255)),
	  fHighColor(make_color(0, 0, 0)),
	  fLowColor(make_color(255, 255, 255))
{
}


BView::~BView()
{
	if (fWindow != NULL || fParent != NULL)
		debugger("an attached BView was deleted; remove it first");

	std::vector<BView*> children;
	children.swap(fChildren);
	for (BView* child : children) {
		if (child->fWindow != NULL)
			child->_SetWindow(NULL);
		child->fParent = NULL;
		delete child;
	}
}


// #pragma mark - Hooks


void
BView::AttachedToWindow()
{
}


void
BView::DetachedFromWindow()
{
}


void
BView::Draw(BRect)
{
}


void
BView::FrameResized(float, float)
{
}


// #pragma mark - Tree


BWindow*
BView::Window() const
{
	return fWindow;
}


BView*
BView::Parent() const
{
	return fParent;
}


void
BView::AddChild(BView* child, BView* before)
{
	if (child == NULL)
		return;
	if (child->fParent != NULL || child->fWindow != NULL)
		debugger("BView::AddChild(): the view already has a parent");
	_Touched();

	std::vector<BView*>::iterator position
		= std::find(fChildren.begin(), fChildren.end(), before);
	fChildren.insert(position, child);
	child->fParent = this;
	if (fWindow != NULL)
		child->_SetWindow(fWindow);
	_Changed();
}


bool
BView::RemoveChild(BView* child)
{
	std::vector<BView*>::iterator found
		= std::find(fChildren.begin(), fChildren.end(), child);
	if (child == NULL || found == fChildren.end())
		return false;
	_Touched();

	fChildren.erase(found);
	if (child->fWindow != NULL)
		child->_SetWindow(NULL);
	child->fParent = NULL;
	_Changed();
	return true;
}


bool
BView::RemoveSelf()
{
	if (fParent != NULL)
		return fParent->RemoveChild(this);
	if (fWindow != NULL)
		return fWindow->RemoveChild(this);
	return false;
}


int32
BView::CountChildren() const
{
	return (int32)fChildren.size();
}


BView*
BView::ChildAt(int32 index) const
{
	if (index < 0 || (size_t)index >= fChildren.size())
		return NULL;
	return fChildren[index];
}


BView*
BView::FindView(const char* name) const
{
	if (name == NULL)
		return NULL;
	if (strcmp(Name(), name) == 0)
		return const_cast<BView*>(this);
	for (BView* child : fChildren) {
		BView* found = child->FindView(name);
		if (found != NULL)
			return found;
	}
	return NULL;
}


void
BView::_SetWindow(BWindow* window)
{
	if (window == NULL && fWindow != NULL)
		DetachedFromWindow();
	fWindow = window;
	fOwnerLooper = window;
	for (BView* child : fChildren)
		child->_SetWindow(window);
	if (window != NULL)
		AttachedToWindow();
}


// #pragma mark - Geometry


BRect
BView::Frame() const
{
	return fFrame;
}


BRect
BView::Bounds() const
{
	return BRect(0, 0, fFrame.Width(), fFrame.Height());
}


void
BView::MoveTo(BPoint where)
{
	MoveTo(where.x, where.y);
}


void
BView::MoveTo(float x, float y)
{
	_Touched();
	fFrame.OffsetTo(x, y);
	_Changed();
}


void
BView::MoveBy(float dx, float dy)
{
	MoveTo(fFrame.left + dx, fFrame.top + dy);
}


void
BView::ResizeTo(float width, float height)
{
	_Touched();
	fFrame.right = fFrame.left + std::max(width, 0.0f);
	fFrame.bottom = fFrame.top + std::max(height, 0.0f);
	_Changed();
}


void
BView::ResizeBy(float dx, float dy)
{
	ResizeTo(fFrame.Width() + dx, fFrame.Height() + dy);
}


void
BView::GetPreferredSize(float* width, float* height)
{
	if (width != NULL)
		*width = fFrame.Width();
	if (height != NULL)
		*height = fFrame.Height();
}


void
BView::ResizeToPreferred()
{
	float width;
	float height;
	GetPreferredSize(&width, &height);
	ResizeTo(width, height);
}


// #pragma mark - Drawing state


void
BView::SetFont(const BFont* font, uint32 mask)
{
	if (font == NULL)
		return;
	_Touched();
	fFont.CopyAttributes(*font, mask);
	_Changed();
}


void
BView::GetFont(BFont* font) const
{
	if (font != NULL)
		*font = fFont;
}


float
BView::StringWidth(const char* string) const
{
	return fFont.StringWidth(string);
}


void
BView::GetFontHeight(font_height* height) const
{
	fFont.GetHeight(height);
}


void
BView::SetViewColor(rgb_color color)
{
	_Touched();
	fViewColor = color;
	_Changed();
}


void
BView::SetViewColor(uchar red, uchar green, uchar blue, uchar alpha)
{
	SetViewColor(make_color(red, green, blue, alpha));
}


rgb_color
BView::ViewColor() const
{
	return fViewColor;
}


void
BView::SetHighColor(rgb_color color)
{
	_Touched();
	fHighColor = color;
	_Changed();
}


void
BView::SetHighColor(uchar red, uchar green, uchar blue, uchar alpha)
{
	SetHighColor(make_color(red, green, blue, alpha));
}


rgb_color
BView::HighColor() const
{
	return fHighColor;
}


void
BView::SetLowColor(rgb_color color)
{
	_Touched();
	fLowColor = color;
	_Changed();
}


void
BView::SetLowColor(uchar red, uchar green, uchar blue, uchar alpha)
{
	SetLowColor(make_color(red, green, blue, alpha));
}


rgb_color
BView::LowColor() const
{
	return fLowColor;
}


uint32
BView::ResizingMode() const
{
	return fResizingMode;
}


void
BView::SetResizingMode(uint32 mode)
{
	fResizingMode = mode;
}


uint32
BView::Flags() const
{
	return fFlags;
}


void
BView::SetFlags(uint32 flags)
{
	fFlags = flags;
}


void
BView::Invalidate()
{
	_Changed();
}


void
BView::Invalidate(BRect)
{
	_Changed();
}


void
BView::_Touched()
{
	if (fWindow != NULL && !fWindow->IsLocked())
		debugger("an attached BView was changed without its window's lock");
}


void
BView::_Changed() const
{
	if (fWindow != NULL)
		BPrivate::DisplayChanged();
}
