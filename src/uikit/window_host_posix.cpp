// The window host on SDL2 over X11. SDL owns the X connection and the event
// queue; the host adds what SDL lacks for a skinned window: caption drags
// without a window manager, the rounded X shape, disabled owners for modal
// runs, and timers kept in the loop itself so they fire on the UI thread and
// no SDL timer thread ever holds a pointer into a window.
//
// One file because the loop, the drag without a window manager, the X shape
// and the modal run share the loop's window table and SDL's one X
// connection, whose lifetime this file alone manages.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <set>
#include <vector>

#include "uikit/display_dpi.h"
#include "uikit/display_dpi_x11.h"
#include "uikit/region_rows.h"
#include "uikit/utf8.h"
#include "uikit/window_host.h"
#include "uikit/window_host_x11.h"

namespace SkinUI {

namespace {

using Clock = std::chrono::steady_clock;

// Registered SDL event types; read by posting threads, hence atomic.
std::atomic<Uint32> g_postType{0};
std::atomic<Uint32> g_controlType{0};  // close requests, quit, wake-ups

// Live window ids, for PostToWindow on other threads.
std::mutex g_liveMutex;
std::set<Uint32> g_liveIds;

enum ControlCode : Sint32 { kControlClose = 1, kControlQuit = 2, kControlWake = 3 };

struct LoopState {  // UI thread only
  std::map<Uint32, WindowHost::Impl*> windows;
  bool quit = false;
  int quitCode = 0;
  Display* display = nullptr;
  bool hasWm = false;
  // The pointer's screen position in the X event behind the SDL mouse event
  // being handled: the true position at that moment, which neither the
  // pointer's current place nor SDL's client point plus its cached window
  // position give while the window is being moved.
  Point eventRoot;
};

LoopState& Loop() {
  static LoopState state;
  return state;
}

bool EnsureSdl() {
  if (g_postType.load() != 0) return true;
  // The X framebuffer path keeps the window an X window we can shape and
  // read back; GL would rebuild it, lose the shape and take some 200 ms
  // more to the first frame. Above the environment's setting too.
  SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_OVERRIDE);
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  const Uint32 first = SDL_RegisterEvents(2);
  if (first == static_cast<Uint32>(-1)) return false;
  SDL_StopTextInput();
  SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
  g_controlType.store(first + 1);
  g_postType.store(first);
  return true;
}

int VirtualKey(SDL_Keycode k) {
  if (k >= SDLK_a && k <= SDLK_z) return 'A' + (k - SDLK_a);
  if (k >= SDLK_0 && k <= SDLK_9) return '0' + (k - SDLK_0);
  if (k >= SDLK_F1 && k <= SDLK_F12) return kKeyF1 + (k - SDLK_F1);
  switch (k) {
    case SDLK_RETURN: case SDLK_KP_ENTER: return kKeyReturn;
    case SDLK_ESCAPE: return kKeyEscape;
    case SDLK_BACKSPACE: return kKeyBack;
    case SDLK_TAB: return kKeyTab;
    case SDLK_SPACE: return kKeySpace;
    case SDLK_DELETE: return kKeyDelete;
    case SDLK_LEFT: return kKeyLeft;
    case SDLK_RIGHT: return kKeyRight;
    case SDLK_UP: return kKeyUp;
    case SDLK_DOWN: return kKeyDown;
    case SDLK_HOME: return kKeyHome;
    case SDLK_END: return kKeyEnd;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return kKeyShift;
    case SDLK_LCTRL: case SDLK_RCTRL: return kKeyControl;
    case SDLK_LALT: case SDLK_RALT: return kKeyAlt;
    default: return 0;
  }
}

int Modifiers(Uint16 mod) {
  int m = 0;
  if (mod & KMOD_SHIFT) m |= kModShift;
  if (mod & KMOD_CTRL) m |= kModControl;
  if (mod & KMOD_ALT) m |= kModAlt;
  return m;
}

MouseButton Button(Uint8 b) {
  switch (b) {
    case SDL_BUTTON_LEFT: return MouseButton::kLeft;
    case SDL_BUTTON_RIGHT: return MouseButton::kRight;
    case SDL_BUTTON_MIDDLE: return MouseButton::kMiddle;
    default: return MouseButton::kNone;
  }
}

bool PushControl(Uint32 windowId, Sint32 code, intptr_t value) {
  const Uint32 type = g_controlType.load();
  if (type == 0) return false;
  SDL_Event e{};
  e.type = type;
  e.user.windowID = windowId;
  e.user.code = code;
  e.user.data1 = reinterpret_cast<void*>(value);
  return SDL_PushEvent(&e) == 1;
}

}  // namespace

