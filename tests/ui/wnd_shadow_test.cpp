// The frame window's drop shadow on real windows of a display with a
// compositor: where it goes, what it looks like on the screen, and how it
// follows its window through moves, maximising and hiding.
#include "ui/wnd_shadow.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "host_png.h"
#include "support/display_probe.h"
#include "ui/localization.h"
#include "ui/message_box.h"
#include "ui/skin_frame.h"
#include "uikit/control.h"
#include "uikit/automation.h"
#include "uikit/package.h"

namespace {

using namespace SkinUI;

constexpr int kWait = 5000;  // ms; only a bound

TEST(WndShadow, OutOfRangeSettingsAreRefusedAndChangeNothing) {
  CWndShadow shadow;
  ASSERT_TRUE(shadow.SetSize(6));
  ASSERT_TRUE(shadow.SetSharpness(10));
  ASSERT_TRUE(shadow.SetDarkness(20));
  ASSERT_TRUE(shadow.SetPosition(1, 1));
  EXPECT_FALSE(shadow.SetSize(21));
  EXPECT_FALSE(shadow.SetSharpness(21));
  EXPECT_FALSE(shadow.SetDarkness(256));
  EXPECT_FALSE(shadow.SetPosition(0, -21));
  EXPECT_EQ(shadow.Params().size(), 6);
  EXPECT_EQ(shadow.Params().sharpness(), 10);
  EXPECT_EQ(shadow.Params().darkness(), 20);
  EXPECT_EQ(shadow.Params().xOffset(), 1);
  EXPECT_EQ(shadow.Params().yOffset(), 1);
}

// A plain white window under the frame, so the shadow darkens white.
struct White : IHostHandler {
  bool OnHostEvent(const HostEvent&) override { return true; }
  void Paint(const Rect& dirty, Bitmap& back) override {
    for (int y = dirty.top; y < dirty.bottom; ++y)
      for (int x = dirty.left; x < dirty.right; ++x) back.pixels[static_cast<size_t>(y) * back.width + x] = 0xFFFFFFFF;
  }
};

class Frame : public CSkinFrame {
 public:
  Frame() : CSkinFrame(SkinDescriptor{kSkinResourceId, "", "MessageBox1Wnd.xml", "ShadowTestWnd"}) {}
};

int Grey(Argb c) { return c & 0xFF; }

class FrameShadowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Initialize decides once per process, so it is asked only once the
    // compositor that starts with the test runs (which on a loaded machine
    // can take many seconds).
    if (quillon_test::WaitForCompositor(60000)) CWndShadow::Initialize();
  }
  void SetUp() override {
    ASSERT_TRUE(CWndShadow::Available());
    HostOptions options;
    options.size = Size{600, 400};
    ASSERT_TRUE(below.Create(&white, options));
    below.Move(Point{100, 100});
    below.Show(false);
    below.InvalidateAll();
    ASSERT_TRUE(frame.Create(nullptr, L"shadow"));
    frame.Host().Move(kAt);
    frame.ShowWindow();
    ASSERT_TRUE(Automation::WaitFor([&] { return frame.Shadow().PopupVisible() && frame.Host().IsVisible(); }, kWait));
    Automation::WaitFor([] { return false; }, 200);  // painted and blended
  }

  Rect Expected(Point at) const {
    // 12 pixels larger than the 360 x 180 window, 5 up and left of it.
    return Rect{at.x - 5, at.y - 5, at.x - 5 + 372, at.y - 5 + 192};
  }

  static constexpr Point kAt{200, 150};
  White white;
  WindowHost below;
  Frame frame;
};

