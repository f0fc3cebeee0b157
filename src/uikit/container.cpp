#include "uikit/container.h"

#include "uikit/paint_manager.h"
#include "uikit/values.h"

namespace SkinUI {
namespace {

Align ParseAlign(const std::string& v, const char* center, const char* end) {
  if (v.find(center) != std::string::npos) return Align::Center;
  if (v.find(end) != std::string::npos) return Align::End;
  return Align::Start;
}

}  // namespace

const AttributeRegistry& Container::ContainerAttributes() {
  static const AttributeRegistry reg = [] {
    AttributeRegistry r(&Control::ControlAttributes());
    r.Add<Container>("inset", [](Container& c, const std::string& v) {
      Rect i;
      if (ParseRect(v, &i)) c.SetInset(i);
    });
    r.Add<Container>("childpadding", [](Container& c, const std::string& v) {
      int n = 0;
      if (ParseInt(v, &n)) c.SetChildPadding(n);
    });
    r.Add<Container>("childalign", [](Container& c, const std::string& v) {
      c.box_.childAlign = ParseAlign(v, "center", "right");
      c.NeedUpdate();
    });
    // "vcenter" before "center" would not matter: both mean centring here.
    r.Add<Container>("childvalign", [](Container& c, const std::string& v) {
      c.box_.childVAlign = ParseAlign(v, "center", "bottom");
      c.NeedUpdate();
    });
    return r;
  }();
  return reg;
}

Container::Container() = default;

Container::~Container() {
  // Children go first, while their manager and parent are still valid.
  children_.clear();
}

Control* Container::GetInterface(const std::string& name) {
  return name == "Container" ? this : Control::GetInterface(name);
}

const AttributeRegistry& Container::Attributes() const { return ContainerAttributes(); }

bool Container::Add(Control* child) {
  if (!child) return false;
  child->SetParent(this);
  if (manager_) child->SetManager(manager_);
  children_.emplace_back(child);
  NeedUpdate();
  return true;
}

bool Container::Remove(Control* child) {
  for (auto it = children_.begin(); it != children_.end(); ++it) {
    if (it->get() != child) continue;
    Invalidate();
    children_.erase(it);
    NeedUpdate();
    return true;
  }
  return false;
}

Control* Container::GetItemAt(int index) const {
  return index >= 0 && index < GetCount() ? children_[static_cast<size_t>(index)].get() : nullptr;
}

int Container::GetItemIndex(const Control* child) const {
  for (size_t i = 0; i < children_.size(); ++i)
    if (children_[i].get() == child) return static_cast<int>(i);
  return -1;
}

void Container::SetInset(const Rect& r) {
  box_.inset = r;
  NeedUpdate();
}

void Container::SetChildPadding(int p) {
  box_.childPadding = p;
  NeedUpdate();
}

void Container::SetPos(const Rect& r) {
  Control::SetPos(r);
  if (children_.empty()) return;
  const BoxParams box = ScaledBox();
  const Size avail{r.Width() - box.inset.left - box.inset.right, r.Height() - box.inset.top - box.inset.bottom};
  std::vector<LayoutItem> items;
  items.reserve(children_.size());
  for (const auto& c : children_) items.push_back(c->ToLayoutItem(avail));
  const std::vector<Rect> rects = LayoutChildren(r, box, items);
  for (size_t i = 0; i < children_.size(); ++i) children_[i]->SetPos(rects[i]);
}

BoxParams Container::ScaledBox() const {
  BoxParams box = box_;
  box.inset = ScaleRect(box_.inset, Dpi());
  box.childPadding = Scaled(box_.childPadding);
  return box;
}

std::vector<Rect> Container::LayoutChildren(const Rect& r, const BoxParams& box, const std::vector<LayoutItem>& items) {
  return LayoutTab(r, box.inset, items);
}

void Container::SetManager(CPaintManagerUI* m) {
  Control::SetManager(m);
  for (auto& c : children_) c->SetManager(m);
}

Control* Container::FindControl(const std::string& name) {
  if (name_ == name) return this;
  for (auto& c : children_)
    if (Control* found = c->FindControl(name)) return found;
  return nullptr;
}

Control* Container::FindControlAt(Point p) {
  if (!visible_ || !rect_.Contains(p)) return nullptr;
  // Later children paint over earlier ones, so they are asked first.
  for (auto it = children_.rbegin(); it != children_.rend(); ++it)
    if (Control* hit = (*it)->FindControlAt(p)) return hit;
  return mouseEnabled_ ? this : nullptr;
}

void Container::ForEach(const std::function<void(Control&)>& f) {
  f(*this);
  for (auto& c : children_) c->ForEach(f);
}

void Container::Paint(PaintContext& ctx, const Rect& dirty) {
  const Rect area = rect_.Intersect(dirty);
  if (!visible_ || area.IsEmpty()) return;
  Control::Paint(ctx, dirty);
  PaintChildren(ctx, area);
}

void Container::PaintChildren(PaintContext& ctx, const Rect& area) {
  ClipScope clip(ctx.surface, area);
  for (auto& c : children_) c->Paint(ctx, area);
}

Control* VerticalLayout::GetInterface(const std::string& name) {
  return name == "VerticalLayout" ? this : Container::GetInterface(name);
}

std::vector<Rect> VerticalLayout::LayoutChildren(const Rect& r, const BoxParams& box,
                                                 const std::vector<LayoutItem>& items) {
  return LayoutVertical(r, box, items);
}

Control* HorizontalLayout::GetInterface(const std::string& name) {
  return name == "HorizontalLayout" ? this : Container::GetInterface(name);
}

std::vector<Rect> HorizontalLayout::LayoutChildren(const Rect& r, const BoxParams& box,
                                                   const std::vector<LayoutItem>& items) {
  return LayoutHorizontal(r, box, items);
}

Control* TabLayout::GetInterface(const std::string& name) {
  return name == "TabLayout" ? this : Container::GetInterface(name);
}

const AttributeRegistry& TabLayout::Attributes() const {
  static const AttributeRegistry reg = [] {
    AttributeRegistry r(&Container::ContainerAttributes());
    // Given before the children exist, so it only chooses which one Add shows.
    r.Add<TabLayout>("selectedid", [](TabLayout& t, const std::string& v) {
      int n = 0;
      if (!ParseInt(v, &n)) return;
      t.cur_ = n;
      for (int i = 0; i < t.GetCount(); ++i) t.GetItemAt(i)->SetVisible(i == n);
    });
    return r;
  }();
  return reg;
}

bool TabLayout::Add(Control* child) {
  if (!child) return false;
  child->SetVisible(GetCount() == cur_);
  return Container::Add(child);
}

bool TabLayout::SelectItem(int index) {
  if (index < 0 || index >= GetCount()) return false;
  if (index == cur_) return true;
  const int old = cur_;
  cur_ = index;
  if (Control* prev = GetItemAt(old)) prev->SetVisible(false);
  GetItemAt(index)->SetVisible(true);
  NeedUpdate();
  Invalidate();
  Notify("tabselect", static_cast<uintptr_t>(index), old);
  return true;
}

std::vector<Rect> TabLayout::LayoutChildren(const Rect& r, const BoxParams& box, const std::vector<LayoutItem>& items) {
  return LayoutTab(r, box.inset, items);
}

}  // namespace SkinUI