struct WindowHost::Impl {
  struct Timer {
    unsigned id;
    unsigned period;
    Clock::time_point due;
  };

  WindowHost* self = nullptr;
  IHostHandler* handler = nullptr;
  SDL_Window* window = nullptr;
  Uint32 id = 0;
  ::Window xwindow = 0;
  Uint32 ownerId = 0;
  Bitmap back;
  Rect dirty;        // to paint and present
  Rect exposed;      // to present only
  Size ellipse;
  int disabled = 0;  // modal runs over this window
  std::vector<Timer> timers;
  bool modalEnded = false;
  int modalResult = -1;
  bool dragging = false;
  Point dragMouse;
  Point dragWindow;
  SizeState state = SizeState::kRestored;
  Rect restoreRect;
  bool visible = false;
  bool popup = false;
  int dpi = kBaseDpi;
  IHostObserver* observer = nullptr;

  void ResizeBuffer(Size s) {
    s.cx = std::max(s.cx, 0);
    s.cy = std::max(s.cy, 0);
    if (s.cx == back.width && s.cy == back.height) return;
    Bitmap next;
    next.width = s.cx;
    next.height = s.cy;
    next.pixels.assign(static_cast<size_t>(s.cx) * s.cy, 0);
    back = std::move(next);
    dirty = Rect{0, 0, s.cx, s.cy};
  }

  void ApplyShape() {
    Display* d = Loop().display;
    int eventBase = 0, errorBase = 0;
    if (!d || !xwindow || !XShapeQueryExtension(d, &eventBase, &errorBase)) return;
    if (ellipse.cx <= 0 || ellipse.cy <= 0) {
      XShapeCombineMask(d, xwindow, ShapeBounding, 0, 0, None, ShapeSet);
      XFlush(d);
      return;
    }
    const auto rows = RoundRectRows(back.width, back.height, ellipse.cx, ellipse.cy);
    std::vector<XRectangle> rects;
    rects.reserve(rows.size());
    for (size_t y = 0; y < rows.size(); ++y) {
      if (rows[y].Empty()) continue;
      rects.push_back(XRectangle{static_cast<short>(rows[y].first), static_cast<short>(y),
                                 static_cast<unsigned short>(rows[y].last - rows[y].first + 1), 1});
    }
    XShapeCombineRectangles(d, xwindow, ShapeBounding, 0, 0, rects.data(), static_cast<int>(rects.size()),
                            ShapeSet, YXBanded);
    XFlush(d);
  }

  void Present(const Rect& r) {
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (!surface) return;
    const Rect area = r.Intersect(Rect{0, 0, std::min(surface->w, back.width), std::min(surface->h, back.height)});
    if (area.IsEmpty()) return;
    const bool direct = surface->format->BytesPerPixel == 4 && surface->format->Rmask == 0x00FF0000 &&
                        surface->format->Gmask == 0x0000FF00 && surface->format->Bmask == 0x000000FF;
    if (SDL_MUSTLOCK(surface)) SDL_LockSurface(surface);
    const Argb* src = back.pixels.data() + static_cast<size_t>(area.top) * back.width + area.left;
    auto* dst = static_cast<uint8_t*>(surface->pixels) + static_cast<size_t>(area.top) * surface->pitch +
                area.left * surface->format->BytesPerPixel;
    if (direct) {
      for (int y = 0; y < area.Height(); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(dst + static_cast<size_t>(y) * surface->pitch);
        const Argb* s = src + static_cast<size_t>(y) * back.width;
        for (int x = 0; x < area.Width(); ++x) row[x] = s[x] | 0xFF000000u;
      }
    } else {
      SDL_ConvertPixels(area.Width(), area.Height(), SDL_PIXELFORMAT_ARGB8888, src, back.width * 4,
                        surface->format->format, dst, surface->pitch);
    }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    SDL_Rect sr{area.left, area.top, area.Width(), area.Height()};
    SDL_UpdateWindowSurfaceRects(window, &sr, 1);
  }
};

