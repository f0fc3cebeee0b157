#include "uikit/surface.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace SkinUI {
namespace {

// A rounded rectangle in pixel coordinates; corners are quarter ellipses
// with radii rx, ry (zero: square corners).
struct RoundShape {
  double l, t, r, b, rx, ry;

  bool Inside(double x, double y) const {
    if (x < l || x >= r || y < t || y >= b) return false;
    if (rx <= 0 || ry <= 0) return true;
    double cx, cy;
    if (x < l + rx) cx = l + rx;
    else if (x >= r - rx) cx = r - rx;
    else return true;
    if (y < t + ry) cy = t + ry;
    else if (y >= b - ry) cy = b - ry;
    else return true;
    const double dx = (x - cx) / rx, dy = (y - cy) / ry;
    return dx * dx + dy * dy <= 1.0;
  }
  // True when the pixel lies where the outline is straight (no sampling).
  bool InCornerBox(int px, int py) const {
    if (rx <= 0 || ry <= 0) return false;
    const bool inX = px < l + rx || px + 1 > r - rx;
    const bool inY = py < t + ry || py + 1 > b - ry;
    return inX && inY;
  }
};

constexpr int kSamples = 4;  // per axis: 16 samples, 17 coverage levels

RoundShape MakeShape(const Rect& r, Size round) {
  const double rx = std::min(std::max(round.cx, 0) / 2.0, r.Width() / 2.0);
  const double ry = std::min(std::max(round.cy, 0) / 2.0, r.Height() / 2.0);
  return {double(r.left), double(r.top), double(r.right), double(r.bottom), rx, ry};
}

// Coverage 0..255 of pixel (px, py) by `outer` minus `inner` (inner may be
// null: the whole outer shape).
uint32_t Coverage(const RoundShape& outer, const RoundShape* inner, int px, int py) {
  const bool sampleOuter = outer.InCornerBox(px, py);
  const bool sampleInner = inner && inner->InCornerBox(px, py);
  if (!sampleOuter && !sampleInner) {
    const double cx = px + 0.5, cy = py + 0.5;
    const bool in = outer.Inside(cx, cy) && !(inner && inner->Inside(cx, cy));
    return in ? 255 : 0;
  }
  int hits = 0;
  for (int j = 0; j < kSamples; ++j) {
    const double y = py + (j + 0.5) / kSamples;
    for (int i = 0; i < kSamples; ++i) {
      const double x = px + (i + 0.5) / kSamples;
      if (outer.Inside(x, y) && !(inner && inner->Inside(x, y))) ++hits;
    }
  }
  return (hits * 255 + kSamples * kSamples / 2) / (kSamples * kSamples);
}

inline void BlendSpan(Argb* d, int n, Argb c) {
  if ((c >> 24) == 255) {
    std::fill(d, d + n, c);
  } else if (c >> 24) {
    for (int i = 0; i < n; ++i) d[i] = BlendOver(d[i], c);
  }
}

inline Argb Lerp(Argb a, Argb b, uint32_t w) {  // w in 0..256
  const uint32_t iw = 256 - w;
  const uint32_t rb = (((a & 0x00FF00FF) * iw + (b & 0x00FF00FF) * w) >> 8) & 0x00FF00FF;
  const uint32_t ag = (((a >> 8) & 0x00FF00FF) * iw + ((b >> 8) & 0x00FF00FF) * w) & 0xFF00FF00;
  return rb | ag;
}

}  // namespace

Surface::Surface(Argb* pixels, int width, int height, int stride)
    : pixels_(pixels), width_(std::max(width, 0)), height_(std::max(height, 0)), stride_(stride),
      clip_{0, 0, width_, height_} {}

Surface::Surface(Bitmap& target) : Surface(target.pixels.data(), target.width, target.height, target.width) {}

void Surface::PushClip(const Rect& r) {
  clipStack_.push_back(clip_);
  clip_ = clip_.Intersect(r);
}

void Surface::PopClip() {
  if (clipStack_.empty()) return;
  clip_ = clipStack_.back();
  clipStack_.pop_back();
}

void Surface::Clear(Argb premultiplied) { ClearRect(clip_, premultiplied); }

void Surface::ClearRect(const Rect& r, Argb premultiplied) {
  const Rect c = r.Intersect(clip_);
  for (int y = c.top; y < c.bottom; ++y) std::fill(Row(y) + c.left, Row(y) + c.right, premultiplied);
}

