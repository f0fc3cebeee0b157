#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <thread>

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

bool WaitForCompositor(int timeoutMs) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  char name[32];
  std::snprintf(name, sizeof name, "_NET_WM_CM_S%d", DefaultScreen(display));
  const Atom selection = XInternAtom(display, name, False);
  bool owned = false;
  for (int waited = 0; !owned; waited += 20) {
    owned = XGetSelectionOwner(display, selection) != None;
    if (owned || waited >= timeoutMs) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  XCloseDisplay(display);
  return owned;
}

}  // namespace quillon_test
