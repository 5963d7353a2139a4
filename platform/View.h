// A rectangle in a window, and the tree of views inside it.
//
// A view's frame is in its parent's coordinates (the window's for a
// top-level view); Bounds() is (0, 0, width, height). Views attached to a
// window belong to it: the window deletes them, and deleting an attached view
// is a misuse that aborts; a view deletes its children. Changing an attached
// view needs its window's lock (a misuse aborts otherwise); reading it is
// safe for the thread that holds the lock.
#ifndef _VIEW_H
#define _VIEW_H

#include <vector>

#include <Font.h>
#include <GraphicsDefs.h>
#include <Handler.h>
#include <InterfaceDefs.h>
#include <Rect.h>

class BWindow;

// Resizing modes: which parent edges a view follows. Stored only.
enum {
	B_FOLLOW_NONE = 0,
	B_FOLLOW_ALL_SIDES = 0x1234,
	B_FOLLOW_ALL = 0x1234,
	B_FOLLOW_LEFT = 0x0202,
	B_FOLLOW_RIGHT = 0x0404,
	B_FOLLOW_LEFT_RIGHT = 0x0204,
	B_FOLLOW_H_CENTER = 0x0303,
	B_FOLLOW_TOP = 0x1010,
	B_FOLLOW_BOTTOM = 0x3030,
	B_FOLLOW_TOP_BOTTOM = 0x1030,
	B_FOLLOW_V_CENTER = 0x2020
};

// View flags. Stored only.
enum {
	B_FULL_UPDATE_ON_RESIZE = 0x80000000,
	B_WILL_DRAW = 0x20000000,
	B_PULSE_NEEDED = 0x10000000,
	B_NAVIGABLE_JUMP = 0x08000000,
	B_FRAME_EVENTS = 0x04000000,
	B_NAVIGABLE = 0x02000000
};

class BView : public BHandler {
public:
	BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags);
	virtual ~BView();

	// Hooks, called with the window locked.
	virtual void AttachedToWindow();
	virtual void DetachedFromWindow();
	virtual void Draw(BRect updateRect);
	virtual void FrameResized(float width, float height);

	// Tree
	BWindow* Window() const;
	BView* Parent() const;
	// Adds child (which must not have a parent) before `before`, or last.
	void AddChild(BView* child, BView* before = NULL);
	// Detaches child without deleting it; false if it is not a child.
	bool RemoveChild(BView* child);
	bool RemoveSelf();
	int32 CountChildren() const;
	BView* ChildAt(int32 index) const;
	// The first view named name in this view's subtree, or NULL.
	BView* FindView(const char* name) const;

	// Geometry
	BRect Frame() const;
	BRect Bounds() const;
	void MoveTo(BPoint where);
	void MoveTo(float x, float y);
	void MoveBy(float dx, float dy);
	// right = left + width, bottom = top + height; negative sizes become 0.
	void ResizeTo(float width, float height);
	void ResizeBy(float dx, float dy);
	// The base gives the current size.
	virtual void GetPreferredSize(float* width, float* height);
	virtual void ResizeToPreferred();

	// Drawing state
	virtual void SetFont(const BFont* font, uint32 mask = B_FONT_ALL);
	void GetFont(BFont* font) const;
	float StringWidth(const char* string) const;
	void GetFontHeight(font_height* height) const;
	virtual void SetViewColor(rgb_color color);
	void SetViewColor(uchar red, uchar green, uchar blue, uchar alpha = 255);
	rgb_color ViewColor() const;
	virtual void SetHighColor(rgb_color color);
	void SetHighColor(uchar red, uchar green, uchar blue, uchar alpha = 255);
	rgb_color HighColor() const;
	virtual void SetLowColor(rgb_color color);
	void SetLowColor(uchar red, uchar green, uchar blue, uchar alpha = 255);
	rgb_color LowColor() const;

	uint32 ResizingMode() const;
	virtual void SetResizingMode(uint32 mode);
	uint32 Flags() const;
	virtual void SetFlags(uint32 flags);

	void Invalidate();
	void Invalidate(BRect rect);

protected:
	// Aborts when the view is attached and the caller lacks the window lock;
	// then reports the change to the host.
	void _Touched();
	void _Changed() const;

private:
	friend class BWindow;

	BView(const BView&);
	BView& operator=(const BView&);

	void _SetWindow(BWindow* window);

	BWindow*				fWindow;
	BView*					fParent;
	std::vector<BView*>		fChildren;
	BRect					fFrame;
	uint32					fResizingMode;
	uint32					fFlags;
	BFont					fFont;
	rgb_color				fViewColor;
	rgb_color				fHighColor;
	rgb_color				fLowColor;
};

#endif	// _VIEW_H
