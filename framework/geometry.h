// Plain geometry of the framework: points, sizes, rectangles and four-sided edges, in whole
// pixels or whole design units (1/96 inch) depending on where they are held. Layout attributes
// are stored in design units and become pixels in one place (dpi.h) when a window arranges.
#pragma once

#include <algorithm>
#include <cstdint>

namespace qv::framework {

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(Point a, Point b) { return a.x == b.x && a.y == b.y; }
};

struct Size {
  int cx = 0;
  int cy = 0;
  friend bool operator==(Size a, Size b) { return a.cx == b.cx && a.cy == b.cy; }
  friend bool operator!=(Size a, Size b) { return !(a == b); }
};

// Left, top, right and bottom amounts: margins, paddings, insets, nine-grid corners.
struct Edges {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  friend bool operator==(const Edges& a, const Edges& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  }
};

// A half-open rectangle [left, right) x [top, bottom). An empty one has right <= left or
// bottom <= top; width() and height() never go below zero.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  static Rect fromSize(int x, int y, int cx, int cy) { return Rect{x, y, x + cx, y + cy}; }

  int width() const { return right > left ? right - left : 0; }
  int height() const { return bottom > top ? bottom - top : 0; }
  bool empty() const { return right <= left || bottom <= top; }
  bool contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }

  Rect deflated(const Edges& e) const {
    Rect r{left + e.left, top + e.top, right - e.right, bottom - e.bottom};
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
  }
  Rect offset(int dx, int dy) const { return Rect{left + dx, top + dy, right + dx, bottom + dy}; }
  Rect intersect(const Rect& o) const {
    Rect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
           std::min(bottom, o.bottom)};
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
  }
  friend bool operator==(const Rect& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  }
  friend bool operator!=(const Rect& a, const Rect& b) { return !(a == b); }
};

// 0xAARRGGBB, as the layouts write it ("#FF495867"). Alpha 0 means "not set" for the colour
// attributes that fall back to a window default.
using Color = std::uint32_t;

}  // namespace qv::framework
