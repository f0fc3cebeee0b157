#include "uikit/window_host.h"

#include <algorithm>

namespace SkinUI {

void WindowHost::CenterOver(const WindowHost* owner) {
  if (!IsAlive()) return;
  const bool hasOwner = owner && owner->IsAlive();
  const Rect work = WorkArea(hasOwner ? owner : this);
  const Rect over = hasOwner ? owner->WindowRect() : work;
  const Rect mine = WindowRect();
  int x = over.left + (over.Width() - mine.Width()) / 2;
  int y = over.top + (over.Height() - mine.Height()) / 2;
  // Kept on the work area, as a dialog over an owner near the edge would
  // otherwise open half off the screen.
  x = std::max(work.left, std::min(x, work.right - mine.Width()));
  y = std::max(work.top, std::min(y, work.bottom - mine.Height()));
  Move(Point{x, y});
}

}  // namespace SkinUI