namespace {

WindowHost::Impl* Find(Uint32 id) {
  auto it = Loop().windows.find(id);
  return it == Loop().windows.end() ? nullptr : it->second;
}

// Delivers to the handler; the window (or the whole host) may be gone
// afterwards, so callers look it up again by id.
bool Deliver(WindowHost::Impl* w, const HostEvent& e) {
  if (w->observer) w->observer->OnObservedEvent(e);
  return w->handler->OnHostEvent(e);
}

SDL_HitTestResult SDLCALL HitTestCallback(SDL_Window*, const SDL_Point* p, void* data) {
  auto* w = static_cast<WindowHost::Impl*>(data);
  if (w->disabled) return SDL_HITTEST_NORMAL;
  switch (w->handler->HitTest(Point{p->x, p->y})) {
    case kHitCaption: return SDL_HITTEST_DRAGGABLE;
    case kHitLeft: return SDL_HITTEST_RESIZE_LEFT;
    case kHitRight: return SDL_HITTEST_RESIZE_RIGHT;
    case kHitTop: return SDL_HITTEST_RESIZE_TOP;
    case kHitTopLeft: return SDL_HITTEST_RESIZE_TOPLEFT;
    case kHitTopRight: return SDL_HITTEST_RESIZE_TOPRIGHT;
    case kHitBottom: return SDL_HITTEST_RESIZE_BOTTOM;
    case kHitBottomLeft: return SDL_HITTEST_RESIZE_BOTTOMLEFT;
    case kHitBottomRight: return SDL_HITTEST_RESIZE_BOTTOMRIGHT;
    default: return SDL_HITTEST_NORMAL;
  }
}

void DestroyImpl(WindowHost::Impl* w, bool notify) {
  if (!w->window) return;
  const Uint32 id = w->id;
  HostEvent e;
  e.type = HostEventType::kDestroy;
  if (notify) {
    Deliver(w, e);
    w = Find(id);
    if (!w || !w->window) return;  // destroyed from inside the handler
  } else if (IHostObserver* observer = w->observer) {
    observer->OnObservedEvent(e);
  }
  w->observer = nullptr;
  Loop().windows.erase(id);
  {
    std::lock_guard<std::mutex> lock(g_liveMutex);
    g_liveIds.erase(id);
  }
  SDL_DestroyWindow(w->window);
  w->window = nullptr;
  w->id = 0;
  w->xwindow = 0;
  w->timers.clear();
}

bool OwnsKeyboardFocus(const WindowHost::Impl* w);

void OnWindowEvent(WindowHost::Impl* w, const SDL_WindowEvent& we) {
  HostEvent e;
  switch (we.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      w->ResizeBuffer(Size{we.data1, we.data2});
      w->ApplyShape();
      e.type = HostEventType::kSize;
      e.size = Size{w->back.width, w->back.height};
      e.sizeState = w->state;
      Deliver(w, e);
      break;
    case SDL_WINDOWEVENT_MOVED:
      e.type = HostEventType::kMove;
      e.point = Point{we.data1, we.data2};
      Deliver(w, e);
      break;
    case SDL_WINDOWEVENT_EXPOSED:
      w->exposed = Rect{0, 0, w->back.width, w->back.height};
      break;
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_HIDDEN:
      w->visible = we.event == SDL_WINDOWEVENT_SHOWN;
      e.type = HostEventType::kShow;
      e.active = w->visible;
      Deliver(w, e);
      break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
    case SDL_WINDOWEVENT_FOCUS_LOST:
      if (w->popup) break;  // never active; its owner answers for it
      // The focus passing through one of our own popups (SDL gives a newly
      // mapped window the focus when no window manager runs) has come back
      // by the time this is read, and is no deactivation.
      if (we.event == SDL_WINDOWEVENT_FOCUS_LOST && OwnsKeyboardFocus(w)) break;
      e.type = HostEventType::kActivate;
      e.active = we.event == SDL_WINDOWEVENT_FOCUS_GAINED;
      Deliver(w, e);
      break;
    case SDL_WINDOWEVENT_CLOSE:
      if (w->disabled) break;
      PushControl(w->id, kControlClose, 0);
      break;
    default:
      break;
  }
}

Point GlobalMouse() { return Loop().eventRoot; }

// The window itself or one of its popups has SDL's keyboard focus.
bool OwnsKeyboardFocus(const WindowHost::Impl* w) {
  SDL_Window* focus = SDL_GetKeyboardFocus();
  if (!focus) return false;
  if (focus == w->window) return true;
  const WindowHost::Impl* f = Find(SDL_GetWindowID(focus));
  return f && f->popup && f->ownerId == w->id;
}

// Keys typed while a popup has the focus belong to its owner.
WindowHost::Impl* KeyTarget(Uint32 id) {
  WindowHost::Impl* w = Find(id);
  if (w && w->popup) w = Find(w->ownerId);
  return w;
}

// SDL records a position it sets at once and then drops the X server's
// confirmation as no change, so moves we make are reported here.
void MoveTo(WindowHost::Impl* w, Point p) {
  SDL_SetWindowPosition(w->window, p.x, p.y);
  HostEvent e;
  e.type = HostEventType::kMove;
  SDL_GetWindowPosition(w->window, &e.point.x, &e.point.y);
  Deliver(w, e);
}

void OnSysWm(const SDL_SysWMmsg* msg) {
  if (!msg || msg->subsystem != SDL_SYSWM_X11) return;
  const XEvent& xe = msg->msg.x11.event;
  if (xe.type == MotionNotify) Loop().eventRoot = Point{xe.xmotion.x_root, xe.xmotion.y_root};
  else if (xe.type == ButtonPress || xe.type == ButtonRelease) Loop().eventRoot = Point{xe.xbutton.x_root, xe.xbutton.y_root};
}

void OnMouseButton(WindowHost::Impl* w, const SDL_MouseButtonEvent& be) {
  if (w->disabled) return;
  const bool down = be.type == SDL_MOUSEBUTTONDOWN;
  const Point p{be.x, be.y};
  // Without a window manager SDL's hit test cannot move the window, so a
  // caption press becomes our own drag, never a client press (as Win32's
  // non-client button messages never reach the client).
  if (!Loop().hasWm && be.button == SDL_BUTTON_LEFT) {
    if (down && w->state != SizeState::kMaximized && w->handler->HitTest(p) == kHitCaption) {
      w = Find(be.windowID);
      if (!w) return;
      w->dragging = true;
      w->dragMouse = GlobalMouse();
      SDL_GetWindowPosition(w->window, &w->dragWindow.x, &w->dragWindow.y);
      return;
    }
    if (!down && w->dragging) {
      w->dragging = false;
      return;
    }
  }
  HostEvent e;
  e.type = down ? HostEventType::kMouseDown : HostEventType::kMouseUp;
  e.point = p;
  e.button = Button(be.button);
  e.modifiers = Modifiers(SDL_GetModState());
  Deliver(w, e);
}

void OnMouseMotion(WindowHost::Impl* w, const SDL_MouseMotionEvent& me) {
  if (w->disabled) return;
  if (w->dragging) {
    const Point now = GlobalMouse();
    MoveTo(w, Point{w->dragWindow.x + now.x - w->dragMouse.x, w->dragWindow.y + now.y - w->dragMouse.y});
    return;
  }
  HostEvent e;
  e.type = HostEventType::kMouseMove;
  e.point = Point{me.x, me.y};
  e.modifiers = Modifiers(SDL_GetModState());
  Deliver(w, e);
}

void Dispatch(const SDL_Event& ev) {
  LoopState& loop = Loop();
  if (ev.type == g_postType.load()) {
    if (WindowHost::Impl* w = Find(ev.user.windowID)) {
      HostEvent e;
      e.type = HostEventType::kPosted;
      e.message = static_cast<unsigned>(ev.user.code);
      e.wParam = reinterpret_cast<uintptr_t>(ev.user.data1);
      e.lParam = reinterpret_cast<intptr_t>(ev.user.data2);
      Deliver(w, e);
    }
    return;
  }
  if (ev.type == g_controlType.load()) {
    if (ev.user.code == kControlQuit) {
      loop.quit = true;
      loop.quitCode = static_cast<int>(reinterpret_cast<intptr_t>(ev.user.data1));
    } else if (ev.user.code == kControlClose) {
      if (WindowHost::Impl* w = Find(ev.user.windowID)) {
        HostEvent e;
        e.type = HostEventType::kCloseRequest;
        const Uint32 id = w->id;
        if (!Deliver(w, e) && (w = Find(id))) DestroyImpl(w, true);
      }
    }
    return;
  }
  switch (ev.type) {
    case SDL_SYSWMEVENT:
      OnSysWm(ev.syswm.msg);
      break;
    case SDL_WINDOWEVENT:
      if (WindowHost::Impl* w = Find(ev.window.windowID)) OnWindowEvent(w, ev.window);
      break;
    case SDL_MOUSEMOTION:
      if (WindowHost::Impl* w = Find(ev.motion.windowID)) OnMouseMotion(w, ev.motion);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (WindowHost::Impl* w = Find(ev.button.windowID)) OnMouseButton(w, ev.button);
      break;
    case SDL_MOUSEWHEEL:
      if (WindowHost::Impl* w = Find(ev.wheel.windowID); w && !w->disabled) {
        HostEvent e;
        e.type = HostEventType::kMouseWheel;
        e.point = Point{ev.wheel.mouseX, ev.wheel.mouseY};
        e.wheelDelta = ev.wheel.y * 120 * (ev.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1 : 1);
        e.modifiers = Modifiers(SDL_GetModState());
        Deliver(w, e);
      }
      break;
    case SDL_KEYDOWN:
      if (WindowHost::Impl* w = KeyTarget(ev.key.windowID); w && !w->disabled) {
        HostEvent e;
        e.type = HostEventType::kKeyDown;
        e.key = VirtualKey(ev.key.keysym.sym);
        e.modifiers = Modifiers(ev.key.keysym.mod);
        if (e.key) Deliver(w, e);
      }
      break;
    case SDL_TEXTEDITING:
      if (WindowHost::Impl* w = KeyTarget(ev.edit.windowID); w && !w->disabled) {
        HostEvent e;
        e.type = HostEventType::kComposition;
        e.text = ev.edit.text;
        e.compositionCursor = ev.edit.start;
        Deliver(w, e);
      }
      break;
    case SDL_TEXTINPUT: {
      WindowHost::Impl* target = KeyTarget(ev.text.windowID);
      const Uint32 id = target ? target->id : 0;
      for (char32_t c : DecodeUtf8(ev.text.text)) {
        WindowHost::Impl* w = Find(id);
        if (!w || w->disabled) break;
        HostEvent e;
        e.type = HostEventType::kChar;
        e.codepoint = c;
        Deliver(w, e);
      }
      break;
    }
    default:
      break;
  }
}

void PaintPending() {
  std::vector<Uint32> ids;
  for (auto& entry : Loop().windows) ids.push_back(entry.first);
  for (Uint32 id : ids) {
    WindowHost::Impl* w = Find(id);
    if (!w) continue;
    const Rect bounds{0, 0, w->back.width, w->back.height};
    const Rect dirty = w->dirty.Intersect(bounds);
    w->dirty = Rect{};
    if (!dirty.IsEmpty()) {
      if (w->observer) w->observer->OnObservedPaint();
      w->handler->Paint(dirty, w->back);
      if (!(w = Find(id))) continue;
    }
    const Rect present = dirty.Union(w->exposed.Intersect(bounds));
    w->exposed = Rect{};
    if (!present.IsEmpty() && w->visible) w->Present(present);
  }
}

// Milliseconds until the next timer is due (0 when one is overdue), or -1.
int NextTimerWait() {
  const auto now = Clock::now();
  long long best = -1;
  for (auto& entry : Loop().windows) {
    for (auto& t : entry.second->timers) {
      long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(t.due - now).count();
      ms = std::max(ms, 0LL);
      if (best < 0 || ms < best) best = ms;
    }
  }
  return static_cast<int>(best);
}

void FireTimers() {
  const auto now = Clock::now();
  std::vector<std::pair<Uint32, unsigned>> due;
  for (auto& entry : Loop().windows)
    for (auto& t : entry.second->timers)
      if (t.due <= now) due.emplace_back(entry.first, t.id);
  for (auto& [wid, tid] : due) {
    WindowHost::Impl* w = Find(wid);
    if (!w) continue;
    auto it = std::find_if(w->timers.begin(), w->timers.end(), [tid = tid](auto& t) { return t.id == tid; });
    if (it == w->timers.end() || it->due > now) continue;  // killed or restarted meanwhile
    // Re-armed from now, not from the missed due time: a late loop gets one
    // tick, never a burst, as Win32 timers behave.
    it->due = now + std::chrono::milliseconds(it->period);
    HostEvent e;
    e.type = HostEventType::kTimer;
    e.timerId = tid;
    Deliver(w, e);
  }
}

}  // namespace

