// The pixels of a frame window's drop shadow, computed from the window's
// outline alone, so both targets (and the tests) get the same shadow without
// a window: the platform layer only scans the window's region into row spans
// and pushes the bitmap to its layered popup.
#pragma once

#include <cstdint>
#include <vector>

#include "uikit/bitmap.h"
#include "uikit/geometry.h"
#include "uikit/region_rows.h"

using SkinUI::RegionRow;
using SkinUI::RoundRectRows;

// The shadow's settings, with the ranges its setters accept; a setter given
// a value out of range returns false and changes nothing.
class CShadowParams {
 public:
  bool SetSize(int size);            // -20..20: extent beyond the window on every side
  bool SetSharpness(int sharpness);  // 0..20: width of the blurred edge
  bool SetDarkness(int darkness);    // 0..255: alpha of the darkest pixel
  bool SetPosition(int x, int y);    // -20..20 each: shift relative to the window
  void SetColor(uint32_t colorref) { color_ = colorref & 0xFFFFFF; }  // red in the low byte

  // The setters take the layout's 1x values, checked against the ranges
  // above; the lengths come back in pixels at the window's scale.
  void SetDpi(int dpi) { dpi_ = SkinUI::ClampDpi(dpi); }
  int size() const { return SkinUI::ScaleLength(size_, dpi_); }
  int sharpness() const { return SkinUI::ScaleLength(sharpness_, dpi_); }
  int darkness() const { return darkness_; }
  int xOffset() const { return SkinUI::ScaleLength(xOffset_, dpi_); }
  int yOffset() const { return SkinUI::ScaleLength(yOffset_, dpi_); }
  uint32_t color() const { return color_; }

 private:
  int8_t size_ = 0;
  uint8_t sharpness_ = 5;
  uint8_t darkness_ = 150;
  int8_t xOffset_ = 5;
  int8_t yOffset_ = 5;
  uint32_t color_ = 0;
  int dpi_ = SkinUI::kBaseDpi;
};

// The shadow bitmap for a window of `width` x rows.size() pixels whose region
// rows are `rows` (an all-empty list for a window without region gives an
// empty shadow), premultiplied ARGB, top-down, (width + 2 size) x
// (height + 2 size). Empty when that size is not positive.
SkinUI::Bitmap ComputeShadow(const std::vector<RegionRow>& rows, int width, const CShadowParams& params);

// Where the shadow goes for a window whose top-left corner is at (left, top).
inline int ShadowLeft(int left, const CShadowParams& p) { return left + p.xOffset() - p.size(); }
inline int ShadowTop(int top, const CShadowParams& p) { return top + p.yOffset() - p.size(); }
