// The one drawing target of the toolkit: a view of premultiplied ARGB
// pixels (a Bitmap or a window's back buffer) with a stack of clip
// rectangles. Every control paints through it, so both targets produce the
// same pixels and a page can be rendered without a window.
//
// Colours given to Fill*/DrawBorder/BlendCoverage are straight ARGB as the
// markup writes them ("#AARRGGBB"); bitmaps are premultiplied. All drawing is
// source-over and limited to the current clip. A Surface does not own its
// pixels; one thread at a time.
#pragma once

#include <cstdint>
#include <vector>

#include "uikit/bitmap.h"
#include "uikit/geometry.h"

namespace SkinUI {

// kArea averages every source pixel a destination pixel covers, weighted by
// how much of it is covered: the filter for art drawn above the display's
// scale, which bilinear sampling would alias. It enlarges as kBilinear.
enum class ScaleFilter { kNearest, kBilinear, kArea };

class Surface {
 public:
  // stride: distance between rows, in pixels (>= width).
  Surface(Argb* pixels, int width, int height, int stride);
  explicit Surface(Bitmap& target);

  int Width() const { return width_; }
  int Height() const { return height_; }
  int Stride() const { return stride_; }
  Argb* Row(int y) { return pixels_ + static_cast<size_t>(y) * stride_; }
  const Argb* Row(int y) const { return pixels_ + static_cast<size_t>(y) * stride_; }
  Argb Pixel(int x, int y) const { return Row(y)[x]; }

  // The clip is the surface bounds intersected with every pushed rectangle.
  void PushClip(const Rect& r);
  void PopClip();  // popping an empty stack does nothing
  const Rect& Clip() const { return clip_; }

  // Replaces (does not blend) every pixel of rect ∩ clip with a
  // premultiplied value; Clear(0) makes it transparent.
  void Clear(Argb premultiplied = 0);
  void ClearRect(const Rect& r, Argb premultiplied);

  void FillRect(const Rect& r, Argb straight);
  // Corners are quarter ellipses of round.cx by round.cy ("borderround"),
  // their edges anti-aliased. A zero round is FillRect.
  void FillRoundRect(const Rect& r, Size round, Argb straight);
  // A frame of `size` pixels inside r; with a round it follows the rounded
  // outline (outer edge r, inner edge r deflated by size), anti-aliased.
  void DrawBorder(const Rect& r, int size, Argb straight, Size round = {});

  // Source-over of src's srcRect (clipped to src) at dest, scaled by alpha
  // (0..255); rows of opaque source at full alpha are copied.
  void BlendBitmap(const Bitmap& src, const Rect& srcRect, Point dest, int alpha = 255);
  // srcRect of src stretched onto destRect. Bilinear samples pixel centres
  // and never reads outside srcRect, so nine-part pieces do not bleed into
  // each other; a 1:1 scale is an exact copy.
  void BlendScaled(const Bitmap& src, const Rect& srcRect, const Rect& destRect, int alpha = 255,
                   ScaleFilter filter = ScaleFilter::kBilinear);
  // An 8-bit coverage mask (glyphs, anti-aliased shapes) painted in a colour.
  void BlendCoverage(const uint8_t* coverage, int width, int height, int stride, Point dest,
                     Argb straight);

 private:
  Argb* pixels_;
  int width_;
  int height_;
  int stride_;
  Rect clip_;
  std::vector<Rect> clipStack_;
};

// Pushes a clip for the lifetime of the scope.
class ClipScope {
 public:
  ClipScope(Surface& s, const Rect& r) : s_(s) { s_.PushClip(r); }
  ~ClipScope() { s_.PopClip(); }
  ClipScope(const ClipScope&) = delete;
  ClipScope& operator=(const ClipScope&) = delete;

 private:
  Surface& s_;
};

// Premultiplied source-over of one pixel; the one blend rule of the toolkit.
inline uint32_t Div255(uint32_t v) { return (v + 128 + ((v + 128) >> 8)) >> 8; }
inline Argb BlendOver(Argb dst, Argb src) {
  const uint32_t sa = src >> 24;
  if (sa == 255) return src;
  if (sa == 0) return dst;
  const uint32_t inv = 255 - sa;
  const uint32_t rb = (dst & 0x00FF00FF) * inv + 0x00800080;
  const uint32_t ag = ((dst >> 8) & 0x00FF00FF) * inv + 0x00800080;
  const uint32_t rb2 = ((rb + ((rb >> 8) & 0x00FF00FF)) >> 8) & 0x00FF00FF;
  const uint32_t ag2 = (ag + ((ag >> 8) & 0x00FF00FF)) & 0xFF00FF00;
  return src + (rb2 | ag2);
}
// A premultiplied pixel scaled by alpha 0..255.
inline Argb ScaleAlpha(Argb c, uint32_t alpha) {
  if (alpha >= 255) return c;
  const uint32_t rb = (c & 0x00FF00FF) * alpha + 0x00800080;
  const uint32_t ag = ((c >> 8) & 0x00FF00FF) * alpha + 0x00800080;
  return (((rb + ((rb >> 8) & 0x00FF00FF)) >> 8) & 0x00FF00FF) | ((ag + ((ag >> 8) & 0x00FF00FF)) & 0xFF00FF00);
}

}  // namespace SkinUI
