#include "uikit/hittest.h"

namespace SkinUI {

HitArea HitTest(const HitTestInput& in) {
  const Point p = in.point;
  if (!in.maximised) {
    const bool left = p.x < in.sizebox.left;
    const bool right = p.x >= in.client.cx - in.sizebox.right;
    const bool top = p.y < in.sizebox.top;
    const bool bottom = p.y >= in.client.cy - in.sizebox.bottom;
    if (top) return left ? HitArea::TopLeft : right ? HitArea::TopRight : HitArea::Top;
    if (bottom) return left ? HitArea::BottomLeft : right ? HitArea::BottomRight : HitArea::Bottom;
    if (left) return HitArea::Left;
    if (right) return HitArea::Right;
  }
  const Rect& c = in.caption;
  if (p.x >= c.left && p.x < in.client.cx - c.right && p.y >= c.top && p.y < c.bottom)
    return in.controlKeepsClick ? HitArea::Client : HitArea::Caption;
  return HitArea::Client;
}

bool KeepsClickInCaption(const std::function<bool(const std::string&)>& is) {
  return is("Button") || is("Option") || is("Text");
}

}  // namespace SkinUI