Display* HostX11Display() { return Loop().display; }

::Window HostX11Window(const WindowHost& host) {
  return host.impl() && host.impl()->window ? host.impl()->xwindow : 0;
}

bool X11HasWindowManager(Display* display) {
  if (!display) return false;
  const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const int rc = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW, &type,
                                    &format, &count, &after, &data);
  const bool found = rc == Success && type == XA_WINDOW && count == 1;
  if (data) XFree(data);
  return found;
}

WindowHost::WindowHost() : impl_(std::make_unique<Impl>()) { impl_->self = this; }

WindowHost::~WindowHost() { DestroyImpl(impl_.get(), false); }

bool WindowHost::Create(IHostHandler* handler, const HostOptions& options) {
  if (impl_->window || !handler || !EnsureSdl()) return false;
  Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS;
  if (options.owner || options.toolWindow || options.popup) flags |= SDL_WINDOW_SKIP_TASKBAR;
  // SDL makes a popup menu window override-redirect: no window manager
  // places, frames or focuses it, so the owner keeps the keyboard.
  if (options.popup) flags |= SDL_WINDOW_POPUP_MENU;
  const std::string title = Utils::WideToUtf8(options.title);
  SDL_Window* window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                        std::max(options.size.cx, 1), std::max(options.size.cy, 1), flags);
  if (!window) return false;
  impl_->handler = handler;
  impl_->window = window;
  impl_->id = SDL_GetWindowID(window);
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) {
    impl_->xwindow = info.info.x11.window;
    if (!Loop().display) {
      Loop().display = info.info.x11.display;
      Loop().hasWm = X11HasWindowManager(Loop().display);
    }
    XClassHint hint;
    std::string cls = options.className;
    hint.res_name = cls.data();
    hint.res_class = cls.data();
    XSetClassHint(Loop().display, impl_->xwindow, &hint);
  }
  impl_->popup = options.popup;
  impl_->dpi = SystemDpi();
  if (options.owner && options.owner->impl_->window) {
    impl_->ownerId = options.owner->impl_->id;
    if (!options.popup) SDL_SetWindowModalFor(window, options.owner->impl_->window);
  }
  if (Loop().hasWm && !options.popup) SDL_SetWindowHitTest(window, HitTestCallback, impl_.get());
  impl_->ResizeBuffer(Size{std::max(options.size.cx, 1), std::max(options.size.cy, 1)});
  Loop().windows[impl_->id] = impl_.get();
  std::lock_guard<std::mutex> lock(g_liveMutex);
  g_liveIds.insert(impl_->id);
  return true;
}

