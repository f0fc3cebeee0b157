#include <windows.h>

#include "ui/skin_frame.h"

namespace SkinUI {

void StripFrameStyles(WindowHost& host, bool dropTopmost) {
  HWND hwnd = static_cast<HWND>(host.NativeHandle());
  if (!hwnd) return;
  const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
  SetWindowLongPtrW(hwnd, GWL_STYLE, (style & ~static_cast<LONG_PTR>(WS_CAPTION | WS_MAXIMIZEBOX)) |
                                         WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
  UINT flags = SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  HWND after = nullptr;
  if (dropTopmost && (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST))
    after = HWND_NOTOPMOST;
  else
    flags |= SWP_NOZORDER;
  // The style change takes effect for the frame only once the position is
  // applied again with a frame change.
  SetWindowPos(hwnd, after, 0, 0, 0, 0, flags);
}

}  // namespace SkinUI
