// The shadow popup on X11, on a connection of its own so it works before and
// apart from SDL's. Without a compositor an ARGB window shows as an opaque
// block (or a 1-bit shape), which looks worse than no shadow: then shadows
// are off for the process, as on a Windows without layered windows.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

#include <cstdio>
#include <vector>

#include "uikit/shadow_window.h"
#include "uikit/window_host_x11.h"

namespace SkinUI {

namespace {

struct ShadowDisplay {
  bool initialized = false;
  bool available = false;
  Display* display = nullptr;
  Visual* visual = nullptr;
  Colormap colormap = 0;
};

ShadowDisplay& Shared() {
  static ShadowDisplay shared;
  return shared;
}

// The popup's requests name its owner, SDL's window on another connection,
// which may be gone by the time the server reads them (the owner closed
// while its shadow restacked). Xlib's default answer to such an error is
// to end the process; on the popup's own connection it is harmless and
// ignored. Errors of other connections go to the handler that was there.
XErrorHandler previousErrorHandler = nullptr;

int OnXError(Display* d, XErrorEvent* error) {
  if (d == Shared().display) return 0;
  return previousErrorHandler ? previousErrorHandler(d, error) : 0;
}

bool CompositorRuns(Display* d) {
  char name[32];
  std::snprintf(name, sizeof name, "_NET_WM_CM_S%d", DefaultScreen(d));
  return XGetSelectionOwner(d, XInternAtom(d, name, False)) != None;
}

}  // namespace

struct ShadowWindow::Impl {
  ::Window window = 0;
  ::Window owner = 0;
  Pixmap pixmap = 0;
  Rect rect;
  bool visible = false;

  void StackBelowOwner() {
    Display* d = Shared().display;
    // Restacking needs siblings; under a window manager the owner is
    // reparented into its frame and the popup simply stays on top.
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, owner, &root, &parent, &children, &count)) return;
    if (children) XFree(children);
    if (parent != root) return;
    XWindowChanges changes{};
    changes.sibling = owner;
    changes.stack_mode = Below;
    XConfigureWindow(d, window, CWSibling | CWStackMode, &changes);
  }
};

bool ShadowWindow::Initialize() {
  ShadowDisplay& s = Shared();
  if (s.initialized) return false;
  s.initialized = true;
  Display* d = XOpenDisplay(nullptr);
  if (!d) return false;
  XVisualInfo info;
  int eventBase = 0, errorBase = 0;
  if (!XShapeQueryExtension(d, &eventBase, &errorBase) || !CompositorRuns(d) ||
      !XMatchVisualInfo(d, DefaultScreen(d), 32, TrueColor, &info)) {
    XCloseDisplay(d);
    return false;
  }
  s.display = d;
  previousErrorHandler = XSetErrorHandler(OnXError);
  s.visual = info.visual;
  s.colormap = XCreateColormap(d, DefaultRootWindow(d), info.visual, AllocNone);
  s.available = true;
  return true;
}

bool ShadowWindow::Available() { return Shared().available; }

ShadowWindow::ShadowWindow() : impl_(std::make_unique<Impl>()) {}

ShadowWindow::~ShadowWindow() { Destroy(); }

bool ShadowWindow::Create(const WindowHost& owner) {
  ShadowDisplay& s = Shared();
  const ::Window ownerWindow = HostX11Window(owner);
  if (!s.available || impl_->window || !ownerWindow) return false;
  Display* d = s.display;
  XSetWindowAttributes attrs{};
  attrs.colormap = s.colormap;
  attrs.border_pixel = 0;
  attrs.background_pixel = 0;
  attrs.override_redirect = True;  // no frame, no focus, no taskbar
  impl_->window = XCreateWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 32, InputOutput, s.visual,
                                CWColormap | CWBorderPixel | CWBackPixel | CWOverrideRedirect, &attrs);
  if (!impl_->window) return false;
  impl_->owner = ownerWindow;
  // An empty input shape: clicks fall through to what lies below.
  XShapeCombineRectangles(d, impl_->window, ShapeInput, 0, 0, nullptr, 0, ShapeSet, Unsorted);
  XSetTransientForHint(d, impl_->window, ownerWindow);
  XFlush(d);
  return true;
}

bool ShadowWindow::IsCreated() const { return impl_->window != 0; }

void ShadowWindow::Destroy() {
  Display* d = Shared().display;
  if (!impl_->window) return;
  XDestroyWindow(d, impl_->window);
  if (impl_->pixmap) XFreePixmap(d, impl_->pixmap);
  XFlush(d);
  impl_->window = 0;
  impl_->pixmap = 0;
  impl_->visible = false;
}

void ShadowWindow::Update(const Bitmap& pixels, Point pos) {
  Display* d = Shared().display;
  if (!impl_->window || pixels.IsEmpty()) return;
  if (impl_->pixmap) XFreePixmap(d, impl_->pixmap);
  impl_->pixmap = XCreatePixmap(d, impl_->window, pixels.width, pixels.height, 32);
  // The server's ARGB visual is premultiplied like our bitmap; the bytes of a
  // little-endian 0xAARRGGBB word are exactly its LSBFirst ZPixmap.
  XImage* image = XCreateImage(d, Shared().visual, 32, ZPixmap, 0,
                               reinterpret_cast<char*>(const_cast<Argb*>(pixels.pixels.data())),
                               static_cast<unsigned>(pixels.width), static_cast<unsigned>(pixels.height), 32,
                               pixels.width * 4);
  if (!image) return;
  image->byte_order = LSBFirst;
  GC gc = XCreateGC(d, impl_->pixmap, 0, nullptr);
  XPutImage(d, impl_->pixmap, gc, image, 0, 0, 0, 0, static_cast<unsigned>(pixels.width),
            static_cast<unsigned>(pixels.height));
  XFreeGC(d, gc);
  image->data = nullptr;  // the bitmap's, not Xlib's to free
  XDestroyImage(image);
  // As the window's background the server repaints it on every expose,
  // with nothing for us to answer.
  XSetWindowBackgroundPixmap(d, impl_->window, impl_->pixmap);
  XMoveResizeWindow(d, impl_->window, pos.x, pos.y, static_cast<unsigned>(pixels.width),
                    static_cast<unsigned>(pixels.height));
  XClearWindow(d, impl_->window);
  impl_->rect = Rect{pos.x, pos.y, pos.x + pixels.width, pos.y + pixels.height};
  if (impl_->visible) impl_->StackBelowOwner();
  XFlush(d);
}

void ShadowWindow::Move(Point pos) {
  if (!impl_->window) return;
  XMoveWindow(Shared().display, impl_->window, pos.x, pos.y);
  impl_->rect = impl_->rect.Offset(pos.x - impl_->rect.left, pos.y - impl_->rect.top);
  XFlush(Shared().display);
}

void ShadowWindow::Show() {
  if (!impl_->window) return;
  XMapWindow(Shared().display, impl_->window);
  impl_->StackBelowOwner();
  impl_->visible = true;
  XSync(Shared().display, False);
}

void ShadowWindow::Hide() {
  if (!impl_->window) return;
  XUnmapWindow(Shared().display, impl_->window);
  impl_->visible = false;
  XSync(Shared().display, False);
}

bool ShadowWindow::IsVisible() const { return impl_->visible; }
Rect ShadowWindow::ScreenRect() const { return impl_->rect; }
void* ShadowWindow::NativeHandle() const { return reinterpret_cast<void*>(impl_->window); }

}  // namespace SkinUI
