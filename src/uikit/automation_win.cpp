// SendInput for input, so it takes the path a user's input takes (hit
// testing, the system's caption drag), and BitBlt from the window's or the
// screen's device context for read-back.
#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

#include "uikit/automation.h"

namespace SkinUI {
namespace Automation {

namespace {

INPUT MouseInput(DWORD flags, Point screen) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags;
  if (flags & MOUSEEVENTF_ABSOLUTE) {
    const int w = GetSystemMetrics(SM_CXSCREEN);
    const int h = GetSystemMetrics(SM_CYSCREEN);
    // Rounded up, so the system's truncating conversion back lands on the
    // very pixel asked for.
    in.mi.dx = static_cast<LONG>((static_cast<long long>(screen.x) * 65536 + w - 1) / w);
    in.mi.dy = static_cast<LONG>((static_cast<long long>(screen.y) * 65536 + h - 1) / h);
  }
  return in;
}

bool Send(INPUT* inputs, UINT count) { return SendInput(count, inputs, sizeof(INPUT)) == count; }

DWORD DownFlag(MouseButton b) {
  return b == MouseButton::kRight ? MOUSEEVENTF_RIGHTDOWN : b == MouseButton::kMiddle ? MOUSEEVENTF_MIDDLEDOWN
                                                                                       : MOUSEEVENTF_LEFTDOWN;
}

DWORD UpFlag(MouseButton b) {
  return b == MouseButton::kRight ? MOUSEEVENTF_RIGHTUP : b == MouseButton::kMiddle ? MOUSEEVENTF_MIDDLEUP
                                                                                     : MOUSEEVENTF_LEFTUP;
}

constexpr DWORD kMoveTo = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;

Bitmap Grab(HDC source, int x, int y, int width, int height) {
  Bitmap out;
  if (width <= 0 || height <= 0) return out;
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
  bmi.bmiHeader.biWidth = width;
  bmi.bmiHeader.biHeight = -height;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC mem = CreateCompatibleDC(source);
  HBITMAP dib = CreateDIBSection(mem, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dib && bits) {
    HGDIOBJ old = SelectObject(mem, dib);
    if (BitBlt(mem, 0, 0, width, height, source, x, y, SRCCOPY)) {
      GdiFlush();
      out.width = width;
      out.height = height;
      const auto* p = static_cast<const uint32_t*>(bits);
      out.pixels.assign(p, p + static_cast<size_t>(width) * height);
      for (auto& px : out.pixels) px |= 0xFF000000u;
    }
    SelectObject(mem, old);
  }
  if (dib) DeleteObject(dib);
  DeleteDC(mem);
  return out;
}

}  // namespace

bool ClientToScreen(const WindowHost& host, Point client, Point* screen) {
  HWND hwnd = static_cast<HWND>(host.NativeHandle());
  POINT pt{client.x, client.y};
  if (!hwnd || !::ClientToScreen(hwnd, &pt)) return false;
  *screen = Point{pt.x, pt.y};
  return true;
}

bool MouseMove(const WindowHost& host, Point client) {
  Point p;
  if (!ClientToScreen(host, client, &p)) return false;
  INPUT in = MouseInput(kMoveTo, p);
  return Send(&in, 1);
}

bool MouseDown(const WindowHost& host, Point client, MouseButton button) {
  Point p;
  if (!ClientToScreen(host, client, &p)) return false;
  INPUT in[2] = {MouseInput(kMoveTo, p), MouseInput(DownFlag(button), p)};
  return Send(in, 2);
}

bool MouseUp(const WindowHost& host, Point client, MouseButton button) {
  Point p;
  if (!ClientToScreen(host, client, &p)) return false;
  INPUT in[2] = {MouseInput(kMoveTo, p), MouseInput(UpFlag(button), p)};
  return Send(in, 2);
}

bool Click(const WindowHost& host, Point client, MouseButton button) {
  Point p;
  if (!ClientToScreen(host, client, &p)) return false;
  INPUT in[3] = {MouseInput(kMoveTo, p), MouseInput(DownFlag(button), p), MouseInput(UpFlag(button), p)};
  return Send(in, 3);
}

bool Drag(const WindowHost& host, Point from, Point to) {
  Point start;
  if (!ClientToScreen(host, from, &start)) return false;
  // All in one batch: a caption press enters the system's move loop, which
  // then reads the rest from the queue while this thread is inside it.
  constexpr int kSteps = 4;
  INPUT in[kSteps + 3];
  in[0] = MouseInput(kMoveTo, start);
  in[1] = MouseInput(MOUSEEVENTF_LEFTDOWN, start);
  Point end = start;
  for (int i = 1; i <= kSteps; ++i) {
    end = Point{start.x + (to.x - from.x) * i / kSteps, start.y + (to.y - from.y) * i / kSteps};
    in[1 + i] = MouseInput(kMoveTo, end);
  }
  in[kSteps + 2] = MouseInput(MOUSEEVENTF_LEFTUP, end);
  return Send(in, kSteps + 3);
}

bool DragScreen(Point from, Point to) {
  // One batch, as Drag: the system's move loop reads the rest itself.
  constexpr int kSteps = 8;
  INPUT in[kSteps + 3];
  in[0] = MouseInput(kMoveTo, from);
  in[1] = MouseInput(MOUSEEVENTF_LEFTDOWN, from);
  for (int i = 1; i <= kSteps; ++i)
    in[1 + i] = MouseInput(kMoveTo, Point{from.x + (to.x - from.x) * i / kSteps, from.y + (to.y - from.y) * i / kSteps});
  in[kSteps + 2] = MouseInput(MOUSEEVENTF_LEFTUP, to);
  return Send(in, kSteps + 3);
}

bool ClickScreen(Point screen) {
  INPUT in[3] = {MouseInput(kMoveTo, screen), MouseInput(MOUSEEVENTF_LEFTDOWN, screen),
                 MouseInput(MOUSEEVENTF_LEFTUP, screen)};
  return Send(in, 3);
}

namespace {

INPUT KeyInput(int virtualKey, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = static_cast<WORD>(virtualKey);
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  // The navigation keys of their own block, not the keypad's that share
  // their codes (which Shift turns back into digits).
  switch (virtualKey) {
    case VK_HOME: case VK_END: case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
    case VK_PRIOR: case VK_NEXT: case VK_INSERT: case VK_DELETE:
      in.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
      break;
    default:
      break;
  }
  return in;
}

}  // namespace

bool PressKey(int virtualKey, int modifiers) {
  std::vector<int> held;
  if (modifiers & kModShift) held.push_back(VK_SHIFT);
  if (modifiers & kModControl) held.push_back(VK_CONTROL);
  if (modifiers & kModAlt) held.push_back(VK_MENU);
  std::vector<INPUT> in;
  for (int m : held) in.push_back(KeyInput(m, false));
  in.push_back(KeyInput(virtualKey, false));
  in.push_back(KeyInput(virtualKey, true));
  for (auto it = held.rbegin(); it != held.rend(); ++it) in.push_back(KeyInput(*it, true));
  return Send(in.data(), static_cast<UINT>(in.size()));
}

bool TypeText(const std::string& utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  if (n <= 0) return utf8.empty();
  std::wstring text(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &text[0], n);
  std::vector<INPUT> in;
  for (wchar_t unit : text) {
    INPUT key{};
    key.type = INPUT_KEYBOARD;
    key.ki.wScan = static_cast<WORD>(unit);
    key.ki.dwFlags = KEYEVENTF_UNICODE;
    in.push_back(key);
    key.ki.dwFlags |= KEYEVENTF_KEYUP;
    in.push_back(key);
  }
  return Send(in.data(), static_cast<UINT>(in.size()));
}

bool HoldsKeyboard(const WindowHost& host) {
  HWND hwnd = static_cast<HWND>(host.NativeHandle());
  HWND focus = GetFocus();
  return hwnd && GetForegroundWindow() == hwnd && GetActiveWindow() == hwnd && (focus == hwnd || IsChild(hwnd, focus));
}

bool NativeEditRect(const WindowHost& host, Rect* client) {
  HWND hwnd = static_cast<HWND>(host.NativeHandle());
  HWND edit = hwnd ? FindWindowExW(hwnd, nullptr, L"Edit", nullptr) : nullptr;
  RECT r;
  if (!edit || !IsWindowVisible(edit) || !GetWindowRect(edit, &r)) return false;
  MapWindowPoints(HWND_DESKTOP, hwnd, reinterpret_cast<POINT*>(&r), 2);
  *client = Rect{r.left, r.top, r.right, r.bottom};
  return true;
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    WindowHost::PumpMessages(static_cast<int>(left.count() < 20 ? left.count() : 20));
  }
  return true;
}

Bitmap CaptureWindow(const WindowHost& host) {
  HWND hwnd = static_cast<HWND>(host.NativeHandle());
  RECT r;
  if (!hwnd || !IsWindowVisible(hwnd) || !GetClientRect(hwnd, &r)) return Bitmap{};
  HDC dc = GetDC(hwnd);
  Bitmap out = Grab(dc, 0, 0, r.right, r.bottom);
  ReleaseDC(hwnd, dc);
  return out;
}

Bitmap CaptureScreen() {
  HDC dc = GetDC(nullptr);
  Bitmap out = Grab(dc, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  ReleaseDC(nullptr, dc);
  return out;
}

}  // namespace Automation
}  // namespace SkinUI
