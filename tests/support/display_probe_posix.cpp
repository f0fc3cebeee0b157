#include <X11/Xlib.h>

#include "support/display_probe.h"

namespace quillon_test {

ScreenSize OpenScreen() {
  ScreenSize size;
  Display* display = XOpenDisplay(nullptr);
  if (!display) return size;
  size.width = DisplayWidth(display, DefaultScreen(display));
  size.height = DisplayHeight(display, DefaultScreen(display));
  XCloseDisplay(display);
  return size;
}

bool CanShowWindow() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  const int screen = DefaultScreen(display);
  Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, 64, 64, 0,
                                      BlackPixel(display, screen), WhitePixel(display, screen));
  XSelectInput(display, window, StructureNotifyMask);
  XMapWindow(display, window);
  // Without a window manager the map is granted at once; the server's
  // answer bounds the wait.
  bool mapped = false;
  XEvent event;
  for (int i = 0; i < 100 && !mapped; ++i) {
    XNextEvent(display, &event);
    mapped = event.type == MapNotify;
  }
  XDestroyWindow(display, window);
  XCloseDisplay(display);
  return mapped;
}

}  // namespace quillon_test
