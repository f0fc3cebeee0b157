#include "uikit/image_draw.h"

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

// A 6x6 opaque image whose nine parts (borders of 2, 2, 2, 2) each have
// their own colour: part (i, j) is 0xFF0000ij-ish, so every destination
// pixel names the part it came from.
Argb PartColour(int i, int j) { return 0xFF000000u | (uint32_t(i + 1) << 16) | (uint32_t(j + 1) << 8) | 0x40; }
Bitmap NinePartImage() {
  Bitmap b = Canvas(6, 6);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 6; ++x) b.pixels[y * 6 + x] = PartColour(x / 2, y / 2);
  }
  return b;
}

int Part(int v, int size, int border) { return v < border ? 0 : v >= size - border ? 2 : 1; }

TEST(DrawImageTest, NinePartKeepsCornersAndStretchesEdgesAndCentre) {
  const Bitmap img = NinePartImage();
  ImageDescriptor d;
  d.file = "x.png";
  d.corner = {2, 2, 2, 2};
  Bitmap b = Canvas(30, 20);
  Surface s(b);
  DrawImage(s, img, d, {0, 0, 30, 20});
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 30; ++x) EXPECT_EQ(b.At(x, y), PartColour(Part(x, 30, 2), Part(y, 20, 2))) << x << "," << y;
  }
  // With a hole the centre stays empty and the frame is unchanged.
  Bitmap h = Canvas(30, 20);
  Surface hs(h);
  d.hole = true;
  DrawImage(hs, img, d, {0, 0, 30, 20});
  EXPECT_EQ(h.At(15, 10), 0u);
  EXPECT_EQ(h.At(2, 2), 0u);
  EXPECT_EQ(h.At(1, 10), PartColour(0, 1));
  EXPECT_EQ(h.At(15, 19), PartColour(1, 2));
}

TEST(DrawImageTest, CornersWiderThanTheDestinationShrinkInProportion) {
  const Bitmap img = NinePartImage();
  ImageDescriptor d;
  d.file = "x.png";
  d.corner = {2, 2, 2, 2};
  Bitmap b = Canvas(2, 6);
  Surface s(b);
  DrawImage(s, img, d, {0, 0, 2, 6});
  EXPECT_EQ(b.At(0, 0), PartColour(0, 0));
  EXPECT_EQ(b.At(1, 0), PartColour(2, 0));
  EXPECT_EQ(b.At(1, 3), PartColour(2, 1));
}

TEST(DrawImageTest, DestIsRelativeToTheControlAndClippedByIt) {
  const Bitmap img = Canvas(4, 4, 0xFFFF0000);
  ImageDescriptor d;
  d.file = "x.png";
  d.dest = {2, 3, 6, 7};
  Bitmap b = Canvas(20, 20);
  Surface s(b);
  DrawImage(s, img, d, {10, 10, 15, 15});
  EXPECT_EQ(b.At(12, 13), 0xFFFF0000u);
  EXPECT_EQ(b.At(14, 14), 0xFFFF0000u);
  EXPECT_EQ(b.At(11, 13), 0u);
  EXPECT_EQ(b.At(15, 15), 0u);  // inside dest, outside the control
  int n = 0;
  for (Argb p : b.pixels) n += p != 0;
  EXPECT_EQ(n, 3 * 2);
}

TEST(DrawImageTest, SourceIsClippedToTheImage) {
  Bitmap img = Canvas(4, 1);
  img.pixels = {0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004};
  ImageDescriptor d;
  d.file = "x.png";
  d.source = {2, 0, 10, 5};  // clipped to 2,0,4,1: two pixels, drawn 1:1 here
  Bitmap b = Canvas(2, 1);
  Surface s(b);
  DrawImage(s, img, d, {0, 0, 2, 1});
  EXPECT_EQ(b.At(0, 0), 0xFF000003u);
  EXPECT_EQ(b.At(1, 0), 0xFF000004u);
  // A source entirely outside the image draws nothing.
  d.source = {8, 0, 10, 1};
  Bitmap e = Canvas(2, 1);
  Surface es(e);
  DrawImage(es, img, d, {0, 0, 2, 1});
  EXPECT_EQ(e.At(0, 0), 0u);
}

