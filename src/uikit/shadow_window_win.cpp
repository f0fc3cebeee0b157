// The shadow popup on Win32: a layered window fed whole bitmaps with
// UpdateLayeredWindow, looked up at run time because the oldest systems the
// product starts on may lack it.
#include <windows.h>

#include <cstring>

#include "uikit/shadow_window.h"

namespace SkinUI {

namespace {

using UpdateLayeredWindowFn = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD);

struct ShadowClass {
  bool initialized = false;
  UpdateLayeredWindowFn update = nullptr;  // null: shadows off
};

ShadowClass& Shared() {
  static ShadowClass shared;
  return shared;
}

const wchar_t kClassName[] = L"SkinShadowWnd";

LRESULT CALLBACK ShadowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

struct ShadowWindow::Impl {
  HWND hwnd = nullptr;
  Rect rect;
};

bool ShadowWindow::Initialize() {
  ShadowClass& s = Shared();
  if (s.initialized) return false;
  s.initialized = true;
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  auto update = user32 ? reinterpret_cast<UpdateLayeredWindowFn>(
                             reinterpret_cast<void*>(GetProcAddress(user32, "UpdateLayeredWindow")))
                       : nullptr;
  if (!update) return false;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = ShadowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
  wc.lpszClassName = kClassName;
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  s.update = update;
  return true;
}

bool ShadowWindow::Available() { return Shared().update != nullptr; }

ShadowWindow::ShadowWindow() : impl_(std::make_unique<Impl>()) {}

ShadowWindow::~ShadowWindow() { Destroy(); }

bool ShadowWindow::Create(const WindowHost& owner) {
  HWND ownerHwnd = static_cast<HWND>(owner.NativeHandle());
  if (!Available() || impl_->hwnd || !ownerHwnd) return false;
  impl_->hwnd = CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT, kClassName, nullptr, WS_POPUPWINDOW, 0, 0, 0, 0,
                                ownerHwnd, nullptr, GetModuleHandleW(nullptr), nullptr);
  return impl_->hwnd != nullptr;
}

bool ShadowWindow::IsCreated() const { return impl_->hwnd != nullptr && IsWindow(impl_->hwnd); }

void ShadowWindow::Destroy() {
  // The owner's destruction may have taken the popup already.
  if (impl_->hwnd && IsWindow(impl_->hwnd)) DestroyWindow(impl_->hwnd);
  impl_->hwnd = nullptr;
}

void ShadowWindow::Update(const Bitmap& pixels, Point pos) {
  if (!IsCreated() || pixels.IsEmpty()) return;
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
  bmi.bmiHeader.biWidth = pixels.width;
  bmi.bmiHeader.biHeight = -pixels.height;  // top-down, as the bitmap's rows
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(mem, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dib && bits) {
    // Premultiplied 0xAARRGGBB words are the BGRA bytes ULW_ALPHA wants.
    std::memcpy(bits, pixels.pixels.data(), pixels.pixels.size() * sizeof(Argb));
    HGDIOBJ old = SelectObject(mem, dib);
    SetWindowPos(impl_->hwnd, nullptr, pos.x, pos.y, pixels.width, pixels.height,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    POINT dst{pos.x, pos.y};
    SIZE size{pixels.width, pixels.height};
    POINT src{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    Shared().update(impl_->hwnd, screen, &dst, &size, mem, &src, 0, &blend, ULW_ALPHA);
    SelectObject(mem, old);
    impl_->rect = Rect{pos.x, pos.y, pos.x + pixels.width, pos.y + pixels.height};
  }
  if (dib) DeleteObject(dib);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
}

void ShadowWindow::Move(Point pos) {
  if (!IsCreated()) return;
  SetWindowPos(impl_->hwnd, nullptr, pos.x, pos.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  impl_->rect = impl_->rect.Offset(pos.x - impl_->rect.left, pos.y - impl_->rect.top);
}

void ShadowWindow::Show() {
  if (IsCreated()) ShowWindow(impl_->hwnd, SW_SHOWNOACTIVATE);
}

void ShadowWindow::Hide() {
  if (IsCreated()) ShowWindow(impl_->hwnd, SW_HIDE);
}

bool ShadowWindow::IsVisible() const { return IsCreated() && IsWindowVisible(impl_->hwnd); }
Rect ShadowWindow::ScreenRect() const { return impl_->rect; }
void* ShadowWindow::NativeHandle() const { return impl_->hwnd; }

}  // namespace SkinUI