TEST_F(FrameShadowTest, TheLayoutsShadowIsTwelvePixelsLargerFiveUpAndLeftAndDarkensWhatIsBelow) {
  const CWndShadow& s = frame.Shadow();
  EXPECT_EQ(s.Params().size(), 6);
  EXPECT_EQ(s.Params().sharpness(), 10);
  EXPECT_EQ(s.Params().darkness(), 20);
  EXPECT_EQ(s.Status(), CWndShadow::kEnabled | CWndShadow::kVisible | CWndShadow::kParentVisible);
  EXPECT_EQ(s.Pixels().width, 372);
  EXPECT_EQ(s.Pixels().height, 192);
  EXPECT_EQ(s.ScreenRect(), Expected(kAt));

  // On the screen: darker than white just outside the right and bottom
  // edges, lighter further out, white beyond the shadow.
  Bitmap screen;
  const Point edge{kAt.x + 360 + 1, kAt.y + 90};
  ASSERT_TRUE(Automation::WaitFor(
      [&] {
        screen = Automation::CaptureScreen();
        return !screen.IsEmpty() && Grey(screen.At(edge.x, edge.y)) < 0xFF;
      },
      kWait))
      << std::hex << screen.At(edge.x, edge.y);
  EXPECT_LT(Grey(screen.At(edge.x, edge.y)), Grey(screen.At(edge.x + 4, edge.y)));
  EXPECT_LT(Grey(screen.At(kAt.x + 180, kAt.y + 180 + 1)), 0xFF);
  EXPECT_EQ(Grey(screen.At(kAt.x + 360 + 12, kAt.y + 90)), 0xFF);
  Bitmap crop;
  crop.width = 372 + 20;
  crop.height = 192 + 20;
  for (int y = 0; y < crop.height; ++y)
    for (int x = 0; x < crop.width; ++x) crop.pixels.push_back(screen.At(kAt.x - 15 + x, kAt.y - 15 + y));
  host_test::SaveScreenshot(crop, "frame-shadow");
}

TEST_F(FrameShadowTest, AMoveRepositionsTheShadowWithoutRecomputingIt) {
  const int updates = frame.Shadow().UpdateCount();
  const Point to{260, 200};
  frame.Host().Move(to);
  ASSERT_TRUE(Automation::WaitFor([&] { return frame.Shadow().ScreenRect() == Expected(to); }, kWait))
      << frame.Shadow().ScreenRect().left << "," << frame.Shadow().ScreenRect().top << " window "
      << frame.Host().WindowRect().left << "," << frame.Host().WindowRect().top;
  EXPECT_EQ(frame.Shadow().UpdateCount(), updates);
  // Dragged by its caption, the prompt takes its shadow along.
  ASSERT_TRUE(Automation::Drag(frame.Host(), Point{150, 15}, Point{180, 35}));
  const Point dragged{to.x + 30, to.y + 20};
  EXPECT_TRUE(Automation::WaitFor([&] { return frame.Shadow().ScreenRect() == Expected(dragged); }, kWait))
      << frame.Shadow().ScreenRect().left << "," << frame.Shadow().ScreenRect().top;
  EXPECT_EQ(frame.Host().WindowRect().left, dragged.x);
}

TEST_F(FrameShadowTest, MaximisingHidesTheShadowAndRestoringShowsIt) {
  frame.Host().Maximize();
  ASSERT_TRUE(Automation::WaitFor([&] { return !frame.Shadow().PopupVisible(); }, kWait));
  EXPECT_FALSE(frame.Shadow().Status() & CWndShadow::kVisible);
  frame.Host().Restore();
  ASSERT_TRUE(Automation::WaitFor([&] { return frame.Shadow().PopupVisible(); }, kWait));
  EXPECT_TRUE(frame.Shadow().Status() & CWndShadow::kVisible);
  EXPECT_TRUE(Automation::WaitFor([&] { return frame.Shadow().ScreenRect() == Expected(kAt); }, kWait));
}

TEST_F(FrameShadowTest, AWindowShownAgainRedrawsItsShadowAtItsNextPaint) {
  frame.ShowWindow(false);
  ASSERT_TRUE(Automation::WaitFor([&] { return !frame.Shadow().PopupVisible(); }, kWait));
  EXPECT_EQ(frame.Shadow().Status(), static_cast<unsigned>(CWndShadow::kEnabled));
  const int updates = frame.Shadow().UpdateCount();
  frame.ShowWindow();
  ASSERT_TRUE(Automation::WaitFor([&] { return frame.Shadow().UpdateCount() > updates; }, kWait));
  EXPECT_TRUE(frame.Shadow().PopupVisible());
  // A setter redraws a visible shadow at once.
  const int before = frame.Shadow().UpdateCount();
  EXPECT_TRUE(frame.Shadow().SetDarkness(60));
  EXPECT_EQ(frame.Shadow().UpdateCount(), before + 1);
}

