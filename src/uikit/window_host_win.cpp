// The window host on Win32: a WS_POPUP window whose whole rectangle is client
// area, the handler's hit codes answering WM_NCHITTEST (so the system itself
// drags the caption band), the rounded region re-applied on every WM_SIZE,
// and painting from a top-down 32-bit back buffer inside WM_PAINT. A popup
// is a tool window that is never activated; the native edit field is the
// system's EDIT control as a child of the window.
//
// One file because every part of it (the window procedure, the pump, the
// modal run, the native field and the DPI change) works on the same Impl
// and the same table of live windows, which no other file may see.
#include <windows.h>
#include <imm.h>
#include <windowsx.h>

#include <algorithm>
#include <set>
#include <vector>

#include "uikit/display_dpi_win.h"
#include "uikit/window_host.h"

namespace SkinUI {

namespace {

// WM_DPICHANGED, which headers for Windows 7 do not name.
constexpr UINT kWmDpiChanged = 0x02E0;

struct QuitState {  // UI thread only: a WM_QUIT taken off the queue by a pump
  bool pending = false;
  int code = 0;
};

QuitState& Quit() {
  static QuitState state;
  return state;
}

// The host's live windows (UI thread only), painted by PumpMessages itself.
std::set<HWND>& LiveWindows() {
  static std::set<HWND> windows;
  return windows;
}

std::string Narrow(const wchar_t* s, size_t length) {
  if (!length) return std::string();
  const int n = WideCharToMultiByte(CP_UTF8, 0, s, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(std::max(n, 0)), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, s, static_cast<int>(length), &out[0], n, nullptr, nullptr);
  return out;
}

// 0xAARRGGBB to GDI's 0x00BBGGRR; the native field is opaque.
COLORREF ToColorRef(uint32_t argb) { return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF); }

std::wstring Widen(const std::string& s) {
  if (s.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), &out[0], n);
  return out;
}

int KeyModifiers() {
  int m = 0;
  if (GetKeyState(VK_SHIFT) < 0) m |= kModShift;
  if (GetKeyState(VK_CONTROL) < 0) m |= kModControl;
  if (GetKeyState(VK_MENU) < 0) m |= kModAlt;
  return m;
}

Rect FromRECT(const RECT& r) { return Rect{r.left, r.top, r.right, r.bottom}; }

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Before the first window or DPI reading: a process the system still
// thinks unaware is told 96 DPI and has its windows stretched.
void EnsureDpiAware() {
  static const bool declared = [] {
    DeclareDpiAwareness();
    return true;
  }();
  (void)declared;
}

bool RegisterHostClass(const std::wstring& name) {
  EnsureDpiAware();
  static std::set<std::wstring> registered;
  if (registered.count(name)) return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = HostProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = name.c_str();
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  registered.insert(name);
  return true;
}

}  // namespace

struct WindowHost::Impl {
  WindowHost* self = nullptr;
  IHostHandler* handler = nullptr;
  HWND hwnd = nullptr;
  HWND owner = nullptr;
  Bitmap back;
  Rect dirty;
  Size ellipse;
  bool modalEnded = false;
  int modalResult = -1;
  wchar_t highSurrogate = 0;
  std::vector<uint32_t> scratch;
  IHostObserver* observer = nullptr;
  bool popup = false;
  // The handler acted on the last WM_SYSKEYDOWN: its WM_SYSCHAR is no menu
  // mnemonic to beep at.
  bool sysKeyHandled = false;

  // The native edit field and the GDI objects it paints with, ours to free.
  struct NativeEdit {
    HWND hwnd = nullptr;
    HFONT font = nullptr;
    HBRUSH brush = nullptr;
    COLORREF text = 0, back = 0;
  } edit;

  // After the field's window is gone (destroyed by us or with the window).
  void FreeEditObjects() {
    if (edit.font) DeleteObject(edit.font);
    if (edit.brush) DeleteObject(edit.brush);
    edit = NativeEdit{};
  }

  void ResizeBuffer(Size s) {
    s.cx = std::max(s.cx, 0);
    s.cy = std::max(s.cy, 0);
    if (s.cx == back.width && s.cy == back.height) return;
    back.width = s.cx;
    back.height = s.cy;
    back.pixels.assign(static_cast<size_t>(s.cx) * s.cy, 0);
    dirty = Rect{0, 0, s.cx, s.cy};
  }

