// Integer geometry of the toolkit: client pixels, right and bottom edges
// exclusive (a Rect of 0,0,10,10 covers 100 pixels), as Win32's RECT.
#pragma once

#include <algorithm>
#include <cstdint>

namespace SkinUI {

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point& o) const { return x == o.x && y == o.y; }
  bool operator!=(const Point& o) const { return !(*this == o); }
};

struct Size {
  int cx = 0;
  int cy = 0;
};

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  Rect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
  // Inner rectangle after margins given as a Rect of widths (left, top,
  // right, bottom), as "inset", "padding" and "textpadding" are written.
  Rect Deflate(const Rect& m) const { return {left + m.left, top + m.top, right - m.right, bottom - m.bottom}; }
  Rect Intersect(const Rect& o) const {
    Rect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
    return r.IsEmpty() ? Rect{} : r;
  }
  // The smallest rectangle holding both; an empty side is ignored.
  Rect Union(const Rect& o) const {
    if (IsEmpty()) return o;
    if (o.IsEmpty()) return *this;
    return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right), std::max(bottom, o.bottom)};
  }
  bool operator==(const Rect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
  bool operator!=(const Rect& o) const { return !(*this == o); }
};

// The display's scale as dots per inch: 96 is 1x, and the toolkit draws at
// any value from 1x to 3x. Layouts write their lengths at 1x; on the screen
// a length is length * dpi / 96 rounded half away from zero, in integers
// alone, so every build of the product (x87 or SSE, 32 or 64 bits) puts
// every edge on the same pixel.
constexpr int kBaseDpi = 96;
constexpr int kMaxDpi = 3 * kBaseDpi;

// Out-of-range and unknown (non-positive) values become the nearest scale
// the toolkit draws.
inline int ClampDpi(int dpi) { return dpi <= kBaseDpi ? kBaseDpi : std::min(dpi, kMaxDpi); }

// Saturates at int's range rather than wrapping.
inline int ScaleLength(int v, int dpi) {
  if (dpi == kBaseDpi) return v;
  const int64_t p = int64_t(v) * dpi;
  const int64_t r = p >= 0 ? (p + kBaseDpi / 2) / kBaseDpi : -((-p + kBaseDpi / 2) / kBaseDpi);
  return static_cast<int>(std::clamp<int64_t>(r, INT32_MIN, INT32_MAX));
}
// The smallest 1x length that scales to at least px: what a measured
// on-screen extent (a text's width) asks of a layout written at 1x.
inline int UnscaleLengthUp(int px, int dpi) {
  if (dpi == kBaseDpi || px <= 0) return px;
  int v = static_cast<int>(int64_t(px) * kBaseDpi / dpi);
  while (ScaleLength(v, dpi) < px) ++v;  // at most two steps
  return v;
}
// A line the system draws one pixel wide at 1x (a caret, a list's frame):
// one pixel per whole step of the scale, so it stays crisp between steps.
inline int HairlineWidth(int dpi) { return std::max(1, dpi / kBaseDpi); }
inline Size ScaleSize(Size s, int dpi) { return {ScaleLength(s.cx, dpi), ScaleLength(s.cy, dpi)}; }
// Edge by edge, so rectangles that touch at 1x still touch.
inline Rect ScaleRect(const Rect& r, int dpi) {
  return {ScaleLength(r.left, dpi), ScaleLength(r.top, dpi), ScaleLength(r.right, dpi), ScaleLength(r.bottom, dpi)};
}

}  // namespace SkinUI
