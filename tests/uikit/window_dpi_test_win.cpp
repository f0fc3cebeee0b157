// A window moved to a monitor of another scale, as Windows tells it: the
// real WM_DPICHANGED through the window's own procedure.
#include <windows.h>

#include <gtest/gtest.h>

#include "uikit/automation.h"
#include "uikit/window_impl_base.h"

namespace {

using namespace SkinUI;

constexpr int kWait = 5000;  // ms; only a bound
constexpr UINT kDpiChanged = 0x02E0;

class DpiWindow : public WindowImplBase {
 protected:
  std::string GetWindowClassName() const override { return "SkinUIDpiTestWnd"; }
  std::string GetSkinFolder() const override { return "wnd"; }
  std::string GetSkinFile() const override { return "Test.xml"; }
};

TEST(WindowDpiChange, TheWindowTakesTheSuggestedRectangleAndIsLaidOutAndDrawnAtTheNewScale) {
  DpiWindow w;
  ASSERT_TRUE(w.Create(nullptr, L"dpi test"));
  const int start = w.PaintManager().Dpi();
  w.Host().Move(Point{60, 60});
  w.ShowWindow();
  const Size at1x = w.Host().ClientSize();
  ASSERT_EQ(at1x.cx, ScaleLength(240, start));
  HWND hwnd = static_cast<HWND>(w.Host().NativeHandle());

  for (const int dpi : {144, 192, start}) {
    SCOPED_TRACE(dpi);
    const Rect r = w.Host().WindowRect();
    // What the system suggests: the same corner, the size at the new scale.
    RECT suggested{r.left, r.top, r.left + ScaleLength(240, dpi), r.top + ScaleLength(160, dpi)};
    SendMessageW(hwnd, kDpiChanged, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(w.PaintManager().Dpi(), dpi);
    EXPECT_EQ(w.Host().ClientSize().cx, ScaleLength(240, dpi));
    EXPECT_EQ(w.Host().ClientSize().cy, ScaleLength(160, dpi));
    // Laid out again (before the next paint): the button sits below the
    // 35-pixel band, 20 in, at the scale, and is drawn there.
    w.PaintManager().LayoutIfNeeded();
    const Rect go = w.FindControl("go")->GetPos();
    EXPECT_EQ(go.left, ScaleLength(20, dpi));
    EXPECT_EQ(go.Width(), ScaleLength(80, dpi));
    EXPECT_EQ(go.top, ScaleLength(35, dpi));
    const Point inside{go.right - 2, go.bottom - 2};
    EXPECT_TRUE(Automation::WaitFor(
        [&] {
          const Bitmap shot = Automation::CaptureWindow(w.Host());
          return !shot.IsEmpty() && shot.width == ScaleLength(240, dpi) && shot.At(inside.x, inside.y) == 0xFF20CC20u;
        },
        kWait));
    EXPECT_EQ(w.HitTest(Point{ScaleLength(60, dpi), ScaleLength(34, dpi)}), kHitCaption);
    EXPECT_EQ(w.HitTest(Point{ScaleLength(60, dpi), ScaleLength(36, dpi)}), kHitClient);
  }
  w.Host().Destroy();
}

}  // namespace
