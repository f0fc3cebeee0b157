// The one pixel format of the toolkit: 32-bit ARGB (0xAARRGGBB in a
// uint32_t), premultiplied, rows top-down, no padding between rows. Decoded
// images, glyph-composited pages and window back buffers all use it, so both
// targets paint the same pixels.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace SkinUI {

using Argb = uint32_t;

struct Bitmap {
  int width = 0;
  int height = 0;
  std::vector<Argb> pixels;  // width * height, premultiplied

  bool IsEmpty() const { return width <= 0 || height <= 0; }
  Argb At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Straight (as written in markup, "#AARRGGBB") to premultiplied and back;
// channel * alpha / 255 with rounding, so 0xFF.. colours are unchanged.
inline Argb Premultiply(Argb c) {
  const uint32_t a = c >> 24;
  if (a == 255) return c;
  auto mul = [a](uint32_t v) { return (v * a + 127) / 255; };
  return (a << 24) | (mul((c >> 16) & 0xFF) << 16) | (mul((c >> 8) & 0xFF) << 8) | mul(c & 0xFF);
}

inline Argb Unpremultiply(Argb c) {
  const uint32_t a = c >> 24;
  if (a == 255 || a == 0) return a == 0 ? 0 : c;
  auto div = [a](uint32_t v) { return std::min<uint32_t>(255, (v * 255 + a / 2) / a); };
  return (a << 24) | (div((c >> 16) & 0xFF) << 16) | (div((c >> 8) & 0xFF) << 8) | div(c & 0xFF);
}

}  // namespace SkinUI
