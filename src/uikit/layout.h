// Box and tab layout as pure computations over size specifications: a
// container describes each child as a LayoutItem and receives the child
// rectangles back, so every rule can be checked without controls or fonts.
#pragma once

#include <vector>

#include "uikit/geometry.h"

namespace SkinUI {

// Larger than any client area, small enough that sums of a few never overflow.
constexpr int kUnboundedExtent = 1 << 24;

struct LayoutItem {
  Size fixed;                  // 0 on an axis: stretch along it
  Size minSize;                // clamps fixed and stretch sizes alike
  Size maxSize{kUnboundedExtent, kUnboundedExtent};
  Rect padding;                // outer margins inside the parent
  bool visible = true;
  bool floating = false;       // placed by pos, takes no space
  Rect pos;                    // a floating child's rectangle relative to the parent
};

enum class Align { Start, Center, End };

struct BoxParams {
  Rect inset;
  int childPadding = 0;
  Align childAlign = Align::Start;   // "childalign": left, center, right
  Align childVAlign = Align::Start;  // "childvalign": top, vcenter, bottom
};

// One rectangle per item, in item order. Invisible items get an empty
// rectangle; floating items their pos offset by the parent's top-left.
std::vector<Rect> LayoutHorizontal(const Rect& parent, const BoxParams& params,
                                   const std::vector<LayoutItem>& items);
std::vector<Rect> LayoutVertical(const Rect& parent, const BoxParams& params,
                                 const std::vector<LayoutItem>& items);
// Every child over the whole rectangle less inset and its own padding; a
// fixed width or height is kept from the top-left corner.
std::vector<Rect> LayoutTab(const Rect& parent, const Rect& inset, const std::vector<LayoutItem>& items);

}  // namespace SkinUI
