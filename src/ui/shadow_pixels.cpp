#include "ui/shadow_pixels.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "utils/whole_number.h"

bool CShadowParams::SetSize(int size) {
  if (size < -20 || size > 20) return false;
  size_ = static_cast<int8_t>(size);
  return true;
}

bool CShadowParams::SetSharpness(int sharpness) {
  if (sharpness < 0 || sharpness > 20) return false;
  sharpness_ = static_cast<uint8_t>(sharpness);
  return true;
}

bool CShadowParams::SetDarkness(int darkness) {
  if (darkness < 0 || darkness > 255) return false;
  darkness_ = static_cast<uint8_t>(darkness);
  return true;
}

bool CShadowParams::SetPosition(int x, int y) {
  if (x < -20 || x > 20 || y < -20 || y > 20) return false;
  xOffset_ = static_cast<int8_t>(x);
  yOffset_ = static_cast<int8_t>(y);
  return true;
}

namespace {

struct Span {
  int start;
  int end;  // exclusive
  bool Empty() const { return end <= start; }
};

// Empty spans take part in the erosion like space outside the shape: their
// start is past every column and their end before every column, so a row
// next to an empty row becomes empty too.
constexpr Span kEmpty = {INT_MAX / 4, INT_MIN / 4};

SkinUI::Argb ShadowPixel(uint32_t colorref, int alpha) {
  const uint32_t a = static_cast<uint32_t>(std::clamp(alpha, 0, 255));
  const uint32_t r = (colorref & 0xFF) * a / 255;
  const uint32_t g = ((colorref >> 8) & 0xFF) * a / 255;
  const uint32_t b = ((colorref >> 16) & 0xFF) * a / 255;
  return (a << 24) | (r << 16) | (g << 8) | b;
}

}  // namespace

SkinUI::Bitmap ComputeShadow(const std::vector<RegionRow>& rows, int width, const CShadowParams& p) {
  SkinUI::Bitmap out;
  const int height = static_cast<int>(rows.size());
  const int size = p.size();
  out.width = width + 2 * size;
  out.height = height + 2 * size;
  if (out.width <= 0 || out.height <= 0) {
    out.width = out.height = 0;
    return out;
  }
  out.pixels.assign(static_cast<size_t>(out.width) * out.height, 0);

  // 1. Outline: spans[i] is shadow row i - 1; one empty sentinel at each end.
  std::vector<Span> spans;
  spans.reserve(static_cast<size_t>(out.height) + 2);
  spans.push_back(kEmpty);
  for (int i = 0; i < size; ++i) spans.push_back(kEmpty);
  for (const RegionRow& r : rows) {
    spans.push_back(r.Empty() ? kEmpty : Span{r.first + size, r.last + 1 + size});
  }
  for (int i = 0; i < size; ++i) spans.push_back(kEmpty);
  spans.push_back(kEmpty);
  // A negative size shrinks the bitmap below the window: the rows that fall
  // outside it are dropped from the top and the bottom alike.
  if (size < 0) {
    const size_t drop = static_cast<size_t>(-size);
    if (spans.size() > 2 + 2 * drop) {
      spans.erase(spans.begin() + 1, spans.begin() + 1 + drop);
      spans.erase(spans.end() - 1 - drop, spans.end() - 1);
    }
  }
  spans.resize(static_cast<size_t>(out.height) + 2, kEmpty);
  spans.back() = kEmpty;

  // 2. Erosion.
  for (int pass = 0; pass < p.sharpness() - size; ++pass) {
    std::vector<Span> next(spans.size(), kEmpty);
    for (size_t i = 1; i + 1 < spans.size(); ++i) {
      const int start = std::max({spans[i - 1].start, spans[i].start, spans[i + 1].start}) + 1;
      const int end = std::min({spans[i - 1].end, spans[i].end, spans[i + 1].end}) - 1;
      next[i] = start < end ? Span{start, end} : kEmpty;
    }
    spans.swap(next);
  }

  // 3. Kernel.
  const int radius = std::max(size, static_cast<int>(p.sharpness()));
  const int centre = std::max(size - p.sharpness(), 0);
  const int side = 2 * radius + 1;
  std::vector<SkinUI::Argb> kernel(static_cast<size_t>(side) * side, 0);
  for (int ky = 0; ky < side; ++ky) {
    for (int kx = 0; kx < side; ++kx) {
      // The square root of a whole number is correctly rounded on every
      // target, where hypot is only as exact as each C library makes it.
      const int dx = kx - radius, dy = ky - radius;
      const double d = std::sqrt(static_cast<double>(dx * dx + dy * dy));
      int alpha = 0;
      if (d < centre) {
        alpha = p.darkness();
      } else if (d <= radius) {
        const double v = (1.0 - (d - centre) / (p.sharpness() + 1)) * p.darkness();
        alpha = v > 0 ? Utils::TruncatedTo<int>(v) : 0;
      }
      kernel[static_cast<size_t>(ky) * side + kx] = ShadowPixel(p.color(), alpha);
    }
  }

  // Stamps are clipped to the bitmap: with a sharpness larger than the
  // size the kernel reaches past the bitmap's edges.
  auto stamp = [&](int cx, int cy) {
    for (int ky = 0; ky < side; ++ky) {
      const int y = cy + ky - radius;
      if (y < 0 || y >= out.height) continue;
      SkinUI::Argb* row = &out.pixels[static_cast<size_t>(y) * out.width];
      const SkinUI::Argb* krow = &kernel[static_cast<size_t>(ky) * side];
      const int kx0 = std::max(0, radius - cx);
      const int kx1 = std::min(side, out.width - cx + radius);
      for (int kx = kx0; kx < kx1; ++kx) {
        SkinUI::Argb& px = row[cx + kx - radius];
        px = std::max(px, krow[kx]);
      }
    }
  };

  // 4. Blur along both ends of every span.
  for (int y = 0; y < out.height; ++y) {
    const Span& s = spans[static_cast<size_t>(y) + 1];
    if (s.Empty()) continue;
    const Span& up = spans[static_cast<size_t>(y)];
    const Span& down = spans[static_cast<size_t>(y) + 2];
    const int leftEnd = std::min(std::max(up.start, down.start) + 1, s.end);
    for (int x = s.start; x < leftEnd; ++x) stamp(x, y);
    const int rightStart = std::max(std::min(up.end, down.end) - 1, s.start);
    for (int x = rightStart; x < s.end; ++x) stamp(x, y);
  }

  // 5. Fill the spans; nothing behind the window itself.
  const SkinUI::Argb full = ShadowPixel(p.color(), p.darkness());
  const int windowLeft = size - p.xOffset();
  const int windowTop = size - p.yOffset();
  for (int y = 0; y < out.height; ++y) {
    const Span& s = spans[static_cast<size_t>(y) + 1];
    SkinUI::Argb* row = &out.pixels[static_cast<size_t>(y) * out.width];
    if (!s.Empty()) {
      std::fill(row + std::max(s.start, 0), row + std::min(s.end, out.width), full);
    }
    const int wy = y - windowTop;
    if (wy >= 0 && wy < height && !rows[wy].Empty()) {
      const int from = std::max(rows[wy].first + windowLeft, 0);
      const int to = std::min(rows[wy].last + 1 + windowLeft, out.width);
      if (from < to) std::fill(row + from, row + to, 0);
    }
  }
  return out;
}