bool WindowHost::IsAlive() const { return impl_->window != nullptr; }
WindowId WindowHost::Id() const { return impl_->id; }
void* WindowHost::NativeHandle() const { return impl_->window; }

void WindowHost::Show(bool activate) {
  if (!impl_->window) return;
  SDL_ShowWindow(impl_->window);
  impl_->visible = true;
  impl_->exposed = Rect{0, 0, impl_->back.width, impl_->back.height};
  if (impl_->popup) {
    // Mapping stacks an override-redirect window on top. Without a window
    // manager SDL also hands it the X input focus; the owner takes it back,
    // as a drop-down list never holds the keyboard.
    Impl* owner = Find(impl_->ownerId);
    if (!Loop().hasWm && owner && Loop().display && owner->xwindow) {
      XSetInputFocus(Loop().display, owner->xwindow, RevertToParent, CurrentTime);
      XFlush(Loop().display);
    }
  } else if (activate) {
    SDL_RaiseWindow(impl_->window);
    if (!Loop().hasWm) SDL_SetWindowInputFocus(impl_->window);
  }
}

void WindowHost::Hide() {
  if (!impl_->window) return;
  SDL_HideWindow(impl_->window);
  impl_->visible = false;
}

bool WindowHost::IsVisible() const { return impl_->window && impl_->visible; }
bool WindowHost::IsEnabled() const { return impl_->window && impl_->disabled == 0; }

