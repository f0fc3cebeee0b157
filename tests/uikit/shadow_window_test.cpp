// The shadow popup on a display with a compositor: it blends over what lies
// below and lets clicks through.
#include "uikit/shadow_window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "host_png.h"
#include "uikit/automation.h"
#include "support/display_probe.h"

namespace {

using namespace SkinUI;

struct Plain : IHostHandler {
  Argb fill = 0xFFFFFFFF;
  int downs = 0;
  bool OnHostEvent(const HostEvent& e) override {
    downs += e.type == HostEventType::kMouseDown;
    return true;
  }
  void Paint(const Rect& dirty, Bitmap& back) override {
    for (int y = dirty.top; y < dirty.bottom; ++y)
      for (int x = dirty.left; x < dirty.right; ++x) back.pixels[static_cast<size_t>(y) * back.width + x] = fill;
  }
};

void Open(WindowHost& host, Plain& handler, Rect at) {
  HostOptions options;
  options.size = Size{at.Width(), at.Height()};
  ASSERT_TRUE(host.Create(&handler, options));
  host.Move(Point{at.left, at.top});
  host.Show();
  host.InvalidateAll();
  ASSERT_TRUE(Automation::WaitFor(
      [&] {
        const Bitmap shot = Automation::CaptureWindow(host);
        return !shot.IsEmpty() && shot.At(at.Width() / 2, at.Height() / 2) == handler.fill;
      },
      5000));
}

TEST(ShadowWindowTest, BlendsOverWhatLiesBelowAndLetsClicksThrough) {
  // Initialize decides once per process, so it is asked only once the
  // compositor that starts with the test runs.
  ASSERT_TRUE(quillon_test::WaitForCompositor(60000));
  ASSERT_TRUE(ShadowWindow::Initialize());
  EXPECT_TRUE(ShadowWindow::Available());
  EXPECT_FALSE(ShadowWindow::Initialize());  // once per process

  WindowHost below, owner;
  Plain belowHandler, ownerHandler;
  ownerHandler.fill = 0xFF3060C0;
  Open(below, belowHandler, Rect{100, 100, 500, 400});
  Open(owner, ownerHandler, Rect{150, 150, 250, 230});

  ShadowWindow shadow;
  ASSERT_TRUE(shadow.Create(owner));
  Bitmap pixels;
  pixels.width = 120;
  pixels.height = 100;
  pixels.pixels.assign(120 * 100, 0x80000000u);  // half-dark black, premultiplied
  shadow.Update(pixels, Point{140, 140});
  shadow.Show();
  EXPECT_TRUE(shadow.IsVisible());
  EXPECT_EQ(shadow.ScreenRect(), (Rect{140, 140, 260, 240}));

  // White under half-dark black: mid grey, where the owner does not cover it.
  Bitmap screen;
  auto grey = [](Argb c) {
    const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
    return r > 100 && r < 160 && g > 100 && g < 160 && b > 100 && b < 160;
  };
  ASSERT_TRUE(Automation::WaitFor(
      [&] {
        screen = Automation::CaptureScreen();
        return !screen.IsEmpty() && grey(screen.At(145, 235));
      },
      5000))
      << std::hex << screen.At(145, 235);
  EXPECT_EQ(screen.At(300, 300), 0xFFFFFFFFu);
  Bitmap crop;
  crop.width = 200;
  crop.height = 160;
  for (int y = 0; y < crop.height; ++y)
    for (int x = 0; x < crop.width; ++x) crop.pixels.push_back(screen.At(100 + x, 100 + y));
  host_test::SaveScreenshot(crop, "host-shadow");

  ASSERT_TRUE(Automation::ClickScreen(Point{145, 235}));
  EXPECT_TRUE(Automation::WaitFor([&] { return belowHandler.downs == 1; }, 5000));

  shadow.Move(Point{300, 300});
  EXPECT_EQ(shadow.ScreenRect(), (Rect{300, 300, 420, 400}));
  shadow.Hide();
  EXPECT_FALSE(shadow.IsVisible());

  // The owner goes first (on Windows its owned popup goes with it); the
  // shadow's next restack names a window that no longer exists, which must
  // not end the process.
  shadow.Show();
  owner.Destroy();
  shadow.Update(pixels, Point{160, 160});
  shadow.Move(Point{170, 170});
  shadow.Destroy();
  EXPECT_TRUE(Automation::WaitFor([&] { return !Automation::CaptureScreen().IsEmpty(); }, 5000));
}

}  // namespace
