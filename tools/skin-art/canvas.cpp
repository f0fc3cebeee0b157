#include "canvas.h"

#include <algorithm>
#include <cmath>

namespace skinart {
namespace {

constexpr float kPi = 3.14159265358979f;

float Clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

float SegmentDistance(float px, float py, float ax, float ay, float bx, float by) {
  float vx = bx - ax, vy = by - ay, wx = px - ax, wy = py - ay;
  float len2 = vx * vx + vy * vy;
  float t = len2 > 0 ? Clamp01((wx * vx + wy * vy) / len2) : 0;
  float dx = wx - t * vx, dy = wy - t * vy;
  return std::sqrt(dx * dx + dy * dy);
}

}  // namespace

Rgba Hex(uint32_t rgb, float alpha) {
  return {((rgb >> 16) & 0xFF) / 255.0f, ((rgb >> 8) & 0xFF) / 255.0f, (rgb & 0xFF) / 255.0f, alpha};
}

Rgba Mix(Rgba a, Rgba b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Paint Solid(Rgba c) {
  return [c](float, float) { return c; };
}

Paint Linear(float x0, float y0, Rgba c0, float x1, float y1, Rgba c1) {
  float vx = x1 - x0, vy = y1 - y0, len2 = vx * vx + vy * vy;
  return [=](float x, float y) {
    float t = len2 > 0 ? Clamp01(((x - x0) * vx + (y - y0) * vy) / len2) : 0;
    return Mix(c0, c1, t);
  };
}

Shape RoundRect(float x0, float y0, float x1, float y1, float radius) {
  float cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
  float hx = (x1 - x0) / 2, hy = (y1 - y0) / 2;
  float r = std::min({radius, hx, hy});
  return [=](float x, float y) {
    float qx = std::fabs(x - cx) - hx + r, qy = std::fabs(y - cy) - hy + r;
    float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - r;
  };
}

Shape Circle(float cx, float cy, float r) {
  return [=](float x, float y) { return std::hypot(x - cx, y - cy) - r; };
}

Shape Capsule(float ax, float ay, float bx, float by, float halfWidth) {
  return [=](float x, float y) { return SegmentDistance(x, y, ax, ay, bx, by) - halfWidth; };
}

Shape Arc(float cx, float cy, float radius, float a0, float a1, float halfWidth) {
  float s0 = a0 * kPi / 180, s1 = a1 * kPi / 180;
  float e0x = cx + radius * std::cos(s0), e0y = cy + radius * std::sin(s0);
  float e1x = cx + radius * std::cos(s1), e1y = cy + radius * std::sin(s1);
  return [=](float x, float y) {
    float ang = std::atan2(y - cy, x - cx);
    // Bring the angle into [s0, s0 + 2pi).
    while (ang < s0) ang += 2 * kPi;
    while (ang >= s0 + 2 * kPi) ang -= 2 * kPi;
    float d;
    if (ang <= s1) {
      d = std::fabs(std::hypot(x - cx, y - cy) - radius);
    } else {
      d = std::min(std::hypot(x - e0x, y - e0y), std::hypot(x - e1x, y - e1y));
    }
    return d - halfWidth;
  };
}

Shape Polyline(std::vector<float> xy, float halfWidth) {
  return [xy = std::move(xy), halfWidth](float x, float y) {
    float d = 1e9f;
    for (size_t i = 0; i + 3 < xy.size(); i += 2)
      d = std::min(d, SegmentDistance(x, y, xy[i], xy[i + 1], xy[i + 2], xy[i + 3]));
    return d - halfWidth;
  };
}

Shape Polygon(std::vector<float> xy) {
  return [xy = std::move(xy)](float x, float y) {
    size_t n = xy.size() / 2;
    float d = 1e9f;
    bool inside = false;
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
      float xi = xy[2 * i], yi = xy[2 * i + 1], xj = xy[2 * j], yj = xy[2 * j + 1];
      d = std::min(d, SegmentDistance(x, y, xi, yi, xj, yj));
      if (((yi > y) != (yj > y)) && (x < (xj - xi) * (y - yi) / (yj - yi) + xi)) inside = !inside;
    }
    return inside ? -d : d;
  };
}

Shape Ellipse(float cx, float cy, float rx, float ry) {
  // First-order distance estimate; exact enough for strokes of a few pixels.
  return [=](float x, float y) {
    float u = (x - cx) / rx, v = (y - cy) / ry;
    float f = std::sqrt(u * u + v * v);
    if (f < 1e-6f) return -std::min(rx, ry);
    float gx = u / (f * rx), gy = v / (f * ry);
    return (f - 1) / std::sqrt(gx * gx + gy * gy);
  };
}

Shape Union(Shape a, Shape b) {
  return [=](float x, float y) { return std::min(a(x, y), b(x, y)); };
}
Shape Intersect(Shape a, Shape b) {
  return [=](float x, float y) { return std::max(a(x, y), b(x, y)); };
}
Shape Subtract(Shape a, Shape b) {
  return [=](float x, float y) { return std::max(a(x, y), -b(x, y)); };
}
Shape Grow(Shape s, float by) {
  return [=](float x, float y) { return s(x, y) - by; };
}
Shape Ring(Shape s, float halfWidth) {
  return [=](float x, float y) { return std::fabs(s(x, y)) - halfWidth; };
}
Shape Rotate(Shape s, float cx, float cy, float degrees) {
  float c = std::cos(-degrees * kPi / 180), sn = std::sin(-degrees * kPi / 180);
  return [=](float x, float y) {
    float dx = x - cx, dy = y - cy;
    return s(cx + dx * c - dy * sn, cy + dx * sn + dy * c);
  };
}
Shape Translate(Shape s, float dx, float dy) {
  return [=](float x, float y) { return s(x - dx, y - dy); };
}

Canvas::Canvas(int width, int height, int scale)
    : w_(width * scale), h_(height * scale), scale_(scale), px_(size_t(w_) * h_ * 4, 0.0f) {}

void Canvas::Blend(int x, int y, float r, float g, float b, float a) {
  if (x < 0 || y < 0 || x >= w_ || y >= h_ || a <= 0) return;
  float* p = &px_[(size_t(y) * w_ + x) * 4];
  float k = 1 - a;
  p[0] = r + p[0] * k;
  p[1] = g + p[1] * k;
  p[2] = b + p[2] * k;
  p[3] = a + p[3] * k;
}

void Canvas::Fill(const Shape& shape, const Paint& paint, float opacity) {
  // At scale 1 the division and product are exact, so the 1x art is the
  // same bytes it was before canvases had a scale.
  float s = float(scale_);
  for (int y = 0; y < h_; ++y) {
    for (int x = 0; x < w_; ++x) {
      float cx = (x + 0.5f) / s, cy = (y + 0.5f) / s;
      float cov = Clamp01(0.5f - shape(cx, cy) * s);
      if (cov <= 0) continue;
      Rgba c = paint(cx, cy);
      float a = c.a * cov * opacity;
      Blend(x, y, c.r * a, c.g * a, c.b * a, a);
    }
  }
}

void Canvas::Shadow(const Shape& shape, Rgba colour, float blur, float dx, float dy) {
  // Distance and blur are both in 1x units, so their ratio needs no scale.
  float s = float(scale_);
  float sigma = std::max(blur / 2.0f, 0.01f);
  for (int y = 0; y < h_; ++y) {
    for (int x = 0; x < w_; ++x) {
      float d = shape((x + 0.5f) / s - dx, (y + 0.5f) / s - dy);
      float cov = 0.5f * std::erfc(d / (sigma * 1.41421356f));
      float a = colour.a * cov;
      if (a < 1.0f / 512) continue;
      Blend(x, y, colour.r * a, colour.g * a, colour.b * a, a);
    }
  }
}

void Canvas::Clear(const Paint& paint) {
  float s = float(scale_);
  for (int y = 0; y < h_; ++y) {
    for (int x = 0; x < w_; ++x) {
      Rgba c = paint((x + 0.5f) / s, (y + 0.5f) / s);
      float* p = &px_[(size_t(y) * w_ + x) * 4];
      p[0] = c.r * c.a;
      p[1] = c.g * c.a;
      p[2] = c.b * c.a;
      p[3] = c.a;
    }
  }
}

void Canvas::Draw(const Canvas& src, int x, int y, float opacity) {
  for (int sy = 0; sy < src.h_; ++sy) {
    for (int sx = 0; sx < src.w_; ++sx) {
      const float* s = src.Pixel(sx, sy);
      Blend(x + sx, y + sy, s[0] * opacity, s[1] * opacity, s[2] * opacity, s[3] * opacity);
    }
  }
}

void Canvas::Sample(float x, float y, float out[4]) const {
  x -= 0.5f;
  y -= 0.5f;
  int x0 = int(std::floor(x)), y0 = int(std::floor(y));
  float fx = x - x0, fy = y - y0;
  for (int i = 0; i < 4; ++i) out[i] = 0;
  for (int j = 0; j < 2; ++j) {
    for (int i = 0; i < 2; ++i) {
      int px = std::clamp(x0 + i, 0, w_ - 1), py = std::clamp(y0 + j, 0, h_ - 1);
      float wgt = (i ? fx : 1 - fx) * (j ? fy : 1 - fy);
      const float* p = Pixel(px, py);
      for (int k = 0; k < 4; ++k) out[k] += p[k] * wgt;
    }
  }
}

void Canvas::DrawScaled(const Canvas& src, float x0, float y0, float x1, float y1, float opacity) {
  float sxScale = src.w_ / (x1 - x0), syScale = src.h_ / (y1 - y0);
  for (int y = int(std::floor(y0)); y < int(std::ceil(y1)); ++y) {
    for (int x = int(std::floor(x0)); x < int(std::ceil(x1)); ++x) {
      float s[4];
      src.Sample((x + 0.5f - x0) * sxScale, (y + 0.5f - y0) * syScale, s);
      Blend(x, y, s[0] * opacity, s[1] * opacity, s[2] * opacity, s[3] * opacity);
    }
  }
}

void Canvas::DrawNine(const Canvas& src, int x0, int y0, int x1, int y1, int l, int t, int r, int b) {
  // Map each destination column/row to a source coordinate: borders 1:1,
  // the middle band stretched.
  auto map = [](int d, int dLen, int sLen, int lo, int hi) -> float {
    if (d < lo) return d + 0.5f;
    if (d >= dLen - hi) return sLen - (dLen - d) + 0.5f;
    float mid = float(dLen - lo - hi), smid = float(sLen - lo - hi);
    return lo + (d - lo + 0.5f) * smid / std::max(mid, 1.0f);
  };
  int dw = x1 - x0, dh = y1 - y0;
  for (int y = 0; y < dh; ++y) {
    for (int x = 0; x < dw; ++x) {
      float s[4];
      src.Sample(map(x, dw, src.w_, l, r), map(y, dh, src.h_, t, b), s);
      Blend(x0 + x, y0 + y, s[0], s[1], s[2], s[3]);
    }
  }
}

std::vector<uint8_t> Canvas::ToRgba8() const {
  std::vector<uint8_t> out(size_t(w_) * h_ * 4);
  for (size_t i = 0; i < size_t(w_) * h_; ++i) {
    const float* p = &px_[i * 4];
    int a = int(std::lround(Clamp01(p[3]) * 255));
    uint8_t* o = &out[i * 4];
    if (a == 0) {
      o[0] = o[1] = o[2] = o[3] = 0;
      continue;
    }
    float inv = 1.0f / Clamp01(p[3]);
    for (int k = 0; k < 3; ++k) o[k] = uint8_t(std::lround(Clamp01(p[k] * inv) * 255));
    o[3] = uint8_t(a);
  }
  return out;
}

}  // namespace skinart