  void ApplyRegion() {
    if (!hwnd || IsIconic(hwnd)) return;
    if (ellipse.cx <= 0 || ellipse.cy <= 0) {
      SetWindowRgn(hwnd, nullptr, TRUE);
      return;
    }
    RECT r;
    GetWindowRect(hwnd, &r);
    // One pixel past the window on the right and bottom: GDI's region
    // excludes its far edges, so a region of the window's own size would
    // lose the last column and row.
    HRGN rgn = CreateRoundRectRgn(0, 0, r.right - r.left + 1, r.bottom - r.top + 1, ellipse.cx, ellipse.cy);
    SetWindowRgn(hwnd, rgn, TRUE);  // the window owns rgn from here
  }

  void Present(HDC dc, const Rect& r) {
    const Rect area = r.Intersect(Rect{0, 0, back.width, back.height});
    if (area.IsEmpty()) return;
    // A contiguous copy of the rectangle: SetDIBitsToDevice's source origin
    // for a top-down part of a larger DIB is easy to get wrong.
    scratch.resize(static_cast<size_t>(area.Width()) * area.Height());
    for (int y = 0; y < area.Height(); ++y) {
      const Argb* src = back.pixels.data() + static_cast<size_t>(area.top + y) * back.width + area.left;
      std::copy(src, src + area.Width(), scratch.begin() + static_cast<size_t>(y) * area.Width());
    }
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = area.Width();
    bmi.bmiHeader.biHeight = -area.Height();
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, area.left, area.top, static_cast<DWORD>(area.Width()), static_cast<DWORD>(area.Height()), 0,
                      0, 0, static_cast<UINT>(area.Height()), scratch.data(), &bmi, DIB_RGB_COLORS);
  }
};

