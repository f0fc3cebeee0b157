#include <windows.h>
#include <objbase.h>

#include "ui/main_wnd.h"
#include "utils/probe.h"

namespace {
constexpr int kWindowIconId = 145;
}

void CMainWnd::SetWindowIcon() {
  HWND hwnd = static_cast<HWND>(Host().NativeHandle());
  if (!hwnd) return;
  HINSTANCE module = GetModuleHandleW(nullptr);
  if (HICON big = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(kWindowIconId), IMAGE_ICON,
                                                GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0)))
    SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  if (HICON small = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(kWindowIconId), IMAGE_ICON,
                                                  GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)))
    SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

void CMainWnd::BringToFront() {
  HWND hwnd = static_cast<HWND>(Host().NativeHandle());
  if (!hwnd) return;
  if (IsIconic(hwnd)) ShowWindow(hwnd, SW_RESTORE);
  SetForegroundWindow(hwnd);
}

int32_t CMainWnd::RunNetworkCheck() {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  const int32_t result = Utils::CheckNetwork();
  if (SUCCEEDED(com)) CoUninitialize();
  return result;
}
