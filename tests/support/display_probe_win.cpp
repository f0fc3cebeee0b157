#include <windows.h>

#include "support/display_probe.h"

namespace quillon_test {

ScreenSize OpenScreen() {
  return ScreenSize{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

bool CanShowWindow() {
  HWND window = CreateWindowExW(0, L"STATIC", L"display probe", WS_POPUP, 0, 0, 64, 64, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!window) return false;
  ShowWindow(window, SW_SHOWNOACTIVATE);
  UpdateWindow(window);
  const bool shown = IsWindowVisible(window) != FALSE;
  DestroyWindow(window);
  return shown;
}

// Layered windows are blended by the system itself.
bool WaitForCompositor(int) { return true; }

}  // namespace quillon_test
