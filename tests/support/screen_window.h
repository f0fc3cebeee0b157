// Finding another process's top-level window on the screen, as a user sees
// it: by its title and class, with its rectangle in screen coordinates.
// Linux: the X server's window tree (XQueryTree, _NET_WM_NAME or WM_NAME,
// WM_CLASS), viewable windows only; Windows: FindWindowW and GetWindowRect
// (under Wine the same wineserver as the window's process).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillon_test {

struct ScreenRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

// The first shown top-level window whose title is `title` and, unless
// `className` is empty, whose class is `className`. False when none.
bool FindTopLevelWindow(const std::wstring& title, const std::string& className, ScreenRect* rect);

// The screen's pixels inside `area` (clipped to the screen) as 0xAARRGGBB
// rows, alpha 0xFF; *width and *height receive the size read. Empty when
// nothing could be read. Only the area crosses from the server.
std::vector<uint32_t> ScreenPixels(const ScreenRect& area, int* width, int* height);

}  // namespace quillon_test
