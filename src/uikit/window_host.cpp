#include "uikit/window_host.h"

#include <algorithm>

namespace SkinUI {

int MonitorHolding(const std::vector<MonitorArea>& monitors, const Rect& area) {
  int best = -1;
  long long bestShared = -1, bestDistance = -1;
  const long long cx = (static_cast<long long>(area.left) + area.right) / 2;
  const long long cy = (static_cast<long long>(area.top) + area.bottom) / 2;
  for (size_t i = 0; i < monitors.size(); ++i) {
    const Rect& b = monitors[i].bounds;
    const Rect overlap = b.Intersect(area);
    const long long shared = overlap.IsEmpty() ? 0 : 1LL * overlap.Width() * overlap.Height();
    const long long dx = cx < b.left ? b.left - cx : cx >= b.right ? cx - b.right + 1 : 0;
    const long long dy = cy < b.top ? b.top - cy : cy >= b.bottom ? cy - b.bottom + 1 : 0;
    const long long distance = dx * dx + dy * dy;
    if (shared > bestShared || (shared == bestShared && distance < bestDistance)) {
      best = static_cast<int>(i);
      bestShared = shared;
      bestDistance = distance;
    }
  }
  return best;
}

Point CenteredInside(const Rect& over, Size size, const Rect& work) {
  int x = over.left + (over.Width() - size.cx) / 2;
  int y = over.top + (over.Height() - size.cy) / 2;
  // Kept on the work area, as a dialog over an owner near the edge would
  // otherwise open half off the screen; a window larger than the area
  // keeps its top-left corner on it.
  x = std::max(work.left, std::min(x, work.right - size.cx));
  y = std::max(work.top, std::min(y, work.bottom - size.cy));
  return {x, y};
}

Point DropDownPlace(const Rect& anchor, Size size, const Rect& work) {
  int y = anchor.bottom;
  if (y + size.cy > work.bottom && anchor.top - size.cy >= work.top) y = anchor.top - size.cy;
  const int x = std::max(work.left, std::min(anchor.left, work.right - size.cx));
  return {x, y};
}

void WindowHost::CenterOver(const WindowHost* owner) {
  if (!IsAlive()) return;
  const bool hasOwner = owner && owner->IsAlive();
  // The monitor of the owner: a prompt over a window on the second screen
  // opens there.
  const Rect work = WorkArea(hasOwner ? owner : this);
  const Rect over = hasOwner ? owner->WindowRect() : work;
  const Rect mine = WindowRect();
  Move(CenteredInside(over, Size{mine.Width(), mine.Height()}, work));
}

}  // namespace SkinUI
