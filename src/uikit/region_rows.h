// A window region as rows of columns: the shape the host gives a rounded
// window, which the drop shadow follows. Pure geometry, shared by the hosts
// (the X shape of a rounded window) and the shadow's pixels.
#pragma once

#include <vector>

namespace SkinUI {

// One row of a window region: the columns [first, last] are inside.
struct RegionRow {
  int first = 0;
  int last = -1;
  bool Empty() const { return last < first; }
};

// The rows of the region a rounded window gets: a rounded rectangle from
// (0,0) to (width + 1, height + 1) with corner ellipse `ellipse` (0 = square),
// clipped to the window.
std::vector<RegionRow> RoundRectRows(int width, int height, int ellipseWidth, int ellipseHeight);

}  // namespace SkinUI
