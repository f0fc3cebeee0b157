// The X11 side of an SDL window host, for the Linux shadow popup and the
// automation seam, which talk to the X server directly.
#pragma once

#include <X11/Xlib.h>

#include "uikit/window_host.h"

namespace SkinUI {

// The X display SDL uses (null before the first window) and the X window of
// a live host (None otherwise). UI thread only.
Display* HostX11Display();
::Window HostX11Window(const WindowHost& host);

// Whether a window manager runs on the display (_NET_SUPPORTING_WM_CHECK).
bool X11HasWindowManager(Display* display);

}  // namespace SkinUI
