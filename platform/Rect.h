// A rectangle with float edges. Width() and Height() are right - left and
// bottom - top (no +1); the default rectangle (0, 0, -1, -1) is invalid.
#ifndef _RECT_H
#define _RECT_H

#include <Point.h>

class BRect {
public:
	float	left;
	float	top;
	float	right;
	float	bottom;

	BRect() : left(0), top(0), right(-1), bottom(-1) {}
	BRect(float left, float top, float right, float bottom)
		: left(left), top(top), right(right), bottom(bottom) {}
	BRect(BPoint leftTop, BPoint rightBottom)
		: left(leftTop.x), top(leftTop.y), right(rightBottom.x),
		  bottom(rightBottom.y) {}

	void Set(float l, float t, float r, float b)
		{ left = l; top = t; right = r; bottom = b; }

	float Width() const { return right - left; }
	float Height() const { return bottom - top; }
	BPoint LeftTop() const { return BPoint(left, top); }
	BPoint RightBottom() const { return BPoint(right, bottom); }
	BPoint LeftBottom() const { return BPoint(left, bottom); }
	BPoint RightTop() const { return BPoint(right, top); }
	bool IsValid() const { return left <= right && top <= bottom; }

	// Moves the left-top corner to (x, y), keeping the size.
	void OffsetTo(float x, float y)
		{ right += x - left; bottom += y - top; left = x; top = y; }
	void OffsetTo(BPoint point) { OffsetTo(point.x, point.y); }
	void OffsetBy(float dx, float dy)
		{ left += dx; right += dx; top += dy; bottom += dy; }
	void OffsetBy(BPoint delta) { OffsetBy(delta.x, delta.y); }
	BRect OffsetToCopy(float x, float y) const
		{ BRect copy(*this); copy.OffsetTo(x, y); return copy; }
	BRect OffsetByCopy(float dx, float dy) const
		{ BRect copy(*this); copy.OffsetBy(dx, dy); return copy; }

	// Adds dx, dy to left and top and subtracts them from right and bottom.
	void InsetBy(float dx, float dy)
		{ left += dx; top += dy; right -= dx; bottom -= dy; }
	BRect InsetByCopy(float dx, float dy) const
		{ BRect copy(*this); copy.InsetBy(dx, dy); return copy; }

	bool Contains(BPoint point) const
		{ return point.x >= left && point.x <= right
			&& point.y >= top && point.y <= bottom; }
	bool Contains(BRect rect) const
		{ return rect.left >= left && rect.right <= right
			&& rect.top >= top && rect.bottom <= bottom; }
	bool Intersects(BRect rect) const
		{ return IsValid() && rect.IsValid() && left <= rect.right
			&& right >= rect.left && top <= rect.bottom
			&& bottom >= rect.top; }

	// The smallest rectangle holding both (no special case for invalid ones).
	BRect operator|(BRect other) const
		{ return BRect(left < other.left ? left : other.left,
			top < other.top ? top : other.top,
			right > other.right ? right : other.right,
			bottom > other.bottom ? bottom : other.bottom); }
	// The overlap of both (no special case for invalid ones).
	BRect operator&(BRect other) const
		{ return BRect(left > other.left ? left : other.left,
			top > other.top ? top : other.top,
			right < other.right ? right : other.right,
			bottom < other.bottom ? bottom : other.bottom); }

	bool operator==(BRect other) const
		{ return left == other.left && top == other.top
			&& right == other.right && bottom == other.bottom; }
	bool operator!=(BRect other) const { return !(*this == other); }
};

#endif	// _RECT_H
