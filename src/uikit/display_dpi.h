// The display scale the toolkit draws at, as dots per inch: 96 is 1x. The
// toolkit's skins are sharp from 1x to 3x, so every reading is clamped to
// that range. Readings that need a platform handle are declared in
// display_dpi_win.h (HWND) and display_dpi_x11.h (Display*).
#pragma once

#include "uikit/geometry.h"  // kBaseDpi, ClampDpi, ScaleLength

namespace SkinUI {

// The `Xft.dpi` entry of an X resource database in its text form (what
// XResourceManagerString answers; "Xft.dpi:\t192" lines), rounded half up
// to a whole number. 0 when there is none, or its value is not a positive
// decimal number. Of several entries the last wins, as in Xlib's database.
int ParseXftDpi(const char* resources);

// The scale of the whole desktop, clamped: on Windows the system DPI, on
// Linux Xft.dpi of the X display named by $DISPLAY; kBaseDpi when neither
// says.
int SystemDpi();

}  // namespace SkinUI
