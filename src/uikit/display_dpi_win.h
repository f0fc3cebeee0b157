// The display scale on Windows, per window and per monitor. Every call
// newer than Windows 7 is looked up at run time, so the product still
// starts where it is missing and falls back to what the older system has.
#pragma once

#include <windows.h>

#include "uikit/display_dpi.h"

namespace SkinUI {

// Declares the process per-monitor DPI aware (version 2 where the system
// has it), as the manifest does, for a process started without the
// manifest's word. Call before the first window is created; a declaration
// made already (by the manifest) stays.
void DeclareDpiAwareness();

// The DPI of the monitor showing `hwnd`, clamped; the system DPI where the
// system has no per-monitor DPI.
int WindowDpi(HWND hwnd);

// AdjustWindowRectEx (no menu) with the frame metrics of `dpi`; where the
// system cannot say them for another DPI, those of the system DPI.
bool AdjustWindowRectForDpi(RECT* rect, DWORD style, DWORD exStyle, int dpi);

// GetSystemMetrics(`index`) as it is at `dpi`; where the system cannot
// say, the system DPI's value scaled to `dpi`.
int MetricForDpi(int index, int dpi);

}  // namespace SkinUI