TEST_F(FrameShadowTest, AnImageShadowIsTheImageStretchedAroundTheWindowByItsCorner) {
  Bitmap ring;
  ring.width = ring.height = 24;
  ring.pixels.assign(24 * 24, 0x40000000u);  // a quarter-dark black, premultiplied
  frame.PaintManager().Images().Put("shadow.png", ring);
  EXPECT_FALSE(frame.Shadow().SetImage(frame.PaintManager().Images(), "missing.png", Rect{}, Rect{}));
  EXPECT_EQ(frame.Shadow().Pixels().width, 372);  // the computed shadow stays
  ASSERT_TRUE(frame.Shadow().SetImage(frame.PaintManager().Images(), "shadow.png", Rect{8, 4, 8, 12},
                                      Rect{6, 6, 6, 6}));
  EXPECT_EQ(frame.Shadow().Pixels().width, 360 + 16);
  EXPECT_EQ(frame.Shadow().Pixels().height, 180 + 16);
  EXPECT_EQ(frame.Shadow().ScreenRect(), (Rect{kAt.x - 8, kAt.y - 4, kAt.x + 368, kAt.y + 192}));
  EXPECT_EQ(frame.Shadow().Pixels().At(0, 0), 0x40000000u);
  EXPECT_EQ(frame.Shadow().Pixels().At(375, 195), 0x40000000u);
}

// Each prompt as it shows on the screen, over a white window, with its
// shadow: what the screenshots in docs/window come from.
TEST_F(FrameShadowTest, EveryPromptShowsWithItsShadow) {
  struct Case {
    const char* layout;
    const char* text;
    const char* caption;
  };
  const Case cases[] = {
      {"MessageBox1Wnd.xml", "Quillon is running.\r\nPlease quit Quillon and try again.", "Quillon Setup"},
      {"MessageBox2Wnd.xml", "Not enough free space. Quillon needs at least 1 GB. Please choose another folder.",
       "Quillon Setup"},
      {"ExitTipWnd.xml", nullptr, nullptr},
      {"NetworkTipWnd.xml", nullptr, nullptr},
      {"InstalledPathTipWnd.xml", nullptr, nullptr},
  };
  frame.ShowWindow(false);
  // The layouts' texts in English, as the installer starts.
  Localization::LoadLanguage(
      [](const std::string& name, std::string* bytes) {
        std::string error;
        const SkinPackage* package = OpenEmbeddedSkinPackage(&error);
        return package && package->ReadEntry(name, bytes, &error);
      },
      0, L"");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.layout);
    CMessageBoxWnd box(c.layout);
    ASSERT_TRUE(box.Create(nullptr, L"消息框"));
    if (c.text) box.TextLabel()->SetText(c.text);
    if (c.caption) box.CaptionLabel()->SetText(c.caption);
    const Point at{220, 200};
    box.Host().Move(at);
    box.ShowWindow();
    const Size size = box.Host().ClientSize();
    ASSERT_TRUE(Automation::WaitFor([&] { return box.Shadow().PopupVisible(); }, kWait));
    EXPECT_EQ(box.Shadow().Pixels().width, size.cx + 12);
    EXPECT_EQ(box.Shadow().ScreenRect().left, at.x - 5);
    // Shown and blended: the body white, the shadow below the window grey.
    Bitmap screen;
    const Point below{at.x + size.cx / 2, at.y + size.cy + 1};
    ASSERT_TRUE(Automation::WaitFor(
        [&] {
          screen = Automation::CaptureScreen();
          if (screen.IsEmpty() || Grey(screen.At(below.x, below.y)) == 0xFF ||
              screen.At(at.x + 10, at.y + 100) != 0xFFFFFFFFu)
            return false;
          // Painted: the caption's dark text is there.
          for (int y = at.y + 5; y < at.y + 28; ++y)
            for (int x = at.x + 10; x < at.x + 120; ++x)
              if (Grey(screen.At(x, y)) < 0x80) return true;
          return false;
        },
        kWait));
    Bitmap crop;
    crop.width = size.cx + 24;
    crop.height = size.cy + 24;
    for (int y = 0; y < crop.height; ++y)
      for (int x = 0; x < crop.width; ++x) crop.pixels.push_back(screen.At(at.x - 10 + x, at.y - 10 + y));
    std::string name = c.layout;
    host_test::SaveScreenshot(crop, "prompt-" + name.substr(0, name.find('.')));
    box.Host().Destroy();
  }
}

}  // namespace
