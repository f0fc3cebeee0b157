#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstring>

#include "support/screen_window.h"
#include "utils/utf8.h"

namespace quillon_test {
namespace {

std::string Title(Display* d, Window w) {
  const Atom netName = XInternAtom(d, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
  Atom type = 0;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  std::string title;
  if (XGetWindowProperty(d, w, netName, 0, 1024, False, utf8, &type, &format, &items, &after, &data) == Success &&
      data && type == utf8) {
    title.assign(reinterpret_cast<char*>(data), items);
  }
  if (data) XFree(data);
  if (title.empty()) {
    char* name = nullptr;
    if (XFetchName(d, w, &name) && name) title = name;
    if (name) XFree(name);
  }
  return title;
}

bool ClassIs(Display* d, Window w, const std::string& className) {
  if (className.empty()) return true;
  XClassHint hint{};
  if (!XGetClassHint(d, w, &hint)) return false;
  const bool same = (hint.res_class && className == hint.res_class) || (hint.res_name && className == hint.res_name);
  if (hint.res_name) XFree(hint.res_name);
  if (hint.res_class) XFree(hint.res_class);
  return same;
}

// Top-level windows are the root's children, or their children when a
// window manager reparents them into frames.
bool Search(Display* d, Window parent, int depth, const std::string& title, const std::string& className,
            ScreenRect* rect) {
  Window root = 0, up = 0, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(d, parent, &root, &up, &children, &count)) return false;
  bool found = false;
  // Topmost first: the tree lists children bottom to top.
  for (unsigned i = count; i-- > 0 && !found;) {
    const Window w = children[i];
    XWindowAttributes attrs;
    if (!XGetWindowAttributes(d, w, &attrs) || attrs.map_state != IsViewable) continue;
    if (Title(d, w) == title && ClassIs(d, w, className)) {
      int x = 0, y = 0;
      Window child = 0;
      XTranslateCoordinates(d, w, root, 0, 0, &x, &y, &child);
      *rect = ScreenRect{x, y, x + attrs.width, y + attrs.height};
      found = true;
    } else if (depth < 2) {
      found = Search(d, w, depth + 1, title, className, rect);
    }
  }
  if (children) XFree(children);
  return found;
}

// Windows come and go while the tree is walked; a window gone between the
// query and the next request is no error of ours.
int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

}  // namespace

bool FindTopLevelWindow(const std::wstring& title, const std::string& className, ScreenRect* rect) {
  Display* d = XOpenDisplay(nullptr);
  if (!d) return false;
  XSetErrorHandler(IgnoreErrors);
  const bool found = Search(d, DefaultRootWindow(d), 0, Utils::WideToUtf8(title), className, rect);
  XCloseDisplay(d);
  return found;
}

std::vector<uint32_t> ScreenPixels(const ScreenRect& area, int* width, int* height) {
  std::vector<uint32_t> pixels;
  *width = *height = 0;
  Display* d = XOpenDisplay(nullptr);
  if (!d) return pixels;
  XSetErrorHandler(IgnoreErrors);
  const int screen = DefaultScreen(d);
  const int left = std::max(0, area.left), top = std::max(0, area.top);
  const int right = std::min(DisplayWidth(d, screen), area.right);
  const int bottom = std::min(DisplayHeight(d, screen), area.bottom);
  if (right > left && bottom > top) {
    XImage* image = XGetImage(d, RootWindow(d, screen), left, top, static_cast<unsigned>(right - left),
                              static_cast<unsigned>(bottom - top), AllPlanes, ZPixmap);
    if (image) {
      *width = right - left;
      *height = bottom - top;
      pixels.reserve(static_cast<size_t>(*width) * *height);
      for (int y = 0; y < *height; ++y) {
        for (int x = 0; x < *width; ++x) pixels.push_back(0xFF000000u | (XGetPixel(image, x, y) & 0xFFFFFFu));
      }
      XDestroyImage(image);
    }
  }
  XCloseDisplay(d);
  return pixels;
}

}  // namespace quillon_test