void WindowHost::SetInputEnabled(bool enabled) {
  if (!impl_->window) return;
  if (!enabled) ++impl_->disabled;
  else if (impl_->disabled > 0) --impl_->disabled;
}

void WindowHost::Minimize() {
  if (!impl_->window) return;
  if (Loop().hasWm) {
    SDL_MinimizeWindow(impl_->window);
  } else {
    // Nothing iconifies without a window manager: a minimised window is a
    // hidden one until restored.
    SDL_HideWindow(impl_->window);
    impl_->visible = false;
  }
  impl_->state = SizeState::kMinimized;
  HostEvent e;
  e.type = HostEventType::kSize;
  e.size = ClientSize();
  e.sizeState = impl_->state;
  Deliver(impl_.get(), e);
}

void WindowHost::Maximize() {
  if (!impl_->window || impl_->state == SizeState::kMaximized) return;
  impl_->restoreRect = WindowRect();
  impl_->state = SizeState::kMaximized;
  const Rect work = WorkArea(this);
  SDL_SetWindowSize(impl_->window, work.Width(), work.Height());
  MoveTo(impl_.get(), Point{work.left, work.top});
}

void WindowHost::Restore() {
  if (!impl_->window) return;
  const SizeState was = impl_->state;
  impl_->state = SizeState::kRestored;
  if (was == SizeState::kMinimized) {
    if (Loop().hasWm) SDL_RestoreWindow(impl_->window);
    else Show(true);
  } else if (was == SizeState::kMaximized) {
    const Rect r = impl_->restoreRect;
    SDL_SetWindowSize(impl_->window, r.Width(), r.Height());
    MoveTo(impl_.get(), Point{r.left, r.top});
  }
}

SizeState WindowHost::State() const { return impl_->state; }

void WindowHost::Move(Point p) {
  if (impl_->window) MoveTo(impl_.get(), p);
}

void WindowHost::Resize(Size s) {
  if (impl_->window) SDL_SetWindowSize(impl_->window, std::max(s.cx, 1), std::max(s.cy, 1));
}

