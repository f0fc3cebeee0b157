// The display scale read from an X display that is open already (SDL's,
// for one), so no second connection is made.
#pragma once

#include <X11/Xlib.h>

namespace SkinUI {

// Xft.dpi of the display's resources as they are now, clamped; kBaseDpi
// when it has none or `display` is null.
int SystemDpi(Display* display);

}  // namespace SkinUI
