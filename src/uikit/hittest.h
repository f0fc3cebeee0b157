// Which part of a borderless skinned window a point is over: the window host
// answers the system's non-client hit test with it, so sizing borders and
// the drag band behave like a title bar without one.
#pragma once

#include <functional>
#include <string>

#include "uikit/geometry.h"

namespace SkinUI {

// The Win32 hit-test values, so the Windows host can return them unchanged.
enum class HitArea {
  Client = 1,
  Caption = 2,
  Left = 10,
  Right = 11,
  Top = 12,
  TopLeft = 13,
  TopRight = 14,
  Bottom = 15,
  BottomLeft = 16,
  BottomRight = 17,
};

struct HitTestInput {
  Point point;        // client coordinates
  Size client;
  Rect sizebox;       // widths of the resize bands; zero: none
  Rect caption;       // left and right from the edges, top and bottom from the top
  bool maximised = false;
  bool controlKeepsClick = false;  // the control under the point is clickable in the band
};

HitArea HitTest(const HitTestInput& in);

// Buttons, options and plain text keep a press inside the drag band. The
// question is put as an interface query (is(name)), so a check box or an
// animated button, derived from them, keeps it too.
bool KeepsClickInCaption(const std::function<bool(const std::string&)>& is);

}  // namespace SkinUI
