#include "uikit/image_draw.h"

#include <algorithm>
#include <cstdint>

namespace SkinUI {
namespace {

bool AllZero(const Rect& r) { return r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0; }

// Markup can write any integer; offsets saturate rather than overflow.
int AddClamped(int a, int b) {
  const int64_t v = int64_t(a) + b;
  return static_cast<int>(std::clamp<int64_t>(v, -(int64_t(1) << 29), int64_t(1) << 29));
}
Rect OffsetClamped(const Rect& r, int dx, int dy) {
  return {AddClamped(r.left, dx), AddClamped(r.top, dy), AddClamped(r.right, dx), AddClamped(r.bottom, dy)};
}

// A copy of the source part with the mask colour made transparent; the
// mask compares the straight colour, so a half-transparent pixel of the
// mask colour goes as well.
Bitmap MaskedCopy(const Bitmap& image, const Rect& src, uint32_t mask) {
  Bitmap out;
  out.width = src.Width();
  out.height = src.Height();
  out.pixels.resize(static_cast<size_t>(out.width) * out.height);
  const uint32_t key = mask & 0x00FFFFFF;
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) {
      const Argb p = image.At(src.left + x, src.top + y);
      const bool hit = (p >> 24) != 0 && (Unpremultiply(p) & 0x00FFFFFF) == key;
      out.pixels[static_cast<size_t>(y) * out.width + x] = hit ? 0 : p;
    }
  }
  return out;
}

// One piece: src stretched onto dest, or repeated along the axes that tile
// (stretched along the others) at tile's size, its own at the scale.
void DrawPart(Surface& s, const Bitmap& img, const Rect& src, const Rect& dest, int alpha, bool tileX,
              bool tileY, Size tile, ScaleFilter filter) {
  if (src.IsEmpty() || dest.IsEmpty()) return;
  if (!tileX && !tileY) {
    s.BlendScaled(img, src, dest, alpha, filter);
    return;
  }
  ClipScope clip(s, dest);
  if (s.Clip().IsEmpty()) return;
  const int stepX = tileX ? std::max(1, tile.cx) : dest.Width();
  const int stepY = tileY ? std::max(1, tile.cy) : dest.Height();
  const Rect c = s.Clip();
  // Start at the first tile that reaches the clip; tiles are anchored at dest.
  const int firstX = dest.left + (c.left - dest.left) / stepX * stepX;
  const int firstY = dest.top + (c.top - dest.top) / stepY * stepY;
  for (int y = firstY; y < c.bottom; y += stepY) {
    for (int x = firstX; x < c.right; x += stepX) {
      s.BlendScaled(img, src, {x, y, x + stepX, y + stepY}, alpha, filter);
    }
  }
}

Rect Times(const Rect& r, int k) { return {r.left * k, r.top * k, r.right * k, r.bottom * k}; }

// Splits [a, b) into three with end widths e0, e1, shrunk in proportion when
// they do not fit.
void Split(int a, int b, int e0, int e1, int out[4]) {
  const int64_t len = std::max<int64_t>(int64_t(b) - a, 0);
  const int64_t sum = int64_t(e0) + e1;
  if (sum > len) {
    e0 = static_cast<int>(int64_t(e0) * len / sum);
    e1 = static_cast<int>(len - e0);
  }
  out[0] = a;
  out[1] = a + e0;
  out[2] = b - e1;
  out[3] = b;
}

}  // namespace

void DrawImage(Surface& surface, const Bitmap& image, const ImageDescriptor& desc, Rect controlRect,
               ImageScale scale) {
  DrawImage(surface, &image, desc, controlRect, scale);
}

void DrawImage(Surface& surface, const Bitmap* image, const ImageDescriptor& desc, Rect controlRect,
               ImageScale scale) {
  const int fade = std::clamp(desc.fade, 0, 255);
  if (fade == 0 || controlRect.IsEmpty()) return;
  const int dpi = ClampDpi(scale.dpi);
  const int art = std::clamp(scale.art, 1, 8);
  const Rect dest =
      AllZero(desc.dest) ? controlRect : OffsetClamped(ScaleRect(desc.dest, dpi), controlRect.left, controlRect.top);
  if (dest.IsEmpty()) return;
  ClipScope clip(surface, controlRect);

  if (desc.hasColor) {
    const uint32_t a = ((desc.color >> 24) * fade + 127) / 255;
    surface.FillRect(dest, (a << 24) | (desc.color & 0x00FFFFFF));
    return;
  }
  if (!image || image->IsEmpty()) return;

  const Rect bounds{0, 0, image->width, image->height};
  Rect src = AllZero(desc.source) ? bounds : Times(desc.source.Intersect(Rect{0, 0, 1 << 24, 1 << 24}), art).Intersect(bounds);
  if (src.IsEmpty()) return;

  const Bitmap* img = image;
  Bitmap masked;
  if (desc.hasMask) {
    masked = MaskedCopy(*image, src, desc.mask);
    img = &masked;
    src = {0, 0, masked.width, masked.height};
  }

  // Art drawn at the display's own scale is copied; anything else resampled.
  const bool scaled = dpi != kBaseDpi || art != 1;
  const ScaleFilter filter = scaled ? ScaleFilter::kArea : ScaleFilter::kBilinear;
  // A tile is its 1x size on the screen at the scale.
  auto tileOf = [&](const Rect& part) {
    return Size{ScaleLength((part.Width() + art - 1) / art, dpi), ScaleLength((part.Height() + art - 1) / art, dpi)};
  };
  const Rect& k = desc.corner;
  if (AllZero(k)) {
    DrawPart(surface, *img, src, dest, fade, desc.xtiled, desc.ytiled, tileOf(src), filter);
    return;
  }
  auto corner = [](int v) { return std::max(v, 0); };
  int sx[4], sy[4], dx[4], dy[4];
  Split(src.left, src.right, corner(k.left) * art, corner(k.right) * art, sx);
  Split(src.top, src.bottom, corner(k.top) * art, corner(k.bottom) * art, sy);
  // On the screen the corners keep their 1x widths at the scale, in
  // proportion to what the image could give.
  auto screen = [&](int srcWidth) { return scaled ? ScaleLength((srcWidth + art / 2) / art, dpi) : srcWidth; };
  Split(dest.left, dest.right, screen(sx[1] - sx[0]), screen(sx[3] - sx[2]), dx);
  Split(dest.top, dest.bottom, screen(sy[1] - sy[0]), screen(sy[3] - sy[2]), dy);
  for (int j = 0; j < 3; ++j) {
    for (int i = 0; i < 3; ++i) {
      if (desc.hole && i == 1 && j == 1) continue;
      const Rect part{sx[i], sy[j], sx[i + 1], sy[j + 1]};
      DrawPart(surface, *img, part, {dx[i], dy[j], dx[i + 1], dy[j + 1]}, fade, desc.xtiled && i == 1,
               desc.ytiled && j == 1, tileOf(part), filter);
    }
  }
}

}  // namespace SkinUI
