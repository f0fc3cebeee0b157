// Find-by-name over the skinned windows: the control tree gives the client
// rectangle, the system the window's place on the screen.
#include "uikit/automation.h"
#include "uikit/container.h"
#include "uikit/control.h"
#include "uikit/window_impl_base.h"

namespace SkinUI {
namespace Automation {
namespace {

bool Shown(const Control* c) {
  for (; c; c = c->GetParent())
    if (!c->IsVisible()) return false;
  return true;
}

bool FindIn(const WindowImplBase& w, const std::string& name, Rect* screen) {
  if (!w.Host().IsAlive() || !w.Host().IsVisible()) return false;
  const Control* c = w.FindControl(name);
  if (!c || !Shown(c) || c->GetPos().IsEmpty()) return false;
  const Rect r = c->GetPos();
  Point origin;
  if (!ClientToScreen(w.Host(), Point{r.left, r.top}, &origin)) return false;
  *screen = r.Offset(origin.x - r.left, origin.y - r.top);
  return true;
}

}  // namespace

bool FindControl(const std::string& name, Rect* screen, const WindowImplBase* in) {
  if (in) return FindIn(*in, name, screen);
  const auto& live = WindowImplBase::LiveWindows();
  for (auto it = live.rbegin(); it != live.rend(); ++it)
    if (FindIn(**it, name, screen)) return true;
  return false;
}

bool ClickControl(const std::string& name, const WindowImplBase* in) {
  Rect r;
  return FindControl(name, &r, in) && ClickScreen(Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

}  // namespace Automation
}  // namespace SkinUI
