// A fresh process reading the display scale as the installer does at its
// start: before and after declaring itself DPI aware, a frame metric at 96
// and at the scale read, a hidden window's scale, and the width a framed
// window's frame adds at 96 and at the scale read. One line of numbers.
#include <windows.h>

#include <cstdio>

#include "uikit/display_dpi_win.h"

namespace {

int FrameWidth(int dpi) {
  RECT r{0, 0, 100, 100};
  if (!SkinUI::AdjustWindowRectForDpi(&r, WS_OVERLAPPEDWINDOW, 0, dpi)) return -1;
  return (r.right - r.left) - 100;
}

int HiddenWindowDpi() {
  HWND hwnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 10, 10, 50, 50, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  if (!hwnd) return 0;
  const int dpi = SkinUI::WindowDpi(hwnd);
  DestroyWindow(hwnd);
  return dpi;
}

}  // namespace

int main() {
  const int before = SkinUI::SystemDpi();
  SkinUI::DeclareDpiAwareness();
  const int after = SkinUI::SystemDpi();
  std::printf("%d %d %d %d %d %d %d\n", before, after, SkinUI::MetricForDpi(SM_CXVSCROLL, SkinUI::kBaseDpi),
              SkinUI::MetricForDpi(SM_CXVSCROLL, after), HiddenWindowDpi(), FrameWidth(SkinUI::kBaseDpi),
              FrameWidth(after));
  return 0;
}