TEST(DrawImageTest, TilingRepeatsAtTheImageSizeFromTheDestOrigin) {
  Bitmap img = Canvas(3, 2);
  for (int i = 0; i < 6; ++i) img.pixels[i] = 0xFF000000u | uint32_t(i + 1);
  ImageDescriptor d;
  d.file = "x.png";
  d.xtiled = d.ytiled = true;
  Bitmap b = Canvas(10, 7);
  Surface s(b);
  DrawImage(s, img, d, {1, 1, 9, 6});
  for (int y = 1; y < 6; ++y) {
    for (int x = 1; x < 9; ++x) EXPECT_EQ(b.At(x, y), img.At((x - 1) % 3, (y - 1) % 2)) << x << "," << y;
  }
  EXPECT_EQ(b.At(0, 0), 0u);
  EXPECT_EQ(b.At(9, 6), 0u);
  // xtiled alone: repeats across, stretched down (rows of the 2-row image).
  d.ytiled = false;
  Bitmap c = Canvas(6, 4);
  Surface cs(c);
  DrawImage(cs, img, d, {0, 0, 6, 4});
  EXPECT_EQ(c.At(4, 0), img.At(1, 0));
  EXPECT_EQ(c.At(4, 3), img.At(1, 1));
}

TEST(DrawImageTest, FadeMaskAndColour) {
  const Bitmap img = Canvas(2, 1, 0xFFFFFFFF);
  ImageDescriptor d;
  d.file = "x.png";
  d.fade = 128;
  Bitmap b = Canvas(2, 1, 0xFF000000);
  Surface s(b);
  DrawImage(s, img, d, {0, 0, 2, 1});
  EXPECT_EQ(b.At(0, 0), 0xFF808080u);
  d.fade = 0;
  DrawImage(s, img, d, {0, 0, 2, 1});
  EXPECT_EQ(b.At(0, 0), 0xFF808080u);

  Bitmap masked = Canvas(2, 1);
  masked.pixels = {0xFFFF00FF, 0xFF00FF00};
  ImageDescriptor m;
  m.file = "x.png";
  m.hasMask = true;
  m.mask = 0x00FF00FF;  // alpha ignored
  Bitmap mb = Canvas(2, 1, 0xFF000000);
  Surface ms(mb);
  DrawImage(ms, masked, m, {0, 0, 2, 1});
  EXPECT_EQ(mb.At(0, 0), 0xFF000000u);
  EXPECT_EQ(mb.At(1, 0), 0xFF00FF00u);

  ImageDescriptor c;
  c.hasColor = true;
  c.color = 0xFF336699;
  c.fade = 255;
  c.dest = {1, 0, 2, 1};
  Bitmap cb = Canvas(2, 1);
  Surface cs(cb);
  DrawImage(cs, nullptr, c, {0, 0, 2, 1});
  EXPECT_EQ(cb.At(0, 0), 0u);
  EXPECT_EQ(cb.At(1, 0), 0xFF336699u);
}

TEST(DrawImageTest, MissingImageDrawsNothing) {
  ImageDescriptor d;
  d.file = "res/mainWnd/none.png";
  Bitmap b = Canvas(4, 4, 0xFF010203);
  Surface s(b);
  DrawImage(s, nullptr, d, {0, 0, 4, 4});
  DrawImage(s, Bitmap{}, d, {0, 0, 4, 4});
  for (Argb p : b.pixels) EXPECT_EQ(p, 0xFF010203u);
}

}  // namespace
}  // namespace SkinUI

#include "gfx_scene.h"

namespace SkinUI {
namespace {

// The scene's pixels are fixed: the same hash on every target and after
// every change that was not meant to change what is drawn. When a change
// is meant to, look at skinui_gfx_sample's picture, then update the value.
TEST(DrawImageTest, SceneDrawsTheSamePixelsOnEveryTarget) {
  const skinui_test::SceneArt art = skinui_test::MakeSceneArt();
  Bitmap page;
  page.width = 600;
  page.height = 400;
  page.pixels.assign(600 * 400, 0);
  Surface s(page);
  skinui_test::PaintScene(s, art);
  EXPECT_EQ(skinui_test::PixelHash(page), 0xf83298c6e2c76847ull);
}

}  // namespace
}  // namespace SkinUI

namespace SkinUI {
namespace {

TEST(DrawImageTest, ExtremeMarkupValuesStayInsideTheControl) {
  const Bitmap img = NinePartImage();
  ImageDescriptor d;
  d.file = "x.png";
  d.corner = {2147483647, 2147483647, 2147483647, 5};
  d.dest = {-2147483647, -5, 2147483647, 2147483647};
  d.xtiled = d.ytiled = true;
  Bitmap b = Canvas(8, 8);
  Surface s(b);
  DrawImage(s, img, d, {2, 2, 6, 6});
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      if (x < 2 || x >= 6 || y < 2 || y >= 6) {
        EXPECT_EQ(b.At(x, y), 0u);
      }
    }
  }
}

}  // namespace
}  // namespace SkinUI
