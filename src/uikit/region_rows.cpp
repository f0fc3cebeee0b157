#include "uikit/region_rows.h"

#include <algorithm>
#include <cmath>

namespace SkinUI {

std::vector<RegionRow> RoundRectRows(int width, int height, int ellipseWidth, int ellipseHeight) {
  std::vector<RegionRow> rows(static_cast<size_t>(std::max(height, 0)));
  // The region reaches one pixel past the window on the right and bottom,
  // so the far corners are cut one pixel further out than the near ones.
  const double rx = std::min(ellipseWidth, width + 1) / 2.0;
  const double ry = std::min(ellipseHeight, height + 1) / 2.0;
  for (int y = 0; y < height; ++y) {
    double inset = 0;
    if (rx > 0 && ry > 0) {
      const double cy = y + 0.5;
      double dy = 0;
      if (cy < ry) dy = ry - cy;
      else if (cy > height + 1 - ry) dy = cy - (height + 1 - ry);
      if (dy > 0) {
        const double t = std::max(0.0, 1.0 - (dy / ry) * (dy / ry));
        inset = rx - rx * std::sqrt(t);
      }
    }
    const int cut = static_cast<int>(std::lround(inset));
    rows[y].first = cut;
    rows[y].last = std::min(width - 1, width - cut);
  }
  return rows;
}

}  // namespace SkinUI
