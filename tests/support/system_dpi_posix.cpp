#include "support/system_dpi.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace quillon_test {
namespace {

// The root window's RESOURCE_MANAGER text, as xrdb keeps it; null when unset.
char* ReadResources(Display* d) {
  Atom type = None;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(d, DefaultRootWindow(d), XA_RESOURCE_MANAGER, 0, 1 << 20, False, XA_STRING, &type,
                         &format, &items, &after, &data) != Success || !data)
    return nullptr;
  char* copy = strdup(reinterpret_cast<char*>(data));
  XFree(data);
  return copy;
}

void WriteResources(Display* d, const char* text) {
  if (text)
    XChangeProperty(d, DefaultRootWindow(d), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(text), static_cast<int>(std::strlen(text)));
  else
    XDeleteProperty(d, DefaultRootWindow(d), XA_RESOURCE_MANAGER);
  XSync(d, False);
}

}  // namespace

ScopedSystemDpi::ScopedSystemDpi(int dpi) {
  Display* d = XOpenDisplay(nullptr);
  if (!d) return;
  previousResources_ = ReadResources(d);
  had_ = previousResources_ != nullptr;
  // Every other resource stays; the Xft.dpi line is replaced.
  std::string text;
  if (had_) {
    std::string old = previousResources_, line;
    size_t start = 0;
    while (start < old.size()) {
      size_t end = old.find('\n', start);
      if (end == std::string::npos) end = old.size();
      line = old.substr(start, end - start);
      if (line.compare(0, 8, "Xft.dpi:") != 0 && !line.empty()) text += line + "\n";
      start = end + 1;
    }
  }
  text += "Xft.dpi:\t" + std::to_string(dpi) + "\n";
  WriteResources(d, text.c_str());
  XCloseDisplay(d);
  ok_ = true;
}

ScopedSystemDpi::~ScopedSystemDpi() {
  if (ok_) {
    if (Display* d = XOpenDisplay(nullptr)) {
      WriteResources(d, had_ ? previousResources_ : nullptr);
      XCloseDisplay(d);
    }
  }
  std::free(previousResources_);
}

}  // namespace quillon_test
