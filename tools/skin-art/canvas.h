// A small anti-aliased rasteriser for the skin's art. Shapes are signed
// distance functions in the image's 1x units (negative inside); a pixel's
// coverage is read from the distance at its centre, measured in that canvas's
// own pixels, which gives exact one-pixel edge ramps for the primitives below
// without supersampling at any whole scale.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace skinart {

struct Rgba {
  float r = 0, g = 0, b = 0, a = 0;  // straight alpha, 0..1
};

// 0xRRGGBB with an opacity.
Rgba Hex(uint32_t rgb, float alpha = 1.0f);
Rgba Mix(Rgba a, Rgba b, float t);

using Shape = std::function<float(float x, float y)>;
using Paint = std::function<Rgba(float x, float y)>;

Paint Solid(Rgba c);
// Colour runs from c0 at (x0, y0) to c1 at (x1, y1), clamped beyond.
Paint Linear(float x0, float y0, Rgba c0, float x1, float y1, Rgba c1);

// Primitives.
Shape RoundRect(float x0, float y0, float x1, float y1, float radius);
Shape Circle(float cx, float cy, float r);
Shape Capsule(float ax, float ay, float bx, float by, float halfWidth);
// A stroked circular arc with round caps; angles in degrees, screen
// orientation (0 = right, 90 = down), swept from a0 to a1 (a1 > a0).
Shape Arc(float cx, float cy, float radius, float a0, float a1, float halfWidth);
// A polyline of round-capped strokes.
Shape Polyline(std::vector<float> xy, float halfWidth);
// Convex or concave simple polygon.
Shape Polygon(std::vector<float> xy);
Shape Ellipse(float cx, float cy, float rx, float ry);

// Combinators.
Shape Union(Shape a, Shape b);
Shape Intersect(Shape a, Shape b);
Shape Subtract(Shape a, Shape b);
Shape Grow(Shape s, float by);               // positive grows outward
Shape Ring(Shape s, float halfWidth);        // outline band around the edge
Shape Rotate(Shape s, float cx, float cy, float degrees);
Shape Translate(Shape s, float dx, float dy);

class Canvas {
 public:
  // width x height in 1x units; the canvas holds scale times as many pixels
  // each way, and every shape, paint and blur is read in 1x units, so one
  // description draws the same picture, as sharp, at every scale.
  Canvas(int width, int height, int scale = 1);
  // In pixels.
  int width() const { return w_; }
  int height() const { return h_; }
  int scale() const { return scale_; }

  void Fill(const Shape& shape, const Paint& paint, float opacity = 1.0f);
  void Fill(const Shape& shape, Rgba colour) { Fill(shape, Solid(colour)); }
  // A soft shadow of the shape: coverage falls off over `blur` 1x units
  // (a Gaussian edge), offset by (dx, dy).
  void Shadow(const Shape& shape, Rgba colour, float blur, float dx, float dy);
  // Paints whole pixels, for flat backgrounds.
  void Clear(const Paint& paint);
  // The rest work in pixels, for the preview sheets.
  // Source-over of another canvas at (x, y), with a uniform opacity.
  void Draw(const Canvas& src, int x, int y, float opacity = 1.0f);
  // Nine-part stretch of src into the rectangle, borders kept unscaled.
  void DrawNine(const Canvas& src, int x0, int y0, int x1, int y1, int l, int t, int r, int b);
  // Bilinear scaled draw.
  void DrawScaled(const Canvas& src, float x0, float y0, float x1, float y1, float opacity = 1.0f);
  // Composites one premultiplied pixel.
  void Blend(int x, int y, float r, float g, float b, float a);

  // Straight RGBA8, fully transparent pixels zeroed.
  std::vector<uint8_t> ToRgba8() const;

  const float* Pixel(int x, int y) const { return &px_[(size_t(y) * w_ + x) * 4]; }

 private:
  void Sample(float x, float y, float out[4]) const;
  int w_, h_, scale_;
  std::vector<float> px_;  // premultiplied r, g, b, a
};

}  // namespace skinart
