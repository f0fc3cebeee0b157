#include <X11/Xlib.h>

#include <cstdio>

#include "app/main.h"

namespace App {

void PrepareToolkitPlatform() {}

bool WindowsCanShow() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "quillon-setup: no X display; -silent=true installs without a window\n");
    return false;
  }
  XCloseDisplay(display);
  return true;
}

}  // namespace App

int main() { return App::RunSetup(); }