namespace {

WindowHost::Impl* FromHwnd(HWND hwnd) {
  return reinterpret_cast<WindowHost::Impl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// The handler may destroy the window, or delete the host, while it runs:
// afterwards only the HWND is trusted, looked up again.
bool Deliver(HWND hwnd, const HostEvent& e) {
  WindowHost::Impl* w = FromHwnd(hwnd);
  if (!w) return false;
  if (w->observer) {
    w->observer->OnObservedEvent(e);
    if (e.type == HostEventType::kDestroy) w->observer = nullptr;
    if (!(w = FromHwnd(hwnd))) return false;
  }
  return w->handler->OnHostEvent(e);
}

// The EDIT class's own procedure, the same for every field: what the
// subclass passes on to, even while the window that owned the field goes.
WNDPROC& EditClassProc() {
  static WNDPROC proc = nullptr;
  return proc;
}

// Return, Escape and Tab belong to the window (a default button, a cancel,
// the focus order): the field neither acts on them nor beeps at their
// characters. A dialog manager would ask WM_GETDLGCODE; answering it keeps
// the field whole inside one.
LRESULT CALLBACK NativeEditProc(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam) {
  const WNDPROC base = EditClassProc();
  switch (msg) {
    case WM_GETDLGCODE:
      return CallWindowProcW(base, edit, msg, wParam, lParam) | DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
      if (wParam == VK_RETURN || wParam == VK_ESCAPE || wParam == VK_TAB) {
        HWND host = GetParent(edit);
        WindowHost::Impl* w = FromHwnd(host);
        if (!w || w->edit.hwnd != edit) return 0;
        HostEvent e;
        e.type = HostEventType::kNativeEditKey;
        e.key = static_cast<int>(wParam);
        e.modifiers = KeyModifiers();
        // The handler may end the field here; nothing of it is touched after.
        Deliver(host, e);
        return 0;
      }
      break;
    case WM_CHAR:
      if (wParam == '\r' || wParam == '\n' || wParam == 0x1B || wParam == '\t') return 0;
      break;
    default:
      break;
  }
  return CallWindowProcW(base, edit, msg, wParam, lParam);
}

// One of our popups owned by `owner` at a screen point, or null.
HWND PopupAt(HWND owner, POINT screen) {
  HWND under = WindowFromPoint(screen);
  WindowHost::Impl* p = under && under != owner ? FromHwnd(under) : nullptr;
  return p && p->popup && GetWindow(under, GW_OWNER) == owner ? under : nullptr;
}

HostEvent MouseEvent(HostEventType type, MouseButton button, WPARAM wParam, LPARAM lParam) {
  HostEvent e;
  e.type = type;
  e.button = button;
  e.point = Point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  e.modifiers = ((wParam & MK_SHIFT) ? kModShift : 0) | ((wParam & MK_CONTROL) ? kModControl : 0) |
                (GetKeyState(VK_MENU) < 0 ? kModAlt : 0);
  return e;
}

void OnPaint(HWND hwnd, WindowHost::Impl* w) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  const Rect bounds{0, 0, w->back.width, w->back.height};
  const Rect dirty = w->dirty.Intersect(bounds);
  w->dirty = Rect{};
  if (!dirty.IsEmpty()) {
    if (w->observer) w->observer->OnObservedPaint();
    w->handler->Paint(dirty, w->back);
  }
  if ((w = FromHwnd(hwnd))) w->Present(dc, FromRECT(ps.rcPaint).Union(dirty));
  EndPaint(hwnd, &ps);
}

LRESULT OnSize(HWND hwnd, WindowHost::Impl* w, WPARAM wParam, LPARAM lParam) {
  HostEvent e;
  e.type = HostEventType::kSize;
  if (wParam == SIZE_MINIMIZED) {
    e.sizeState = SizeState::kMinimized;
    e.size = Size{w->back.width, w->back.height};
  } else {
    w->ResizeBuffer(Size{LOWORD(lParam), HIWORD(lParam)});
    w->ApplyRegion();
    e.size = Size{w->back.width, w->back.height};
    e.sizeState = wParam == SIZE_MAXIMIZED ? SizeState::kMaximized : SizeState::kRestored;
  }
  Deliver(hwnd, e);
  return 0;
}

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* w = static_cast<WindowHost::Impl*>(cs->lpCreateParams);
    w->hwnd = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(w));
    LiveWindows().insert(hwnd);
  }
  WindowHost::Impl* w = FromHwnd(hwnd);
  if (!w) return DefWindowProcW(hwnd, msg, wParam, lParam);
  HostEvent e;
  switch (msg) {
    case WM_NCCALCSIZE:
      if (wParam && IsZoomed(hwnd)) {
        // Maximised, the client is the work area rather than the monitor.
        auto* p = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam);
        MONITORINFO mi{};
        mi.cbSize = sizeof mi;
        if (GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &mi)) p->rgrc[0] = mi.rcWork;
      }
      return 0;  // no frame: all of the window is client
    case WM_NCPAINT:
      return 0;
    case WM_NCACTIVATE:
      return IsIconic(hwnd) ? DefWindowProcW(hwnd, msg, wParam, lParam) : TRUE;
    case WM_NCHITTEST: {
      POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ScreenToClient(hwnd, &pt);
      int code = w->handler->HitTest(Point{pt.x, pt.y});
      if (code >= kHitLeft && code <= kHitBottomRight && IsZoomed(hwnd)) code = kHitClient;
      return code;
    }
    case WM_GETMINMAXINFO: {
      auto* mmi = reinterpret_cast<MINMAXINFO*>(lParam);
      MONITORINFO mi{};
      mi.cbSize = sizeof mi;
      if (GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &mi)) {
        mmi->ptMaxPosition.x = mi.rcWork.left - mi.rcMonitor.left;
        mmi->ptMaxPosition.y = mi.rcWork.top - mi.rcMonitor.top;
        mmi->ptMaxSize.x = mi.rcWork.right - mi.rcWork.left;
        mmi->ptMaxSize.y = mi.rcWork.bottom - mi.rcWork.top;
      }
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      OnPaint(hwnd, w);
      return 0;
    case WM_SIZE:
      return OnSize(hwnd, w, wParam, lParam);
    case kWmDpiChanged: {
      // The window moved to a monitor of another scale: it takes the
      // rectangle the system suggests, then lays itself out at the scale.
      const RECT* r = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(hwnd, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      e.type = HostEventType::kDpiChanged;
      e.dpi = ClampDpi(LOWORD(wParam));
      e.size = w->back.IsEmpty() ? Size{r->right - r->left, r->bottom - r->top} : Size{w->back.width, w->back.height};
      Deliver(hwnd, e);
      return 0;
    }
    case WM_MOVE: {
      RECT r;
      GetWindowRect(hwnd, &r);
      e.type = HostEventType::kMove;
      e.point = Point{r.left, r.top};
      Deliver(hwnd, e);
      return 0;
    }
    case WM_SHOWWINDOW:
      e.type = HostEventType::kShow;
      e.active = wParam != 0;
      Deliver(hwnd, e);
      return 0;
    case WM_ACTIVATE:
      e.type = HostEventType::kActivate;
      e.active = LOWORD(wParam) != WA_INACTIVE;
      Deliver(hwnd, e);
      // What DefWindowProc would do, except that an open native field gets
      // the keyboard back rather than the window.
      if (e.active && !HIWORD(wParam) && (w = FromHwnd(hwnd))) {
        HWND want = w->edit.hwnd ? w->edit.hwnd : hwnd;
        if (GetFocus() != want) SetFocus(want);
      }
      return 0;
    case WM_MOUSEACTIVATE:
      // A click in a drop-down list leaves the window that opened it active.
      if (w->popup) return MA_NOACTIVATE;
      return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:  // a read-only field asks this one
      if (w->edit.hwnd && reinterpret_cast<HWND>(lParam) == w->edit.hwnd) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, w->edit.text);
        SetBkColor(dc, w->edit.back);
        return reinterpret_cast<LRESULT>(w->edit.brush);
      }
      return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_MOUSEMOVE:
      Deliver(hwnd, MouseEvent(HostEventType::kMouseMove, MouseButton::kNone, wParam, lParam));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      // Captured, so the release reaches us even outside the window.
      SetCapture(hwnd);
      const MouseButton b = msg == WM_LBUTTONDOWN   ? MouseButton::kLeft
                            : msg == WM_RBUTTONDOWN ? MouseButton::kRight
                                                    : MouseButton::kMiddle;
      Deliver(hwnd, MouseEvent(HostEventType::kMouseDown, b, wParam, lParam));
      return 0;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      const MouseButton b = msg == WM_LBUTTONUP   ? MouseButton::kLeft
                            : msg == WM_RBUTTONUP ? MouseButton::kRight
                                                  : MouseButton::kMiddle;
      if (GetCapture() == hwnd) ReleaseCapture();
      Deliver(hwnd, MouseEvent(HostEventType::kMouseUp, b, wParam, lParam));
      return 0;
    }
    case WM_MOUSEWHEEL: {
      POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      // The wheel goes to the keyboard's window; over an open drop-down it
      // is the list's.
      if (!w->popup)
        if (HWND popup = PopupAt(hwnd, pt)) return SendMessageW(popup, msg, wParam, lParam);
      ScreenToClient(hwnd, &pt);
      e.type = HostEventType::kMouseWheel;
      e.point = Point{pt.x, pt.y};
      e.wheelDelta = GET_WHEEL_DELTA_WPARAM(wParam);
      e.modifiers = KeyModifiers();
      Deliver(hwnd, e);
      return 0;
    }
    case WM_KEYDOWN:
      e.type = HostEventType::kKeyDown;
      e.key = static_cast<int>(wParam);
      e.modifiers = KeyModifiers();
      Deliver(hwnd, e);
      return 0;
    case WM_SYSKEYDOWN: {
      // Keys with Alt (Alt+Down opens a drop-down) and F10. Alt+F4 and
      // Alt+Space stay the system's (close, the window menu), and
      // DefWindowProc sees every key, handled or not: it counts them to
      // tell a lone tap of Alt, which enters the menu, from Alt held for a
      // key.
      const bool alt = (lParam & (1 << 29)) != 0;
      const bool system = alt && (wParam == VK_F4 || wParam == VK_SPACE);
      bool handled = false;
      if (!system) {
        e.type = HostEventType::kKeyDown;
        e.key = static_cast<int>(wParam);
        e.modifiers = KeyModifiers() | (alt ? kModAlt : 0);
        handled = Deliver(hwnd, e);
      }
      if (!(w = FromHwnd(hwnd))) return 0;
      w->sysKeyHandled = handled;
      return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    case WM_SYSCHAR:
      if (w->sysKeyHandled && wParam != ' ') return 0;
      return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_CHAR: {
      const auto unit = static_cast<wchar_t>(wParam);
      if (unit >= 0xD800 && unit < 0xDC00) {
        w->highSurrogate = unit;
        return 0;
      }
      char32_t c = unit;
      if (unit >= 0xDC00 && unit < 0xE000) {
        if (!w->highSurrogate) return 0;
        c = 0x10000 + ((static_cast<char32_t>(w->highSurrogate) - 0xD800) << 10) + (unit - 0xDC00);
      }
      w->highSurrogate = 0;
      e.type = HostEventType::kChar;
      e.codepoint = c;
      Deliver(hwnd, e);
      return 0;
    }
    case WM_TIMER:
      e.type = HostEventType::kTimer;
      e.timerId = static_cast<unsigned>(wParam);
      Deliver(hwnd, e);
      return 0;
    case WM_CLOSE:
      e.type = HostEventType::kCloseRequest;
      if (!Deliver(hwnd, e) && IsWindow(hwnd)) DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      e.type = HostEventType::kDestroy;
      Deliver(hwnd, e);
      return 0;
    case WM_GETOBJECT: {
      intptr_t answer = 0;
      if (w->handler->AnswerObjectRequest(wParam, lParam, &answer)) return answer;
      return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    case WM_NCDESTROY:
      LiveWindows().erase(hwnd);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      w->hwnd = nullptr;
      w->FreeEditObjects();  // its field went with it
      return DefWindowProcW(hwnd, msg, wParam, lParam);
    default:
      if (msg >= kFirstPostedMessage && msg <= 0xFFFF) {
        e.type = HostEventType::kPosted;
        e.message = msg;
        e.wParam = wParam;
        e.lParam = lParam;
        Deliver(hwnd, e);
        return 0;
      }
      return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

WindowHost::WindowHost() : impl_(std::make_unique<Impl>()) { impl_->self = this; }

WindowHost::~WindowHost() {
  if (HWND hwnd = impl_->hwnd) {
    if (IHostObserver* observer = impl_->observer) {
      impl_->observer = nullptr;
      HostEvent e;
      e.type = HostEventType::kDestroy;
      observer->OnObservedEvent(e);
    }
    // Quietly: the handler may be half destroyed by now.
    LiveWindows().erase(hwnd);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    impl_->hwnd = nullptr;
    DestroyWindow(hwnd);
    impl_->FreeEditObjects();
  }
}

bool WindowHost::Create(IHostHandler* handler, const HostOptions& options) {
  if (impl_->hwnd || !handler) return false;
  const std::wstring cls = Widen(options.className.empty() ? std::string("SkinUIWindow") : options.className);
  if (!RegisterHostClass(cls)) return false;
  impl_->handler = handler;
  impl_->owner = options.owner ? static_cast<HWND>(options.owner->NativeHandle()) : nullptr;
  impl_->popup = options.popup;
  DWORD style = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  DWORD exStyle = options.toolWindow ? WS_EX_TOOLWINDOW : 0;
  if (options.popup) {
    // An owned window stays above its owner by itself; a topmost owner
    // needs a topmost list. A tool window has no taskbar button.
    exStyle = WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
    if (impl_->owner && (GetWindowLongPtrW(impl_->owner, GWL_EXSTYLE) & WS_EX_TOPMOST)) exStyle |= WS_EX_TOPMOST;
  } else {
    style |= WS_SYSMENU | WS_MINIMIZEBOX;
  }
  impl_->ResizeBuffer(Size{std::max(options.size.cx, 1), std::max(options.size.cy, 1)});
  HWND hwnd = CreateWindowExW(exStyle, cls.c_str(), options.title.c_str(), style, 0, 0, impl_->back.width,
                              impl_->back.height, impl_->owner, nullptr, GetModuleHandleW(nullptr), impl_.get());
  if (!hwnd) {
    impl_->handler = nullptr;
    return false;
  }
  return true;
}

bool WindowHost::IsAlive() const { return impl_->hwnd != nullptr; }
WindowId WindowHost::Id() const { return reinterpret_cast<WindowId>(impl_->hwnd); }
void* WindowHost::NativeHandle() const { return impl_->hwnd; }

void WindowHost::Show(bool activate) {
  if (!impl_->hwnd) return;
  if (impl_->popup) {
    // On top of its owner's other owned windows too, and never active.
    ShowWindow(impl_->hwnd, SW_SHOWNOACTIVATE);
    SetWindowPos(impl_->hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return;
  }
  ShowWindow(impl_->hwnd, activate ? SW_SHOW : SW_SHOWNA);
  if (activate) SetForegroundWindow(impl_->hwnd);
}

void WindowHost::Hide() {
  if (impl_->hwnd) ShowWindow(impl_->hwnd, SW_HIDE);
}

bool WindowHost::IsVisible() const { return impl_->hwnd && IsWindowVisible(impl_->hwnd); }
bool WindowHost::IsEnabled() const { return impl_->hwnd && IsWindowEnabled(impl_->hwnd); }

void WindowHost::SetInputEnabled(bool enabled) {
  if (impl_->hwnd) EnableWindow(impl_->hwnd, enabled ? TRUE : FALSE);
}

void WindowHost::Minimize() {
  if (impl_->hwnd) ShowWindow(impl_->hwnd, SW_MINIMIZE);
}

void WindowHost::Maximize() {
  HWND hwnd = impl_->hwnd;
  if (!hwnd) return;
  ShowWindow(hwnd, SW_MAXIMIZE);
  // Wine leaves the screen side of maximising to a window manager: without
  // one the window stays at its old size on the screen (where clicks land)
  // and takes that size back at its next reconfiguration. The maximised
  // place applied once more as a plain move and size settles it; on Windows
  // it is the place the window already has.
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  if (IsZoomed(hwnd) && GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &mi)) {
    const RECT& w = mi.rcWork;
    SetWindowPos(hwnd, nullptr, w.left, w.top, w.right - w.left, w.bottom - w.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void WindowHost::Restore() {
  if (impl_->hwnd) ShowWindow(impl_->hwnd, SW_RESTORE);
}

SizeState WindowHost::State() const {
  if (!impl_->hwnd) return SizeState::kRestored;
  if (IsIconic(impl_->hwnd)) return SizeState::kMinimized;
  return IsZoomed(impl_->hwnd) ? SizeState::kMaximized : SizeState::kRestored;
}

void WindowHost::Move(Point p) {
  if (impl_->hwnd) SetWindowPos(impl_->hwnd, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WindowHost::Resize(Size s) {
  if (impl_->hwnd)
    SetWindowPos(impl_->hwnd, nullptr, 0, 0, std::max(s.cx, 1), std::max(s.cy, 1),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

Rect WindowHost::WindowRect() const {
  RECT r{};
  if (!impl_->hwnd || !GetWindowRect(impl_->hwnd, &r)) return Rect{};
  return FromRECT(r);
}

Size WindowHost::ClientSize() const { return Size{impl_->back.width, impl_->back.height}; }

int WindowHost::SystemDpi() {
  EnsureDpiAware();
  return SkinUI::SystemDpi();
}

int WindowHost::Dpi() const { return impl_->hwnd ? WindowDpi(impl_->hwnd) : SystemDpi(); }

namespace {

Rect MonitorWorkArea(HMONITOR monitor) {
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  if (monitor && GetMonitorInfoW(monitor, &mi)) return FromRECT(mi.rcWork);
  RECT r{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
  return FromRECT(r);
}

}  // namespace

// "near" is a macro of windows.h.
Rect WindowHost::WorkArea(const WindowHost* nearWindow) {
  HWND hwnd = nearWindow ? static_cast<HWND>(nearWindow->NativeHandle()) : nullptr;
  if (!hwnd) return MonitorWorkArea(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY));
  return MonitorWorkArea(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST));
}

Rect WindowHost::WorkAreaAt(Point screen) {
  return MonitorWorkArea(MonitorFromPoint(POINT{screen.x, screen.y}, MONITOR_DEFAULTTONEAREST));
}

void WindowHost::Close() {
  if (impl_->hwnd) PostMessageW(impl_->hwnd, WM_CLOSE, 0, 0);
}

void WindowHost::Destroy() {
  if (impl_->hwnd) DestroyWindow(impl_->hwnd);
}

void WindowHost::SetRoundRegion(Size ellipse) {
  impl_->ellipse = ellipse;
  impl_->ApplyRegion();
}

std::vector<RegionRow> WindowHost::RegionRows() const {
  HWND hwnd = impl_->hwnd;
  if (!hwnd) return {};
  RECT wr{};
  GetWindowRect(hwnd, &wr);
  const int width = wr.right - wr.left, height = wr.bottom - wr.top;
  std::vector<RegionRow> rows(static_cast<size_t>(std::max(height, 0)));
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  const int kind = GetWindowRgn(hwnd, rgn);
  if (kind == ERROR) {
    for (RegionRow& r : rows) r = RegionRow{0, width - 1};
  } else if (kind != NULLREGION) {
    // The region's own rectangles rather than a point test per pixel.
    const DWORD bytes = GetRegionData(rgn, 0, nullptr);
    std::vector<char> data(bytes);
    auto* rd = reinterpret_cast<RGNDATA*>(data.data());
    if (bytes && GetRegionData(rgn, bytes, rd) == bytes) {
      const RECT* rc = reinterpret_cast<const RECT*>(rd->Buffer);
      for (DWORD i = 0; i < rd->rdh.nCount; ++i) {
        const int left = std::max<int>(rc[i].left, 0), right = std::min<int>(rc[i].right, width);
        if (left >= right) continue;
        for (int y = std::max<int>(rc[i].top, 0); y < std::min<int>(rc[i].bottom, height); ++y) {
          RegionRow& row = rows[static_cast<size_t>(y)];
          if (row.Empty()) {
            row = RegionRow{left, right - 1};
          } else {
            row.first = std::min(row.first, left);
            row.last = std::max(row.last, right - 1);
          }
        }
      }
    }
  }
  DeleteObject(rgn);
  return rows;
}

void WindowHost::SetObserver(IHostObserver* observer) { impl_->observer = impl_->hwnd ? observer : nullptr; }
IHostObserver* WindowHost::Observer() const { return impl_->observer; }

void WindowHost::Invalidate(const Rect& rect) {
  const Rect r = rect.Intersect(Rect{0, 0, impl_->back.width, impl_->back.height});
  if (!impl_->hwnd || r.IsEmpty()) return;
  impl_->dirty = impl_->dirty.Union(r);
  RECT rc{r.left, r.top, r.right, r.bottom};
  InvalidateRect(impl_->hwnd, &rc, FALSE);
}

void WindowHost::InvalidateAll() { Invalidate(Rect{0, 0, impl_->back.width, impl_->back.height}); }

void WindowHost::UpdateNow() {
  if (impl_->hwnd) UpdateWindow(impl_->hwnd);
}

const Bitmap& WindowHost::BackBuffer() const { return impl_->back; }

bool WindowHost::SetTimer(unsigned id, unsigned ms) {
  return impl_->hwnd && ::SetTimer(impl_->hwnd, id, ms, nullptr) != 0;
}

void WindowHost::KillTimer(unsigned id) {
  if (impl_->hwnd) ::KillTimer(impl_->hwnd, id);
}

bool WindowHost::Post(unsigned message, uintptr_t wParam, intptr_t lParam) {
  return PostToWindow(Id(), message, wParam, lParam);
}

bool WindowHost::PostToWindow(WindowId id, unsigned message, uintptr_t wParam, intptr_t lParam) {
  if (id == 0 || message < kFirstPostedMessage || message > 0xFFFF) return false;
  // The system checks the handle: a destroyed window's post fails here, or
  // is discarded with the window's queue entries.
  return PostMessageW(reinterpret_cast<HWND>(id), message, wParam, lParam) != 0;
}

int WindowHost::RunModal() {
  HWND hwnd = impl_->hwnd;
  if (!hwnd) return -1;
  HWND owner = impl_->owner;
  const bool ownerWasEnabled = owner && IsWindow(owner) && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  impl_->modalEnded = false;
  impl_->modalResult = -1;
  Show(true);
  // The host may be deleted by its handler inside the loop: only the HWND
  // is watched.
  int result = -1;
  for (;;) {
    Impl* w = FromHwnd(hwnd);
    if (!IsWindow(hwnd) || !w) break;
    if (w->modalEnded) {
      result = w->modalResult;
      break;
    }
    if (!PumpMessages(-1)) break;
  }
  // Enabled again before the modal window goes, so activation returns to
  // the owner rather than to some other application.
  if (ownerWasEnabled && IsWindow(owner)) {
    EnableWindow(owner, TRUE);
    SetForegroundWindow(owner);
    // Its activation may have given the keyboard to its native field.
    HWND focus = GetFocus();
    if (focus != owner && !IsChild(owner, focus)) SetFocus(owner);
  }
  if (IsWindow(hwnd) && FromHwnd(hwnd)) DestroyWindow(hwnd);
  QuitState& quit = Quit();
  if (quit.pending) {
    quit.pending = false;
    PostQuitMessage(quit.code);  // for whichever loop encloses this one
  }
  return result;
}

void WindowHost::EndModal(int result) {
  impl_->modalEnded = true;
  impl_->modalResult = result;
  if (impl_->hwnd) PostMessageW(impl_->hwnd, WM_NULL, 0, 0);  // wakes the loop
}

int WindowHost::RunMessageLoop() {
  while (PumpMessages(-1)) {
  }
  Quit().pending = false;
  return Quit().code;
}

void WindowHost::QuitMessageLoop(int code) { PostQuitMessage(code); }

namespace {

void PaintDueWindows() {
  const std::vector<HWND> windows(LiveWindows().begin(), LiveWindows().end());
  for (HWND hwnd : windows) {
    if (!LiveWindows().count(hwnd)) continue;
    if (GetUpdateRect(hwnd, nullptr, FALSE)) UpdateWindow(hwnd);
    // The native field is a window of its own, painted apart from ours.
    WindowHost::Impl* w = LiveWindows().count(hwnd) ? FromHwnd(hwnd) : nullptr;
    if (w && w->edit.hwnd && GetUpdateRect(w->edit.hwnd, nullptr, FALSE)) UpdateWindow(w->edit.hwnd);
  }
}

}  // namespace

bool WindowHost::PumpMessages(int maxWaitMs) {
  QuitState& quit = Quit();
  if (quit.pending) return false;
  MSG msg;
  if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE))
    MsgWaitForMultipleObjects(0, nullptr, FALSE, maxWaitMs < 0 ? INFINITE : static_cast<DWORD>(maxWaitMs),
                              QS_ALLINPUT);
  for (int i = 0; i < 256 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    if (msg.message == WM_QUIT) {
      quit.pending = true;
      quit.code = static_cast<int>(msg.wParam);
      return false;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    // The system makes WM_PAINT only once no posted message is left, so a
    // steady stream of posts (a download's progress, a handler that
    // reposts itself) would keep every window unpainted: what a posted
    // message made dirty is painted right after it.
    if (msg.hwnd && msg.message != WM_PAINT) PaintDueWindows();
  }
  return true;
}

void WindowHost::StartTextInput(const Rect& caret) {
  if (!impl_->hwnd) return;
  if (HIMC imc = ImmGetContext(impl_->hwnd)) {
    COMPOSITIONFORM cf{};
    cf.dwStyle = CFS_POINT;
    cf.ptCurrentPos = POINT{caret.left, caret.top};
    ImmSetCompositionWindow(imc, &cf);
    ImmReleaseContext(impl_->hwnd, imc);
  }
}

void WindowHost::StopTextInput() {}

bool WindowHost::BeginNativeEdit(const NativeEditLook& look) {
  Impl* w = impl_.get();
  if (!w->hwnd || look.rect.IsEmpty()) return false;
  EndNativeEdit();
  const std::wstring face = Widen(look.fontFace);
  HFONT font = CreateFontW(-std::max(look.fontSize, 1), 0, 0, 0, look.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                           DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, face.c_str());
  if (!font) return false;
  // One line of the font tall, centred in the rectangle, as the control
  // centres its own text: the field's text then sits where it was drawn.
  TEXTMETRICW tm{};
  HDC dc = GetDC(w->hwnd);
  HGDIOBJ old = SelectObject(dc, font);
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(w->hwnd, dc);
  const Rect& r = look.rect;
  const int height = std::min<int>(std::max<LONG>(tm.tmHeight, 1), r.Height());
  const int top = r.top + (r.Height() - height) / 2;

  DWORD style = WS_CHILD | WS_VISIBLE | ES_LEFT | ES_AUTOHSCROLL;
  if (look.password) style |= ES_PASSWORD;
  if (look.readOnly) style |= ES_READONLY;
  const std::wstring text = Widen(look.text);
  w->edit.font = font;
  w->edit.text = ToColorRef(look.textColor);
  w->edit.back = ToColorRef(look.bkColor);
  w->edit.brush = CreateSolidBrush(w->edit.back);
  // Created hidden so that its first paint already has our colours.
  HWND edit = CreateWindowExW(0, L"EDIT", text.c_str(), style & ~WS_VISIBLE, r.left, top, r.Width(), height, w->hwnd,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!edit) {
    w->FreeEditObjects();
    return false;
  }
  w->edit.hwnd = edit;
  const auto base = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(edit, GWLP_WNDPROC));
  if (!EditClassProc()) EditClassProc() = base;
  SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&NativeEditProc));
  SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendMessageW(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(0, 0));
  SendMessageW(edit, EM_SETLIMITTEXT, static_cast<WPARAM>(std::max(look.maxChars, 0)), 0);
  // A field reached with the keyboard offers its text for typing over;
  // one clicked into continues it.
  const LPARAM end = static_cast<LPARAM>(text.size());
  SendMessageW(edit, EM_SETSEL, look.selectAll ? 0 : static_cast<WPARAM>(end), end);
  ShowWindow(edit, SW_SHOW);
  SetFocus(edit);
  return true;
}

bool WindowHost::NativeEditActive() const { return impl_->edit.hwnd != nullptr; }

std::string WindowHost::NativeEditText() const {
  HWND edit = impl_->edit.hwnd;
  if (!edit) return {};
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
  const int n = GetWindowTextW(edit, &text[0], static_cast<int>(text.size()));
  return Narrow(text.data(), static_cast<size_t>(std::max(n, 0)));
}

void WindowHost::EndNativeEdit() {
  HWND edit = impl_->edit.hwnd;
  if (!edit) return;
  // Moved before the field goes: a destroyed focus leaves the keyboard
  // with no window at all.
  if (GetFocus() == edit && impl_->hwnd) SetFocus(impl_->hwnd);
  DestroyWindow(edit);
  impl_->FreeEditObjects();
}

namespace {

// Another program may hold the clipboard for a moment (a clipboard
// manager reading what we put there).
bool OpenClipboardSoon(HWND owner) {
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (OpenClipboard(owner)) return true;
    Sleep(5);
  }
  return false;
}

// Data set with no owner window may be refused, so the clipboard's owner
// is a message-only window of the UI thread.
HWND ClipboardOwner() {
  static HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
  return owner;
}

}  // namespace

std::string WindowHost::ClipboardText() {
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboardSoon(nullptr)) return {};
  std::string out;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
      // Up to its terminator, never past the memory block.
      const size_t capacity = GlobalSize(data) / sizeof(wchar_t);
      size_t length = 0;
      while (length < capacity && text[length]) ++length;
      out = Narrow(text, length);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return out;
}

bool WindowHost::SetClipboardText(const std::string& utf8) {
  const std::wstring text = Widen(utf8);
  if (!OpenClipboardSoon(ClipboardOwner())) return false;
  bool ok = false;
  if (EmptyClipboard()) {
    if (HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t))) {
      if (auto* p = static_cast<wchar_t*>(GlobalLock(data))) {
        std::copy(text.begin(), text.end(), p);
        p[text.size()] = L'\0';
        GlobalUnlock(data);
        ok = SetClipboardData(CF_UNICODETEXT, data) != nullptr;  // the system owns it from here
      }
      if (!ok) GlobalFree(data);
    }
  }
  CloseClipboard();
  return ok;
}

void WindowHost::ShowErrorBox(const std::wstring& text, const std::wstring& caption) {
  MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace SkinUI
