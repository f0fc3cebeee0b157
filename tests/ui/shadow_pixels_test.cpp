// The drop shadow's pixels, computed without a window.
#include <gtest/gtest.h>

#include <algorithm>

#include "ui/shadow_pixels.h"

namespace {

CShadowParams LayoutParams() {  // what the installer's layouts ask for
  CShadowParams p;
  EXPECT_TRUE(p.SetSize(6));
  EXPECT_TRUE(p.SetSharpness(10));
  EXPECT_TRUE(p.SetDarkness(20));
  EXPECT_TRUE(p.SetPosition(1, 1));
  return p;
}

int AlphaAt(const SkinUI::Bitmap& b, int x, int y) { return static_cast<int>(b.At(x, y) >> 24); }

}  // namespace

TEST(ShadowParams, OutOfRangeValuesAreRefusedAndChangeNothing) {
  CShadowParams p = LayoutParams();
  EXPECT_FALSE(p.SetSize(21));
  EXPECT_FALSE(p.SetSize(-21));
  EXPECT_FALSE(p.SetSharpness(21));
  EXPECT_FALSE(p.SetSharpness(-1));
  EXPECT_FALSE(p.SetDarkness(256));
  EXPECT_FALSE(p.SetPosition(0, -21));
  EXPECT_FALSE(p.SetPosition(21, 0));
  EXPECT_EQ(p.size(), 6);
  EXPECT_EQ(p.sharpness(), 10);
  EXPECT_EQ(p.darkness(), 20);
  EXPECT_EQ(p.xOffset(), 1);
  EXPECT_EQ(p.yOffset(), 1);
  EXPECT_TRUE(p.SetSize(-20));
  EXPECT_TRUE(p.SetPosition(-20, 20));
}

TEST(ShadowPixels, TheLayoutsShadowIsTwelvePixelsLargerAndFivePixelsUpAndLeft) {
  const CShadowParams p = LayoutParams();
  const SkinUI::Bitmap b = ComputeShadow(RoundRectRows(600, 400, 6, 6), 600, p);
  EXPECT_EQ(b.width, 612);
  EXPECT_EQ(b.height, 412);
  EXPECT_EQ(ShadowLeft(100, p), 95);
  EXPECT_EQ(ShadowTop(50, p), 45);

  // Nothing behind the window, never darker than the darkness, a soft edge
  // that gets lighter towards the outside, and shadow on every side.
  int maxAlpha = 0;
  for (int y = 0; y < b.height; ++y)
    for (int x = 0; x < b.width; ++x) maxAlpha = std::max(maxAlpha, AlphaAt(b, x, y));
  // The darkest part lies behind the window: with an offset of 1,1 only the
  // blurred edge shows.
  EXPECT_GT(maxAlpha, 0);
  EXPECT_LE(maxAlpha, 20);
  EXPECT_EQ(b.At(300, 200), 0u);           // under the window
  EXPECT_EQ(b.At(5 + 3, 5 + 200), 0u);     // just inside the window's left edge
  EXPECT_GT(AlphaAt(b, 2, 206), 0);        // left of the window
  EXPECT_GT(AlphaAt(b, 609, 206), 0);      // right
  EXPECT_GT(AlphaAt(b, 306, 2), 0);        // above
  EXPECT_GT(AlphaAt(b, 306, 409), 0);      // below
  EXPECT_LE(AlphaAt(b, 0, 206), AlphaAt(b, 3, 206));
  EXPECT_LE(AlphaAt(b, 611, 206), AlphaAt(b, 608, 206));
  // Black premultiplied: only alpha.
  EXPECT_EQ(b.At(2, 206) & 0xFFFFFF, 0u);
}

TEST(ShadowPixels, ColourIsPremultipliedFromAColorref) {
  CShadowParams p = LayoutParams();
  ASSERT_TRUE(p.SetDarkness(255));
  p.SetColor(0x00FF0000);  // blue: red is the low byte
  const SkinUI::Bitmap b = ComputeShadow(RoundRectRows(100, 80, 0, 0), 100, p);
  const SkinUI::Argb px = b.At(2, 46);
  const uint32_t a = px >> 24;
  ASSERT_GT(a, 0u);
  EXPECT_EQ((px >> 16) & 0xFF, 0u);
  EXPECT_EQ((px >> 8) & 0xFF, 0u);
  EXPECT_EQ(px & 0xFF, a);  // full blue times alpha
}

TEST(ShadowPixels, AWindowWithoutRegionHasNoShadow) {
  const std::vector<RegionRow> none(40);
  const SkinUI::Bitmap b = ComputeShadow(none, 50, LayoutParams());
  EXPECT_EQ(b.width, 62);
  EXPECT_TRUE(std::all_of(b.pixels.begin(), b.pixels.end(), [](SkinUI::Argb v) { return v == 0; }));
}

// Every accepted setting, on windows down to one pixel, stays inside the
// bitmap (the sanitizer runs check the stamps) and leaves the pixels under
// the window clear.
TEST(ShadowPixels, EverySettingStaysInsideTheBitmap) {
  for (int size : {-20, -6, -1, 0, 1, 6, 20}) {
    for (int sharpness : {0, 1, 10, 20}) {
      for (int w : {1, 7, 64}) {
        CShadowParams p;
        ASSERT_TRUE(p.SetSize(size));
        ASSERT_TRUE(p.SetSharpness(sharpness));
        ASSERT_TRUE(p.SetPosition(size > 0 ? -20 : 20, 3));
        const SkinUI::Bitmap b = ComputeShadow(RoundRectRows(w, 9, 4, 4), w, p);
        if (w + 2 * size <= 0 || 9 + 2 * size <= 0) {
          EXPECT_TRUE(b.IsEmpty()) << size << " " << w;
          continue;
        }
        EXPECT_EQ(b.width, w + 2 * size);
        EXPECT_EQ(b.height, 9 + 2 * size);
        EXPECT_EQ(b.pixels.size(), static_cast<size_t>(b.width) * b.height);
      }
    }
  }
}
