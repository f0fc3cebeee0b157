#include "uikit/surface.h"

#include <gtest/gtest.h>

namespace SkinUI {
namespace {

Bitmap Canvas(int w, int h, Argb fill = 0) {
  Bitmap b;
  b.width = w;
  b.height = h;
  b.pixels.assign(static_cast<size_t>(w) * h, fill);
  return b;
}

int CountNot(const Bitmap& b, Argb value) {
  int n = 0;
  for (Argb p : b.pixels) n += p != value;
  return n;
}

TEST(BlendTest, OverMatchesTheExactFormula) {
  for (Argb dst : {0xFF102030u, 0x80402010u, 0x00000000u, 0xFFFFFFFFu}) {
    for (Argb src : {0x80800000u, 0x40004020u, 0xFF0000FFu, 0x01010101u, 0x00000000u}) {
      const Argb got = BlendOver(dst, src);
      for (int shift = 0; shift < 32; shift += 8) {
        const int s = (src >> shift) & 255, d = (dst >> shift) & 255, a = src >> 24;
        const int want = s + (d * (255 - a) + 127) / 255;
        EXPECT_NEAR(int((got >> shift) & 255), want, 1) << std::hex << dst << " " << src;
      }
    }
  }
}

TEST(SurfaceTest, FillRectBlendsStraightColourInsideTheClipStack) {
  Bitmap b = Canvas(10, 10, 0xFF000000);
  Surface s(b);
  s.PushClip({2, 2, 8, 8});
  s.PushClip({0, 0, 5, 5});  // intersects: 2..5
  EXPECT_EQ(s.Clip(), (Rect{2, 2, 5, 5}));
  s.FillRect({0, 0, 10, 10}, 0xFFFF0000);
  s.PopClip();
  EXPECT_EQ(s.Clip(), (Rect{2, 2, 8, 8}));
  s.FillRect({6, 6, 20, 20}, 0x80FFFFFF);  // half white over black
  s.PopClip();
  s.PopClip();  // an extra pop is harmless
  EXPECT_EQ(s.Clip(), (Rect{0, 0, 10, 10}));

  EXPECT_EQ(b.At(2, 2), 0xFFFF0000u);
  EXPECT_EQ(b.At(4, 4), 0xFFFF0000u);
  EXPECT_EQ(b.At(5, 5), 0xFF000000u);
  EXPECT_EQ(b.At(1, 1), 0xFF000000u);
  EXPECT_EQ(b.At(6, 6), 0xFF808080u);
  EXPECT_EQ(b.At(7, 7), 0xFF808080u);
  EXPECT_EQ(b.At(8, 8), 0xFF000000u);
  EXPECT_EQ(CountNot(b, 0xFF000000), 9 + 4);
}

TEST(SurfaceTest, ViewWithStrideLeavesPaddingAlone) {
  std::vector<Argb> mem(6 * 3, 0x11111111);
  Surface s(mem.data(), 4, 3, 6);
  s.FillRect({-5, -5, 50, 50}, 0xFF00FF00);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 6; ++x) EXPECT_EQ(mem[y * 6 + x], x < 4 ? 0xFF00FF00u : 0x11111111u);
  }
}

TEST(SurfaceTest, BlendBitmapCopiesOpaqueAndBlendsTranslucentPixels) {
  Bitmap src = Canvas(3, 2);
  src.pixels = {0xFF0000FF, 0xFF00FF00, 0x80800000, 0xFFFFFFFF, 0x00000000, 0xFF123456};
  Bitmap b = Canvas(6, 4, 0xFF000000);
  Surface s(b);
  s.BlendBitmap(src, {0, 0, 3, 2}, {1, 1});
  EXPECT_EQ(b.At(1, 1), 0xFF0000FFu);
  EXPECT_EQ(b.At(2, 1), 0xFF00FF00u);
  EXPECT_EQ(b.At(3, 1), 0xFF800000u);
  EXPECT_EQ(b.At(2, 2), 0xFF000000u);  // transparent source pixel
  EXPECT_EQ(b.At(3, 2), 0xFF123456u);
  // Partly off the surface and with a source rectangle reaching outside.
  s.BlendBitmap(src, {-1, 0, 3, 2}, {4, 2}, 255);
  EXPECT_EQ(b.At(5, 2), 0xFF0000FFu);
  EXPECT_EQ(b.At(5, 3), 0xFFFFFFFFu);
  // Alpha scales the source.
  Bitmap c = Canvas(1, 1, 0xFF000000);
  Surface cs(c);
  cs.BlendBitmap(src, {3 - 3, 1, 1, 2}, {0, 0}, 128);
  EXPECT_EQ(c.At(0, 0), 0xFF808080u);
}

