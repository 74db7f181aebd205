// The framework's window-coordinate values: POINT, SIZE and RECT, and their classes CPoint, CSize
// and CRect. Coordinates are signed 32-bit integers; y grows downward. A rectangle includes its
// left and top edges and excludes its right and bottom edges. Header-only value types.
#ifndef LUMOTOOLS_PLATFORM_POINT_RECT_H_
#define LUMOTOOLS_PLATFORM_POINT_RECT_H_

#include "lumotools/platform/types.h"

struct POINT {
  LONG x;
  LONG y;
};

struct SIZE {
  LONG cx;
  LONG cy;
};

struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};

class CSize : public SIZE {
 public:
  CSize() : SIZE{0, 0} {}
  CSize(int cx_, int cy_) : SIZE{cx_, cy_} {}

  bool operator==(const SIZE& o) const { return cx == o.cx && cy == o.cy; }
  bool operator!=(const SIZE& o) const { return !(*this == o); }
};

class CPoint : public POINT {
 public:
  CPoint() : POINT{0, 0} {}
  CPoint(int x_, int y_) : POINT{x_, y_} {}
  CPoint(const POINT& p) : POINT(p) {}  // NOLINT: the framework converts implicitly

  void Offset(int dx, int dy) {
    x += dx;
    y += dy;
  }
  bool operator==(const POINT& o) const { return x == o.x && y == o.y; }
  bool operator!=(const POINT& o) const { return !(*this == o); }
  CPoint operator+(const SIZE& s) const { return CPoint(x + s.cx, y + s.cy); }
  CPoint operator-(const SIZE& s) const { return CPoint(x - s.cx, y - s.cy); }
  CSize operator-(const POINT& o) const { return CSize(x - o.x, y - o.y); }
  CPoint& operator+=(const SIZE& s) { return *this = *this + s; }
  CPoint& operator-=(const SIZE& s) { return *this = *this - s; }
};

class CRect : public RECT {
 public:
  CRect() : RECT{0, 0, 0, 0} {}
  CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
  CRect(const RECT& r) : RECT(r) {}  // NOLINT: the framework converts implicitly
  CRect(const POINT& topLeft, const POINT& bottomRight)
      : RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y} {}
  CRect(const POINT& topLeft, const SIZE& size)
      : RECT{topLeft.x, topLeft.y, topLeft.x + size.cx, topLeft.y + size.cy} {}

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  CSize Size() const { return CSize(Width(), Height()); }
  CPoint TopLeft() const { return CPoint(left, top); }
  CPoint BottomRight() const { return CPoint(right, bottom); }
  // The midpoint, halves truncated toward zero.
  CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }
  // True when the width or the height is not positive.
  bool IsRectEmpty() const { return right <= left || bottom <= top; }
  bool IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
  // Left and top edges inside, right and bottom edges outside.
  bool PtInRect(const POINT& p) const {
    return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
  }
  void SetRect(int l, int t, int r, int b) { *this = CRect(l, t, r, b); }
  void SetRectEmpty() { *this = CRect(); }
  void OffsetRect(int dx, int dy) {
    left += dx;
    right += dx;
    top += dy;
    bottom += dy;
  }
  void InflateRect(int dx, int dy) {
    left -= dx;
    right += dx;
    top -= dy;
    bottom += dy;
  }
  // Swaps edges so that left <= right and top <= bottom.
  void NormalizeRect() {
    if (left > right) {
      const LONG t = left;
      left = right;
      right = t;
    }
    if (top > bottom) {
      const LONG t = top;
      top = bottom;
      bottom = t;
    }
  }

  bool operator==(const RECT& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
  bool operator!=(const RECT& o) const { return !(*this == o); }
};

#endif  // LUMOTOOLS_PLATFORM_POINT_RECT_H_
