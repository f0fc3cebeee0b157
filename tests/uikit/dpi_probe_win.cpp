// A fresh process reading the display scale as the installer does at its
// start: before and after declaring itself DPI aware, and a frame metric
// at the scale read. One line: "<before> <after> <metric at 96> <metric>".
#include <windows.h>

#include <cstdio>

#include "uikit/display_dpi_win.h"

int main() {
  const int before = SkinUI::SystemDpi();
  SkinUI::DeclareDpiAwareness();
  const int after = SkinUI::SystemDpi();
  std::printf("%d %d %d %d\n", before, after, SkinUI::MetricForDpi(SM_CXVSCROLL, SkinUI::kBaseDpi),
              SkinUI::MetricForDpi(SM_CXVSCROLL, after));
  return 0;
}
