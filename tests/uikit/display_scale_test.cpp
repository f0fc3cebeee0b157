// The display scale through the toolkit: the one rounding rule, a layout
// written at 1x laid out, hit-tested and re-laid out at another scale,
// fonts at their scaled size, and art drawn at 2x chosen and filtered down.
#include <gtest/gtest.h>

#include "uikit/container.h"
#include "uikit/dialog_builder.h"
#include "uikit/image_draw.h"
#include "uikit/label.h"
#include "uikit/paint_manager.h"

namespace SkinUI {
namespace {

// (The rounding rule itself: display_dpi_test.)
TEST(DisplayScale, AMeasuredWidthNeedsTheSmallestLayoutWidthThatCoversIt) {
  // The smallest 1x length that covers a measured width once scaled.
  for (int dpi : {96, 120, 144, 168, 192, 264, 288}) {
    for (int px = 1; px < 400; ++px) {
      const int v = UnscaleLengthUp(px, dpi);
      EXPECT_GE(ScaleLength(v, dpi), px) << dpi << " " << px;
      EXPECT_LT(ScaleLength(v - 1, dpi), px) << dpi << " " << px;
    }
  }
}

const char kLayout[] = R"(<Window size="200,100" caption="0,0,0,20" sizebox="3,3,3,3">
  <Font id="0" name="DejaVu Sans" size="12" default="true"/>
  <VerticalLayout name="root" inset="5,5,5,5" childpadding="3">
    <HorizontalLayout name="row" height="21">
      <Label name="a" width="33" padding="1,0,0,0" textpadding="4,0,4,0"/>
      <Label name="b" width="33"/>
      <Control name="rest"/>
    </HorizontalLayout>
    <Control name="floating" float="true" pos="11,61,47,79"/>
  </VerticalLayout>
</Window>)";

struct Built {
  CPaintManagerUI pm;
  Control* Find(const char* name) { return pm.FindControl(name); }
};

void Build(Built* b, int dpi) {
  CDialogBuilder builder;
  b->pm.SetDpi(dpi);
  auto root = builder.CreateFromString(kLayout, nullptr, &b->pm);
  ASSERT_NE(root, nullptr) << builder.GetLastError();
  b->pm.SetClientSize(b->pm.Scale(b->pm.Window().size));
  b->pm.AttachRoot(std::move(root));
  b->pm.LayoutIfNeeded();
}

TEST(DisplayScale, TheLayoutIsLaidOutHitTestedAndReLaidOutAtTheScale) {
  Built one, two, half;
  Build(&one, 96);
  Build(&two, 192);
  Build(&half, 144);
  for (const char* name : {"root", "row", "a", "b", "rest", "floating"}) {
    SCOPED_TRACE(name);
    const Rect r1 = one.Find(name)->GetPos();
    EXPECT_EQ(two.Find(name)->GetPos(), (Rect{2 * r1.left, 2 * r1.top, 2 * r1.right, 2 * r1.bottom}));
  }
  // 1.5x: sizes and margins rounded one by one; neighbours still touch and
  // the stretching child takes exactly what is left.
  EXPECT_EQ(half.Find("row")->GetPos(), (Rect{8, 8, 292, 40}));
  EXPECT_EQ(half.Find("a")->GetPos(), (Rect{10, 8, 60, 40}));
  EXPECT_EQ(half.Find("b")->GetPos().left, half.Find("a")->GetPos().right);
  EXPECT_EQ(half.Find("rest")->GetPos().right, 292);
  EXPECT_EQ(half.Find("floating")->GetPos(), (Rect{17, 92, 71, 119}));
  EXPECT_EQ(static_cast<Label*>(half.Find("a"))->TextArea(), (Rect{16, 8, 54, 40}));
  // Fonts come at the scale; the caption band and the resize border too.
  EXPECT_EQ(half.pm.Fonts().Get(0).size, 18);
  EXPECT_EQ(two.pm.HitTestWindow({100, 39}, false), HitArea::Caption);
  EXPECT_EQ(two.pm.HitTestWindow({100, 41}, false), HitArea::Client);
  EXPECT_EQ(two.pm.HitTestWindow({5, 100}, false), HitArea::Left);
  EXPECT_EQ(one.pm.HitTestWindow({5, 50}, false), HitArea::Client);

  // Another scale on a live tree: laid out again, as if built there.
  one.pm.SetDpi(192);
  one.pm.SetClientSize(one.pm.Scale(one.pm.Window().size));
  one.pm.LayoutIfNeeded();
  for (const char* name : {"root", "row", "a", "b", "rest", "floating"})
    EXPECT_EQ(one.Find(name)->GetPos(), two.Find(name)->GetPos()) << name;
  EXPECT_EQ(one.pm.Fonts().Get(0).size, 24);
}

Bitmap Solid(int w, int h, Argb c) {
  Bitmap b;
  b.width = w;
  b.height = h;
  b.pixels.assign(static_cast<size_t>(w) * h, c);
  return b;
}

TEST(DisplayScale, ArtDrawnAtTwiceTheScaleIsChosenCopiedAndFilteredDown) {
  ImageCache cache([](const std::string&, std::string*) { return false; });
  EXPECT_EQ(ImageCache::ArtName("res\\a.png", 2), "res\\a@2x.png");
  EXPECT_EQ(ImageCache::ArtName("res.d/a", 3), "res.d/a@3x");
  cache.Put("a.png", Solid(4, 4, 0xFFFF0000));
  // A 2x checker board: every 2x2 block averages to one grey.
  Bitmap checker = Solid(8, 8, 0xFF000000);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      if ((x + y) % 2) checker.pixels[static_cast<size_t>(y) * 8 + x] = 0xFFFFFFFF;
  cache.Put("a@2x.png", checker);
  cache.Put("only.png", Solid(4, 4, 0xFF00FF00));
  EXPECT_EQ(cache.GetForDpi("a.png", 96).art, 1);
  for (int dpi : {120, 144, 192, 288}) {
    const ImageCache::Scaled s = cache.GetForDpi("a.png", dpi);
    EXPECT_EQ(s.art, 2) << dpi;
    EXPECT_EQ(s.bitmap, cache.Get("a@2x.png"));
  }
  EXPECT_EQ(cache.GetForDpi("only.png", 192).art, 1);

  const Bitmap& art = *cache.Get("a@2x.png");
  ImageDescriptor whole;
  // At 2x the art is copied pixel for pixel.
  Bitmap two = Solid(8, 8, 0);
  Surface s2(two);
  DrawImage(s2, art, whole, {0, 0, 8, 8}, {192, 2});
  EXPECT_EQ(two.pixels, art.pixels);
  // At 1x every pixel is the average of the four it covers, not one of
  // them (a point sample would leave the board black and white).
  Bitmap one = Solid(4, 4, 0);
  Surface s1(one);
  DrawImage(s1, art, whole, {0, 0, 4, 4}, {96, 2});
  for (Argb p : one.pixels) {
    EXPECT_EQ(p >> 24, 255u);
    EXPECT_NEAR(static_cast<int>(p & 255), 128, 1);
  }
  // Source rectangles and corners are written at 1x: at 2x art a source of
  // (1,1)-(3,3) is the art's (2,2)-(6,6).
  ImageDescriptor part;
  part.source = {1, 1, 3, 3};
  Bitmap cut = Solid(4, 4, 0);
  Surface sc(cut);
  DrawImage(sc, art, part, {0, 0, 4, 4}, {192, 2});
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(cut.At(x, y), art.At(x + 2, y + 2)) << x << "," << y;
}

}  // namespace
}  // namespace SkinUI