TEST(SurfaceTest, ScaledOneToOneIsExactAndBilinearNeverBleedsOutsideTheSource) {
  Bitmap src = Canvas(4, 1);
  src.pixels = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
  Bitmap b = Canvas(4, 1);
  Surface s(b);
  s.BlendScaled(src, {0, 0, 4, 1}, {0, 0, 4, 1});
  EXPECT_EQ(b.pixels, src.pixels);

  // The middle two pixels stretched to 8: ends stay pure green and blue.
  Bitmap wide = Canvas(8, 3);
  Surface ws(wide);
  ws.BlendScaled(src, {1, 0, 3, 1}, {0, 0, 8, 3});
  for (int y = 0; y < 3; ++y) {
    EXPECT_EQ(wide.At(0, y), 0xFF00FF00u);
    EXPECT_EQ(wide.At(7, y), 0xFF0000FFu);
    for (int x = 0; x < 8; ++x) EXPECT_EQ(wide.At(x, y) & 0x00FF0000, 0u) << x;  // no red from outside
  }
  // Monotonic ramp from green to blue in between.
  for (int x = 1; x < 8; ++x) EXPECT_GE(wide.At(x, 0) & 0xFF, wide.At(x - 1, 0) & 0xFF);

  Bitmap near = Canvas(8, 1);
  Surface ns(near);
  ns.BlendScaled(src, {0, 0, 4, 1}, {0, 0, 8, 1}, 255, ScaleFilter::kNearest);
  EXPECT_EQ(near.At(0, 0), 0xFFFF0000u);
  EXPECT_EQ(near.At(1, 0), 0xFFFF0000u);
  EXPECT_EQ(near.At(2, 0), 0xFF00FF00u);
  EXPECT_EQ(near.At(7, 0), 0xFFFFFFFFu);
}

TEST(SurfaceTest, RoundRectIsSymmetricAntialiasedAndSquareInTheMiddle) {
  Bitmap b = Canvas(40, 30);
  Surface s(b);
  s.FillRoundRect({0, 0, 40, 30}, {16, 16}, 0xFFFFFFFF);
  // Corners empty, edges' middles and the centre full.
  EXPECT_EQ(b.At(0, 0), 0u);
  EXPECT_EQ(b.At(39, 29), 0u);
  EXPECT_EQ(b.At(20, 0), 0xFFFFFFFFu);
  EXPECT_EQ(b.At(0, 15), 0xFFFFFFFFu);
  EXPECT_EQ(b.At(20, 15), 0xFFFFFFFFu);
  bool partial = false;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      const Argb p = b.At(x, y);
      EXPECT_EQ(p, b.At(39 - x, y));
      EXPECT_EQ(p, b.At(x, 29 - y));
      const uint32_t a = p >> 24;
      partial |= a > 0 && a < 255;
    }
  }
  EXPECT_TRUE(partial) << "the corner edge is not anti-aliased";
}

TEST(SurfaceTest, BorderFramesTheRectangleAndLeavesTheInsideAlone) {
  Bitmap b = Canvas(20, 10);
  Surface s(b);
  s.DrawBorder({0, 0, 20, 10}, 2, 0xFF0000FF);
  EXPECT_EQ(b.At(0, 0), 0xFF0000FFu);
  EXPECT_EQ(b.At(1, 5), 0xFF0000FFu);
  EXPECT_EQ(b.At(19, 9), 0xFF0000FFu);
  EXPECT_EQ(b.At(2, 2), 0u);
  EXPECT_EQ(b.At(17, 7), 0u);
  EXPECT_EQ(CountNot(b, 0), 20 * 10 - 16 * 6);

  Bitmap r = Canvas(30, 30);
  Surface rs(r);
  rs.DrawBorder({0, 0, 30, 30}, 1, 0xFFFFFFFF, {10, 10});
  EXPECT_EQ(r.At(0, 0), 0u);  // cut corner
  EXPECT_EQ(r.At(15, 0), 0xFFFFFFFFu);
  EXPECT_EQ(r.At(0, 15), 0xFFFFFFFFu);
  EXPECT_EQ(r.At(15, 15), 0u);
  EXPECT_EQ(r.At(15, 1), 0u);
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 30; ++x) {
      EXPECT_EQ(r.At(x, y), r.At(29 - x, y));
      EXPECT_EQ(r.At(x, y), r.At(y, x));
    }
  }
  // Something is drawn in the corner arc, only partly covered.
  int arc = 0;
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 5; ++x) arc += (r.At(x, y) >> 24) > 0;
  }
  EXPECT_GT(arc, 2);
}

TEST(SurfaceTest, CoverageMaskPaintsInTheColourScaledByCoverage) {
  const uint8_t mask[4] = {255, 128, 0, 64};
  Bitmap b = Canvas(3, 3, 0xFF000000);
  Surface s(b);
  s.PushClip({0, 0, 3, 2});
  s.BlendCoverage(mask, 2, 2, 2, {1, 1}, 0xFFFFFFFF);
  EXPECT_EQ(b.At(1, 1), 0xFFFFFFFFu);
  EXPECT_EQ(b.At(2, 1), 0xFF808080u);
  EXPECT_EQ(b.At(1, 2), 0xFF000000u);  // clipped
}

}  // namespace
}  // namespace SkinUI