void Surface::FillRect(const Rect& r, Argb straight) {
  const Argb c = Premultiply(straight);
  if ((c >> 24) == 0) return;
  const Rect k = r.Intersect(clip_);
  for (int y = k.top; y < k.bottom; ++y) BlendSpan(Row(y) + k.left, k.Width(), c);
}

void Surface::FillRoundRect(const Rect& r, Size round, Argb straight) {
  const RoundShape shape = MakeShape(r, round);
  if (shape.rx <= 0 || shape.ry <= 0) {
    FillRect(r, straight);
    return;
  }
  const Argb c = Premultiply(straight);
  const Rect k = r.Intersect(clip_);
  const int bandTop = r.top + static_cast<int>(std::ceil(shape.ry));
  const int bandBottom = r.bottom - static_cast<int>(std::ceil(shape.ry));
  const int edgeL = r.left + static_cast<int>(std::ceil(shape.rx));
  const int edgeR = r.right - static_cast<int>(std::ceil(shape.rx));
  for (int y = k.top; y < k.bottom; ++y) {
    Argb* row = Row(y);
    if (y >= bandTop && y < bandBottom) {
      BlendSpan(row + k.left, k.Width(), c);
      continue;
    }
    const int midL = std::max(k.left, edgeL), midR = std::min(k.right, edgeR);
    for (int x = k.left; x < k.right; ++x) {
      if (x == midL && midR > midL) {
        BlendSpan(row + midL, midR - midL, c);
        x = midR - 1;
        continue;
      }
      const uint32_t cov = Coverage(shape, nullptr, x, y);
      if (cov) row[x] = BlendOver(row[x], ScaleAlpha(c, cov));
    }
  }
}

void Surface::DrawBorder(const Rect& r, int size, Argb straight, Size round) {
  if (size <= 0 || r.IsEmpty()) return;
  const RoundShape outer = MakeShape(r, round);
  if (outer.rx <= 0 || outer.ry <= 0 || size * 2 >= std::min(r.Width(), r.Height())) {
    if (outer.rx <= 0 || outer.ry <= 0) {
      const int s = std::min(size, std::min((r.Width() + 1) / 2, (r.Height() + 1) / 2));
      FillRect({r.left, r.top, r.right, r.top + s}, straight);
      FillRect({r.left, r.bottom - s, r.right, r.bottom}, straight);
      FillRect({r.left, r.top + s, r.left + s, r.bottom - s}, straight);
      FillRect({r.right - s, r.top + s, r.right, r.bottom - s}, straight);
    } else {
      FillRoundRect(r, round, straight);  // the frame is all there is
    }
    return;
  }
  const Rect in = r.Deflate({size, size, size, size});
  RoundShape inner = MakeShape(in, {std::max(round.cx - 2 * size, 0), std::max(round.cy - 2 * size, 0)});
  const Argb c = Premultiply(straight);
  const Rect k = r.Intersect(clip_);
  // Rows and columns beyond these bands of the frame hold no border pixel.
  const int band = size + static_cast<int>(std::ceil(std::max(outer.rx, outer.ry)));
  for (int y = k.top; y < k.bottom; ++y) {
    Argb* row = Row(y);
    const bool fullRow = y < r.top + band || y >= r.bottom - band;
    for (int x = k.left; x < k.right; ++x) {
      if (!fullRow && x == r.left + band && r.right - band > x) {
        x = std::min(k.right, r.right - band) - 1;
        continue;
      }
      const uint32_t cov = Coverage(outer, &inner, x, y);
      if (cov) row[x] = BlendOver(row[x], ScaleAlpha(c, cov));
    }
  }
}

