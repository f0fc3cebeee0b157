#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <string>

#include "uikit/display_dpi.h"
#include "uikit/display_dpi_x11.h"

namespace SkinUI {

int SystemDpi(Display* display) {
  if (!display) return kBaseDpi;
  // The root window's property itself, not XResourceManagerString: Xlib
  // keeps the text as it was when the display was opened, and a
  // long-lived connection (SDL's) would miss a later xrdb.
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  const long kMaxLongs = 1 << 18;  // a megabyte of resources is plenty
  const int status = XGetWindowProperty(display, RootWindow(display, 0), XA_RESOURCE_MANAGER, 0, kMaxLongs, False,
                                        XA_STRING, &type, &format, &count, &after, &data);
  int dpi = 0;
  if (status == Success && data && type == XA_STRING && format == 8) {
    const std::string text(reinterpret_cast<const char*>(data), count);
    dpi = ParseXftDpi(text.c_str());
  }
  if (data) XFree(data);
  return ClampDpi(dpi);
}

int SystemDpi() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return kBaseDpi;
  const int dpi = SystemDpi(display);
  XCloseDisplay(display);
  return dpi;
}

}  // namespace SkinUI
