// XTest input and XGetImage read-back, on a connection of their own: the
// fake events then reach SDL's connection exactly as a user's would.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "uikit/automation.h"
#include "uikit/utf8.h"
#include "uikit/window_host_x11.h"

namespace SkinUI {
namespace Automation {

namespace {

Display* Connection() {
  static Display* display = XOpenDisplay(nullptr);
  return display;
}

unsigned XButton(MouseButton b) {
  switch (b) {
    case MouseButton::kRight: return 3;
    case MouseButton::kMiddle: return 2;
    default: return 1;
  }
}

KeySym VirtualKeyToKeySym(int vk) {
  if (vk >= 'A' && vk <= 'Z') return XK_a + (vk - 'A');
  if (vk >= '0' && vk <= '9') return XK_0 + (vk - '0');
  if (vk >= kKeyF1 && vk < kKeyF1 + 12) return XK_F1 + (vk - kKeyF1);
  switch (vk) {
    case kKeyReturn: return XK_Return;
    case kKeyEscape: return XK_Escape;
    case kKeyBack: return XK_BackSpace;
    case kKeyTab: return XK_Tab;
    case kKeySpace: return XK_space;
    case kKeyDelete: return XK_Delete;
    case kKeyLeft: return XK_Left;
    case kKeyRight: return XK_Right;
    case kKeyUp: return XK_Up;
    case kKeyDown: return XK_Down;
    case kKeyHome: return XK_Home;
    case kKeyEnd: return XK_End;
    case kKeyShift: return XK_Shift_L;
    case kKeyControl: return XK_Control_L;
    case kKeyAlt: return XK_Alt_L;
    default: return NoSymbol;
  }
}

bool MoveTo(Point screen) {
  Display* d = Connection();
  if (!d) return false;
  XTestFakeMotionEvent(d, DefaultScreen(d), screen.x, screen.y, CurrentTime);
  XSync(d, False);
  return true;
}

bool Button(MouseButton b, bool down) {
  Display* d = Connection();
  if (!d) return false;
  XTestFakeButtonEvent(d, XButton(b), down ? True : False, CurrentTime);
  XSync(d, False);
  return true;
}

Bitmap FromImage(XImage* image) {
  Bitmap out;
  if (!image) return out;
  out.width = image->width;
  out.height = image->height;
  out.pixels.resize(static_cast<size_t>(out.width) * out.height);
  const bool direct = image->bits_per_pixel == 32 && image->red_mask == 0xFF0000 && image->green_mask == 0xFF00 &&
                      image->blue_mask == 0xFF && image->byte_order == LSBFirst;
  for (int y = 0; y < out.height; ++y) {
    Argb* row = out.pixels.data() + static_cast<size_t>(y) * out.width;
    if (direct) {
      const auto* src = reinterpret_cast<const uint32_t*>(image->data + static_cast<size_t>(y) * image->bytes_per_line);
      for (int x = 0; x < out.width; ++x) row[x] = src[x] | 0xFF000000u;
    } else {
      for (int x = 0; x < out.width; ++x) row[x] = static_cast<Argb>(XGetPixel(image, x, y)) | 0xFF000000u;
    }
  }
  XDestroyImage(image);
  return out;
}

}  // namespace

bool ClientToScreen(const WindowHost& host, Point client, Point* screen) {
  Display* d = Connection();
  const ::Window w = HostX11Window(host);
  if (!d || !w) return false;
  int x = 0, y = 0;
  ::Window child = 0;
  if (!XTranslateCoordinates(d, w, DefaultRootWindow(d), client.x, client.y, &x, &y, &child)) return false;
  *screen = Point{x, y};
  return true;
}

bool MouseMove(const WindowHost& host, Point client) {
  Point p;
  return ClientToScreen(host, client, &p) && MoveTo(p);
}

bool MouseDown(const WindowHost& host, Point client, MouseButton button) {
  return MouseMove(host, client) && Button(button, true);
}

bool MouseUp(const WindowHost& host, Point client, MouseButton button) {
  return MouseMove(host, client) && Button(button, false);
}

bool Click(const WindowHost& host, Point client, MouseButton button) {
  return MouseDown(host, client, button) && Button(button, false);
}

bool Drag(const WindowHost& host, Point from, Point to) {
  Point start;
  if (!ClientToScreen(host, from, &start) || !MoveTo(start) || !Button(MouseButton::kLeft, true)) return false;
  constexpr int kSteps = 4;
  for (int i = 1; i <= kSteps; ++i) {
    MoveTo(Point{start.x + (to.x - from.x) * i / kSteps, start.y + (to.y - from.y) * i / kSteps});
  }
  return Button(MouseButton::kLeft, false);
}

bool DragScreen(Point from, Point to) {
  if (!MoveTo(from) || !Button(MouseButton::kLeft, true)) return false;
  constexpr int kSteps = 8;
  for (int i = 1; i <= kSteps; ++i)
    MoveTo(Point{from.x + (to.x - from.x) * i / kSteps, from.y + (to.y - from.y) * i / kSteps});
  return Button(MouseButton::kLeft, false);
}

bool ClickScreen(Point screen) {
  return MoveTo(screen) && Button(MouseButton::kLeft, true) && Button(MouseButton::kLeft, false);
}

bool PressKey(int virtualKey, int modifiers) {
  Display* d = Connection();
  const KeySym sym = VirtualKeyToKeySym(virtualKey);
  if (!d || sym == NoSymbol) return false;
  const ::KeyCode code = XKeysymToKeycode(d, sym);
  if (!code) return false;
  std::vector<::KeyCode> held;
  for (auto [bit, modSym] : {std::pair<int, KeySym>{kModControl, XK_Control_L}, {kModShift, XK_Shift_L}, {kModAlt, XK_Alt_L}})
    if ((modifiers & bit) && XKeysymToKeycode(d, modSym)) held.push_back(XKeysymToKeycode(d, modSym));
  for (::KeyCode m : held) XTestFakeKeyEvent(d, m, True, CurrentTime);
  XTestFakeKeyEvent(d, code, True, CurrentTime);
  XTestFakeKeyEvent(d, code, False, CurrentTime);
  for (auto it = held.rbegin(); it != held.rend(); ++it) XTestFakeKeyEvent(d, *it, False, CurrentTime);
  XSync(d, False);
  return true;
}

namespace {

// One character through a key that makes it: its own key (with Shift when
// it is on the shifted level), or a spare key code mapped to it for the
// press and mapped back afterwards.
bool TypeCharacter(Display* d, char32_t c) {
  const KeySym sym = c < 0x100 ? static_cast<KeySym>(c) : static_cast<KeySym>(0x01000000 + c);
  ::KeyCode code = XKeysymToKeycode(d, sym);
  int minCode = 0, maxCode = 0;
  XDisplayKeycodes(d, &minCode, &maxCode);
  bool remapped = false;
  if (!code || c >= 0x80) {
    int perCode = 0;
    KeySym* map = XGetKeyboardMapping(d, static_cast<::KeyCode>(minCode), maxCode - minCode + 1, &perCode);
    if (!map) return false;
    for (int k = maxCode; k >= minCode && !code; --k) {
      bool empty = true;
      for (int i = 0; i < perCode; ++i) empty = empty && map[(k - minCode) * perCode + i] == NoSymbol;
      if (empty) code = static_cast<::KeyCode>(k);
    }
    XFree(map);
    if (!code) return false;
    KeySym pair[2] = {sym, sym};
    XChangeKeyboardMapping(d, code, 2, pair, 1);
    XSync(d, False);
    remapped = true;
  }
  int perCode = 0;
  KeySym* levels = XGetKeyboardMapping(d, code, 1, &perCode);
  const bool shifted = levels && perCode > 1 && levels[0] != sym && levels[1] == sym;
  if (levels) XFree(levels);
  const ::KeyCode shift = XKeysymToKeycode(d, XK_Shift_L);
  if (shifted && shift) XTestFakeKeyEvent(d, shift, True, CurrentTime);
  XTestFakeKeyEvent(d, code, True, CurrentTime);
  XTestFakeKeyEvent(d, code, False, CurrentTime);
  if (shifted && shift) XTestFakeKeyEvent(d, shift, False, CurrentTime);
  XSync(d, False);
  if (remapped) {
    // Synced above, so the press went out under the borrowed mapping
    // before the key code is freed again.
    KeySym none[2] = {NoSymbol, NoSymbol};
    XChangeKeyboardMapping(d, code, 2, none, 1);
    XSync(d, False);
  }
  return true;
}

}  // namespace

bool TypeText(const std::string& utf8) {
  Display* d = Connection();
  if (!d) return false;
  const std::u32string text = DecodeUtf8(utf8);
  for (char32_t c : text)
    if (!TypeCharacter(d, c)) return false;
  return true;
}

bool HoldsKeyboard(const WindowHost& host) {
  Display* d = Connection();
  const ::Window w = HostX11Window(host);
  if (!d || !w) return false;
  ::Window focus = 0;
  int revert = 0;
  XGetInputFocus(d, &focus, &revert);
  return focus == w;
}

bool NativeEditRect(const WindowHost&, Rect*) { return false; }  // Linux has no native field

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    WindowHost::PumpMessages(static_cast<int>(std::min<long long>(left.count(), 20)));
    if (Display* d = HostX11Display()) XSync(d, False);
  }
  return true;
}

Bitmap CaptureWindow(const WindowHost& host) {
  Display* d = Connection();
  const ::Window w = HostX11Window(host);
  if (!d || !w) return Bitmap{};
  XWindowAttributes attrs;
  if (!XGetWindowAttributes(d, w, &attrs) || attrs.map_state != IsViewable) return Bitmap{};
  return FromImage(XGetImage(d, w, 0, 0, static_cast<unsigned>(attrs.width), static_cast<unsigned>(attrs.height),
                             AllPlanes, ZPixmap));
}

Bitmap CaptureScreen() {
  Display* d = Connection();
  if (!d) return Bitmap{};
  const int screen = DefaultScreen(d);
  return FromImage(XGetImage(d, RootWindow(d, screen), 0, 0, static_cast<unsigned>(DisplayWidth(d, screen)),
                             static_cast<unsigned>(DisplayHeight(d, screen)), AllPlanes, ZPixmap));
}

}  // namespace Automation
}  // namespace SkinUI
