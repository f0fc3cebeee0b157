#include "uikit/display_dpi_win.h"

#include <string>

#include "uikit/display_dpi.h"

namespace SkinUI {

namespace {

// Windows 10 1607/1703 and later (user32) and Windows 8.1 and later
// (shcore);
// the headers of the oldest system the product starts on declare none.
using SetProcessDpiAwarenessContextFn = BOOL(WINAPI*)(HANDLE);
using SetProcessDpiAwarenessFn = HRESULT(WINAPI*)(int);
using SetProcessDPIAwareFn = BOOL(WINAPI*)();
using GetDpiForSystemFn = UINT(WINAPI*)();
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);

const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
const int kProcessPerMonitorDpiAware = 2;
const int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

template <typename Fn>
Fn Find(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// Taken from System32 by its full path: a shcore.dll beside the downloaded
// installer must never be the one loaded.
HMODULE LoadSystemLibrary(const wchar_t* name) {
  wchar_t system[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  std::wstring path(system, length);
  path += L'\\';
  path += name;
  return LoadLibraryW(path.c_str());  // kept loaded: its functions are cached
}

struct DpiFunctions {
  SetProcessDpiAwarenessContextFn setProcessDpiAwarenessContext = nullptr;
  SetProcessDpiAwarenessFn setProcessDpiAwareness = nullptr;
  SetProcessDPIAwareFn setProcessDpiAware = nullptr;
  GetDpiForSystemFn getDpiForSystem = nullptr;
  GetDpiForWindowFn getDpiForWindow = nullptr;
  GetDpiForMonitorFn getDpiForMonitor = nullptr;
  AdjustWindowRectExForDpiFn adjustWindowRectExForDpi = nullptr;
  GetSystemMetricsForDpiFn getSystemMetricsForDpi = nullptr;

  DpiFunctions() {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    setProcessDpiAwarenessContext = Find<SetProcessDpiAwarenessContextFn>(user32, "SetProcessDpiAwarenessContext");
    setProcessDpiAware = Find<SetProcessDPIAwareFn>(user32, "SetProcessDPIAware");
    getDpiForSystem = Find<GetDpiForSystemFn>(user32, "GetDpiForSystem");
    getDpiForWindow = Find<GetDpiForWindowFn>(user32, "GetDpiForWindow");
    adjustWindowRectExForDpi = Find<AdjustWindowRectExForDpiFn>(user32, "AdjustWindowRectExForDpi");
    getSystemMetricsForDpi = Find<GetSystemMetricsForDpiFn>(user32, "GetSystemMetricsForDpi");
    // Only a system that lacks the newer user32 calls needs shcore's.
    if (!setProcessDpiAwarenessContext || !getDpiForWindow) {
      HMODULE shcore = LoadSystemLibrary(L"shcore.dll");
      setProcessDpiAwareness = Find<SetProcessDpiAwarenessFn>(shcore, "SetProcessDpiAwareness");
      getDpiForMonitor = Find<GetDpiForMonitorFn>(shcore, "GetDpiForMonitor");
    }
  }
};

// Looked up once; a function-local static is initialised once even when
// several threads ask first.
const DpiFunctions& Functions() {
  static const DpiFunctions functions;
  return functions;
}

// The system DPI unclamped: GetSystemMetrics answers at this DPI.
int RawSystemDpi() {
  const DpiFunctions& f = Functions();
  if (f.getDpiForSystem) return static_cast<int>(f.getDpiForSystem());
  HDC screen = GetDC(nullptr);
  if (!screen) return kBaseDpi;
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kBaseDpi;
}

}  // namespace

void DeclareDpiAwareness() {
  const DpiFunctions& f = Functions();
  if (f.setProcessDpiAwarenessContext) {
    // Refused as denied when declared already (by the manifest): that
    // declaration stands.
    if (f.setProcessDpiAwarenessContext(kPerMonitorAwareV2) || GetLastError() == ERROR_ACCESS_DENIED) return;
  }
  if (f.setProcessDpiAwareness) {
    const HRESULT result = f.setProcessDpiAwareness(kProcessPerMonitorDpiAware);
    if (SUCCEEDED(result) || result == E_ACCESSDENIED) return;
  }
  if (f.setProcessDpiAware) f.setProcessDpiAware();
}

int SystemDpi() { return ClampDpi(RawSystemDpi()); }

int WindowDpi(HWND hwnd) {
  const DpiFunctions& f = Functions();
  if (f.getDpiForWindow) {
    const UINT dpi = f.getDpiForWindow(hwnd);
    if (dpi != 0) return ClampDpi(static_cast<int>(dpi));
  }
  if (f.getDpiForMonitor) {
    UINT x = 0;
    UINT y = 0;
    HMONITOR monitor = MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST);
    if (monitor && SUCCEEDED(f.getDpiForMonitor(monitor, kEffectiveDpi, &x, &y)) && x != 0)
      return ClampDpi(static_cast<int>(x));
  }
  return SystemDpi();
}

bool AdjustWindowRectForDpi(RECT* rect, DWORD style, DWORD exStyle, int dpi) {
  const DpiFunctions& f = Functions();
  if (f.adjustWindowRectExForDpi)
    return f.adjustWindowRectExForDpi(rect, style, FALSE, exStyle, static_cast<UINT>(dpi)) != FALSE;
  return AdjustWindowRectEx(rect, style, FALSE, exStyle) != FALSE;
}

int MetricForDpi(int index, int dpi) {
  const DpiFunctions& f = Functions();
  if (f.getSystemMetricsForDpi) return f.getSystemMetricsForDpi(index, static_cast<UINT>(dpi));
  return MulDiv(GetSystemMetrics(index), dpi, RawSystemDpi());
}

}  // namespace SkinUI