Rect WindowHost::WindowRect() const {
  if (!impl_->window) return Rect{};
  int x = 0, y = 0, w = 0, h = 0;
  SDL_GetWindowPosition(impl_->window, &x, &y);
  SDL_GetWindowSize(impl_->window, &w, &h);
  return Rect{x, y, x + w, y + h};
}

Size WindowHost::ClientSize() const { return Size{impl_->back.width, impl_->back.height}; }

int WindowHost::SystemDpi() {
  // The loop's connection once a window exists; before, one of our own,
  // as SDL will open on the same $DISPLAY.
  if (Loop().display) return SkinUI::SystemDpi(Loop().display);
  return SkinUI::SystemDpi();
}

int WindowHost::Dpi() const { return impl_->dpi; }

namespace {

Rect DisplayWorkArea(int index) {
  SDL_Rect r{0, 0, 0, 0};
  if (SDL_GetDisplayUsableBounds(index, &r) != 0 && SDL_GetDisplayUsableBounds(0, &r) != 0) return Rect{};
  return Rect{r.x, r.y, r.x + r.w, r.y + r.h};
}

std::vector<MonitorArea> Displays() {
  std::vector<MonitorArea> out;
  const int count = SDL_GetNumVideoDisplays();
  for (int i = 0; i < count; ++i) {
    SDL_Rect b{0, 0, 0, 0}, u{0, 0, 0, 0};
    if (SDL_GetDisplayBounds(i, &b) != 0) b = SDL_Rect{0, 0, 0, 0};
    if (SDL_GetDisplayUsableBounds(i, &u) != 0) u = b;
    out.push_back(MonitorArea{Rect{b.x, b.y, b.x + b.w, b.y + b.h}, Rect{u.x, u.y, u.x + u.w, u.y + u.h}});
  }
  return out;
}

// The display holding most of `area`, else the one nearest its centre.
int DisplayFor(const Rect& area) { return std::max(0, MonitorHolding(Displays(), area)); }

}  // namespace

Rect WindowHost::WorkArea(const WindowHost* nearWindow) {
  if (!EnsureSdl()) return Rect{};
  if (!nearWindow || !nearWindow->IsAlive()) return DisplayWorkArea(0);
  return DisplayWorkArea(DisplayFor(nearWindow->WindowRect()));
}

Rect WindowHost::WorkAreaAt(Point screen) {
  if (!EnsureSdl()) return Rect{};
  return DisplayWorkArea(DisplayFor(Rect{screen.x, screen.y, screen.x + 1, screen.y + 1}));
}

void WindowHost::Close() {
  if (impl_->window) PushControl(impl_->id, kControlClose, 0);
}

void WindowHost::Destroy() { DestroyImpl(impl_.get(), true); }

void WindowHost::SetRoundRegion(Size ellipse) {
  impl_->ellipse = ellipse;
  impl_->ApplyShape();
}

std::vector<RegionRow> WindowHost::RegionRows() const {
  const int w = impl_->back.width, h = impl_->back.height;
  if (!impl_->window) return {};
  if (impl_->ellipse.cx <= 0 || impl_->ellipse.cy <= 0) return std::vector<RegionRow>(h, RegionRow{0, w - 1});
  // The very rows ApplyShape gave the X server.
  return RoundRectRows(w, h, impl_->ellipse.cx, impl_->ellipse.cy);
}

void WindowHost::SetObserver(IHostObserver* observer) { impl_->observer = impl_->window ? observer : nullptr; }
IHostObserver* WindowHost::Observer() const { return impl_->observer; }

void WindowHost::Invalidate(const Rect& rect) {
  impl_->dirty = impl_->dirty.Union(rect.Intersect(Rect{0, 0, impl_->back.width, impl_->back.height}));
}

void WindowHost::InvalidateAll() { Invalidate(Rect{0, 0, impl_->back.width, impl_->back.height}); }

void WindowHost::UpdateNow() { PaintPending(); }

const Bitmap& WindowHost::BackBuffer() const { return impl_->back; }

bool WindowHost::SetTimer(unsigned id, unsigned ms) {
  if (!impl_->window) return false;
  const auto due = Clock::now() + std::chrono::milliseconds(ms);
  for (auto& t : impl_->timers) {
    if (t.id == id) {
      t.period = ms;
      t.due = due;
      return true;
    }
  }
  impl_->timers.push_back(Impl::Timer{id, ms, due});
  return true;
}

void WindowHost::KillTimer(unsigned id) {
  auto& timers = impl_->timers;
  timers.erase(std::remove_if(timers.begin(), timers.end(), [id](auto& t) { return t.id == id; }), timers.end());
}

