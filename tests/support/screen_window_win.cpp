#include <windows.h>

#include "support/screen_window.h"
#include "utils/utf8.h"

namespace quillon_test {

bool FindTopLevelWindow(const std::wstring& title, const std::string& className, ScreenRect* rect) {
  const std::wstring wideClass = Utils::Utf8ToWide(className);
  HWND window = FindWindowW(className.empty() ? nullptr : wideClass.c_str(), title.c_str());
  if (!window || !IsWindowVisible(window)) return false;
  RECT r{};
  if (!GetWindowRect(window, &r)) return false;
  *rect = ScreenRect{r.left, r.top, r.right, r.bottom};
  return true;
}

std::vector<uint32_t> ScreenPixels(const ScreenRect& area, int* width, int* height) {
  std::vector<uint32_t> pixels;
  *width = *height = 0;
  const int left = area.left > 0 ? area.left : 0, top = area.top > 0 ? area.top : 0;
  const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
  const int right = area.right < screenW ? area.right : screenW;
  const int bottom = area.bottom < screenH ? area.bottom : screenH;
  if (right <= left || bottom <= top) return pixels;
  const int w = right - left, h = bottom - top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dib && bits) {
    HGDIOBJ old = SelectObject(memory, dib);
    if (BitBlt(memory, 0, 0, w, h, screen, left, top, SRCCOPY)) {
      GdiFlush();
      const uint32_t* p = static_cast<const uint32_t*>(bits);
      pixels.reserve(static_cast<size_t>(w) * h);
      for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i) pixels.push_back(0xFF000000u | (p[i] & 0xFFFFFFu));
      *width = w;
      *height = h;
    }
    SelectObject(memory, old);
  }
  if (dib) DeleteObject(dib);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

}  // namespace quillon_test