void Surface::BlendBitmap(const Bitmap& src, const Rect& srcRect, Point dest, int alpha) {
  if (alpha <= 0 || src.IsEmpty()) return;
  const Rect s = srcRect.Intersect({0, 0, src.width, src.height});
  if (s.IsEmpty()) return;
  // Where the clipped source lands, clipped again by the clip.
  const int dx0 = dest.x + (s.left - srcRect.left), dy0 = dest.y + (s.top - srcRect.top);
  const Rect d = Rect{dx0, dy0, dx0 + s.Width(), dy0 + s.Height()}.Intersect(clip_);
  if (d.IsEmpty()) return;
  const int ox = s.left - dx0, oy = s.top - dy0;
  const int n = d.Width();
  for (int y = d.top; y < d.bottom; ++y) {
    const Argb* sp = src.pixels.data() + static_cast<size_t>(y + oy) * src.width + (d.left + ox);
    Argb* dp = Row(y) + d.left;
    if (alpha >= 255) {
      int opaque = 0;
      while (opaque < n && (sp[opaque] >> 24) == 255) ++opaque;
      if (opaque == n) {
        std::memcpy(dp, sp, sizeof(Argb) * n);
        continue;
      }
      std::memcpy(dp, sp, sizeof(Argb) * opaque);
      for (int i = opaque; i < n; ++i) dp[i] = BlendOver(dp[i], sp[i]);
    } else {
      for (int i = 0; i < n; ++i) dp[i] = BlendOver(dp[i], ScaleAlpha(sp[i], alpha));
    }
  }
}

namespace {

// For each destination pixel along one axis: the source pixels under its
// footprint and their weights, which sum to exactly 256.
struct AreaTaps {
  std::vector<int> first;     // per destination pixel: index into index/weight
  std::vector<int> index;     // source pixel (absolute)
  std::vector<uint32_t> weight;
};

AreaTaps MakeAreaTaps(int srcStart, int srcLen, int destStart, int destLen, int from, int to) {
  AreaTaps t;
  t.first.reserve(static_cast<size_t>(to - from) + 1);
  for (int d = from; d < to; ++d) {
    t.first.push_back(static_cast<int>(t.index.size()));
    // The footprint in 1/destLen source pixels: [i * srcLen, (i + 1) * srcLen).
    const int64_t i = d - destStart;
    const int64_t a = i * srcLen, b = (i + 1) * srcLen;
    const int64_t total = b - a;
    uint32_t given = 0;
    size_t heaviest = t.index.size();
    for (int64_t sp = a / destLen; sp * destLen < b && sp < srcLen; ++sp) {
      const int64_t lo = std::max(a, sp * destLen), hi = std::min(b, (sp + 1) * destLen);
      const uint32_t w = static_cast<uint32_t>((hi - lo) * 256 / total);
      if (w == 0) continue;
      if (t.index.size() == heaviest || w > t.weight[heaviest]) heaviest = t.index.size();
      t.index.push_back(srcStart + static_cast<int>(sp));
      t.weight.push_back(w);
      given += w;
    }
    // Truncation leaves the sum short by a few; the heaviest tap takes it.
    if (heaviest < t.index.size()) t.weight[heaviest] += 256 - given;
  }
  t.first.push_back(static_cast<int>(t.index.size()));
  return t;
}

}  // namespace