bool WindowHost::Post(unsigned message, uintptr_t wParam, intptr_t lParam) {
  return PostToWindow(Id(), message, wParam, lParam);
}

bool WindowHost::PostToWindow(WindowId id, unsigned message, uintptr_t wParam, intptr_t lParam) {
  const Uint32 type = g_postType.load();
  if (type == 0 || id == 0 || message < kFirstPostedMessage) return false;
  {
    std::lock_guard<std::mutex> lock(g_liveMutex);
    if (!g_liveIds.count(static_cast<Uint32>(id))) return false;
  }
  // The event names the window by id only; one destroyed before delivery
  // is no longer in the table and the message is dropped there.
  SDL_Event e{};
  e.type = type;
  e.user.windowID = static_cast<Uint32>(id);
  e.user.code = static_cast<Sint32>(message);
  e.user.data1 = reinterpret_cast<void*>(wParam);
  e.user.data2 = reinterpret_cast<void*>(lParam);
  return SDL_PushEvent(&e) == 1;
}

int WindowHost::RunModal() {
  if (!impl_->window) return -1;
  const Uint32 id = impl_->id;
  const Uint32 ownerId = impl_->ownerId;
  if (Impl* owner = Find(ownerId)) ++owner->disabled;
  impl_->modalEnded = false;
  impl_->modalResult = -1;
  Show(true);
  // The host object itself may be deleted by its handler inside the loop,
  // so the loop watches the id, never `this`.
  int result = -1;
  for (;;) {
    Impl* w = Find(id);
    if (!w) break;
    if (w->modalEnded) {
      result = w->modalResult;
      break;
    }
    if (Loop().quit) break;  // left set: the enclosing loop ends too
    PumpMessages(-1);
  }
  if (Impl* owner = Find(ownerId)) {
    --owner->disabled;
    SDL_RaiseWindow(owner->window);
    if (owner->visible) SDL_SetWindowInputFocus(owner->window);
  }
  if (Impl* w = Find(id)) {
    if (!w->modalEnded) result = -1;
    DestroyImpl(w, true);
  }
  return result;
}

void WindowHost::EndModal(int result) {
  impl_->modalEnded = true;
  impl_->modalResult = result;
  PushControl(impl_->id, kControlWake, 0);
}

int WindowHost::RunMessageLoop() {
  if (!EnsureSdl()) return -1;
  while (PumpMessages(-1)) {
  }
  Loop().quit = false;
  return Loop().quitCode;
}

void WindowHost::QuitMessageLoop(int code) {
  if (EnsureSdl()) PushControl(0, kControlQuit, code);
}

bool WindowHost::PumpMessages(int maxWaitMs) {
  if (!EnsureSdl()) return false;
  if (Loop().quit) return false;
  PaintPending();
  int wait = NextTimerWait();
  if (maxWaitMs >= 0 && (wait < 0 || wait > maxWaitMs)) wait = maxWaitMs;
  SDL_Event ev;
  if (SDL_WaitEventTimeout(&ev, wait < 0 ? 1000 : wait)) {
    Dispatch(ev);
    // Bounded, so a flood of posts from another thread cannot starve
    // painting and timers.
    for (int i = 0; i < 256 && SDL_PollEvent(&ev); ++i) Dispatch(ev);
  }
  FireTimers();
  PaintPending();
  return !Loop().quit;
}

void WindowHost::StartTextInput(const Rect& caret) {
  SDL_Rect r{caret.left, caret.top, caret.Width(), caret.Height()};
  SDL_SetTextInputRect(&r);
  SDL_StartTextInput();
}

void WindowHost::StopTextInput() { SDL_StopTextInput(); }

// Linux has no native field the toolkit would want: the Edit control is a
// complete field of its own there.
bool WindowHost::BeginNativeEdit(const NativeEditLook&) { return false; }
bool WindowHost::NativeEditActive() const { return false; }
std::string WindowHost::NativeEditText() const { return {}; }
void WindowHost::EndNativeEdit() {}

std::string WindowHost::ClipboardText() {
  if (!EnsureSdl() || !SDL_HasClipboardText()) return {};
  char* text = SDL_GetClipboardText();
  std::string out = text ? text : "";
  SDL_free(text);
  return out;
}

bool WindowHost::SetClipboardText(const std::string& utf8) {
  return EnsureSdl() && SDL_SetClipboardText(utf8.c_str()) == 0;
}

void WindowHost::ShowErrorBox(const std::wstring& text, const std::wstring& caption) {
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, Utils::WideToUtf8(caption).c_str(), Utils::WideToUtf8(text).c_str(), nullptr);
}

}  // namespace SkinUI