void Surface::BlendScaled(const Bitmap& src, const Rect& srcRect, const Rect& destRect, int alpha,
                          ScaleFilter filter) {
  if (alpha <= 0 || src.IsEmpty() || destRect.IsEmpty()) return;
  const Rect s = srcRect.Intersect({0, 0, src.width, src.height});
  if (s.IsEmpty()) return;
  if (s.Width() == destRect.Width() && s.Height() == destRect.Height()) {
    BlendBitmap(src, s, {destRect.left, destRect.top}, alpha);
    return;
  }
  const Rect d = destRect.Intersect(clip_);
  if (d.IsEmpty()) return;
  const int sw = s.Width(), sh = s.Height(), dw = destRect.Width(), dh = destRect.Height();
  const uint32_t a = static_cast<uint32_t>(std::min(alpha, 255));
  if (filter == ScaleFilter::kArea) {
    if (dw > sw || dh > sh) {
      filter = ScaleFilter::kBilinear;
    } else {
      const AreaTaps tx = MakeAreaTaps(s.left, sw, destRect.left, dw, d.left, d.right);
      const AreaTaps ty = MakeAreaTaps(s.top, sh, destRect.top, dh, d.top, d.bottom);
      for (int y = d.top; y < d.bottom; ++y) {
        const int yi = y - d.top;
        Argb* dp = Row(y) + d.left;
        for (int x = d.left; x < d.right; ++x) {
          const int xi = x - d.left;
          uint64_t acc[4] = {0, 0, 0, 0};
          for (int ky = ty.first[yi]; ky < ty.first[yi + 1]; ++ky) {
            const Argb* row = src.pixels.data() + static_cast<size_t>(ty.index[ky]) * src.width;
            for (int kx = tx.first[xi]; kx < tx.first[xi + 1]; ++kx) {
              const uint64_t w = uint64_t(ty.weight[ky]) * tx.weight[kx];
              const Argb p = row[tx.index[kx]];
              acc[0] += w * (p >> 24);
              acc[1] += w * ((p >> 16) & 255);
              acc[2] += w * ((p >> 8) & 255);
              acc[3] += w * (p & 255);
            }
          }
          // Weights sum to 65536; premultiplied channels stay at or below alpha.
          const Argb p = static_cast<Argb>(((acc[0] + 32768) >> 16) << 24 | ((acc[1] + 32768) >> 16) << 16 |
                                           ((acc[2] + 32768) >> 16) << 8 | ((acc[3] + 32768) >> 16));
          dp[xi] = BlendOver(dp[xi], ScaleAlpha(p, a));
        }
      }
      return;
    }
  }

  // Per column: the two source columns and the weight of the second.
  std::vector<int> x0(d.Width()), x1(d.Width());
  std::vector<uint32_t> fx(d.Width());
  for (int x = d.left; x < d.right; ++x) {
    const int i = x - d.left;
    if (filter == ScaleFilter::kNearest) {
      x0[i] = x1[i] = s.left + static_cast<int>((int64_t(x - destRect.left) * 2 + 1) * sw / (2 * int64_t(dw)));
      fx[i] = 0;
      continue;
    }
    // Source position of the pixel centre, in 1/256 pixels.
    const int64_t pos = ((int64_t(x - destRect.left) * 2 + 1) * sw * 256) / (2 * int64_t(dw)) - 128;
    int64_t p = std::max<int64_t>(pos, 0);
    int c0 = static_cast<int>(p >> 8);
    uint32_t f = static_cast<uint32_t>(p & 255);
    if (c0 >= sw - 1) { c0 = sw - 1; f = 0; }
    x0[i] = s.left + c0;
    x1[i] = s.left + std::min(c0 + 1, sw - 1);
    fx[i] = f;
  }
  for (int y = d.top; y < d.bottom; ++y) {
    int r0, r1;
    uint32_t fy;
    if (filter == ScaleFilter::kNearest) {
      r0 = r1 = s.top + static_cast<int>((int64_t(y - destRect.top) * 2 + 1) * sh / (2 * int64_t(dh)));
      fy = 0;
    } else {
      const int64_t pos = ((int64_t(y - destRect.top) * 2 + 1) * sh * 256) / (2 * int64_t(dh)) - 128;
      const int64_t p = std::max<int64_t>(pos, 0);
      int c0 = static_cast<int>(p >> 8);
      fy = static_cast<uint32_t>(p & 255);
      if (c0 >= sh - 1) { c0 = sh - 1; fy = 0; }
      r0 = s.top + c0;
      r1 = s.top + std::min(c0 + 1, sh - 1);
    }
    const Argb* row0 = src.pixels.data() + static_cast<size_t>(r0) * src.width;
    const Argb* row1 = src.pixels.data() + static_cast<size_t>(r1) * src.width;
    Argb* dp = Row(y) + d.left;
    for (int i = 0, n = d.Width(); i < n; ++i) {
      Argb p = Lerp(row0[x0[i]], row0[x1[i]], fx[i]);
      if (fy) p = Lerp(p, Lerp(row1[x0[i]], row1[x1[i]], fx[i]), fy);
      dp[i] = BlendOver(dp[i], ScaleAlpha(p, a));
    }
  }
}

void Surface::BlendCoverage(const uint8_t* coverage, int width, int height, int stride, Point dest,
                            Argb straight) {
  const Argb c = Premultiply(straight);
  if ((c >> 24) == 0 || !coverage) return;
  const Rect d = Rect{dest.x, dest.y, dest.x + width, dest.y + height}.Intersect(clip_);
  for (int y = d.top; y < d.bottom; ++y) {
    const uint8_t* cp = coverage + static_cast<size_t>(y - dest.y) * stride + (d.left - dest.x);
    Argb* dp = Row(y) + d.left;
    for (int i = 0, n = d.Width(); i < n; ++i) {
      if (cp[i]) dp[i] = BlendOver(dp[i], ScaleAlpha(c, cp[i]));
    }
  }
}

}  // namespace SkinUI
