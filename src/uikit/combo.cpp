#include "uikit/combo.h"

#include "uikit/image_draw.h"
#include "uikit/text_table.h"
#include "uikit/values.h"
#include "uikit/window_host.h"

namespace SkinUI {

Control* Combo::GetInterface(const std::string& name) {
  return name == "Combo" ? this : Container::GetInterface(name);
}

const AttributeRegistry& Combo::Attributes() const {
  static const AttributeRegistry reg = [] {
    AttributeRegistry r(&Container::ContainerAttributes());
    auto colour = [](uint32_t Combo::*field) {
      return [field](Combo& c, const std::string& v) { SetColourAttr(&(c.*field), v); };
    };
    r.Add<Combo>("font", [](Combo& c, const std::string& v) { ParseInt(v, &c.font_); });
    r.Add<Combo>("textcolor", colour(&Combo::textColor_));
    r.Add<Combo>("itemtextcolor", colour(&Combo::itemTextColor_));
    r.Add<Combo>("itembkcolor", colour(&Combo::itemBkColor_));
    r.Add<Combo>("itemhotbkcolor", colour(&Combo::itemHotBkColor_));
    r.Add<Combo>("itemselectedbkcolor", colour(&Combo::itemSelectedBkColor_));
    r.Add<Combo>("itembordercolor", colour(&Combo::itemBorderColor_));
    r.Add<Combo>("textpadding", [](Combo& c, const std::string& v) { ParseRect(v, &c.textPadding_); });
    r.Add<Combo>("dropboxsize", [](Combo& c, const std::string& v) { ParseSize(v, &c.dropBox_); });
    r.Add<Combo>("itemheight", [](Combo& c, const std::string& v) {
      int n = 0;
      if (ParseInt(v, &n) && n > 0) c.itemHeight_ = n;
    });
    r.Add<Combo>("normalimage", [](Combo& c, const std::string& v) { c.normal_.Set(v); });
    r.Add<Combo>("hotimage", [](Combo& c, const std::string& v) { c.hotImg_.Set(v); });
    r.Add<Combo>("pushedimage", [](Combo& c, const std::string& v) { c.pushedImg_.Set(v); });
    r.Add<Combo>("disabledimage", [](Combo& c, const std::string& v) { c.disabledImg_.Set(v); });
    r.Add<Combo>("selectedid", [](Combo& c, const std::string& v) {
      int n = -1;
      if (ParseInt(v, &n)) c.cur_ = n;
    });
    return r;
  }();
  return reg;
}

bool Combo::Add(Control* item) {
  if (!Container::Add(item)) return false;
  const std::string* sel = item->GetCustomAttribute("selected");
  if ((sel && ParseBool(*sel)) || cur_ < 0) cur_ = GetCount() - 1;
  return true;
}

bool Combo::SelectItem(int index) {
  if (index < 0 || index >= GetCount()) return false;
  if (index == cur_) return true;
  const int old = cur_;
  cur_ = index;
  Invalidate();
  Notify("itemselect", static_cast<uintptr_t>(index), old);
  return true;
}

void Combo::SetDropped(bool open) {
  if (open == dropped_ || (open && (!enabled_ || children_.empty()))) return;
  dropped_ = open;
  hotItem_ = open ? cur_ : -1;
  if (manager_) manager_->SetPopup(open ? static_cast<IPopupUI*>(this) : nullptr);
  Invalidate();
}

void Combo::PopupClosed() {
  dropped_ = false;
  hotItem_ = -1;
  Invalidate();
}

int Combo::ItemHeight() const { return Scaled(itemHeight_); }

int Combo::ListBorder() const { return HairlineWidth(Dpi()); }

Size Combo::DropSize() const {
  return {dropBox_.cx > 0 ? Scaled(dropBox_.cx) : rect_.Width(),
          dropBox_.cy > 0 ? Scaled(dropBox_.cy) : ItemHeight() * GetCount() + 2 * ListBorder()};
}

Rect Combo::ItemRect(int index) const {
  const int top = ListBorder() + index * ItemHeight();
  return {ListBorder(), top, DropSize().cx - ListBorder(), top + ItemHeight()};
}

int Combo::ItemAt(Point p) const {
  const Size d = DropSize();
  if (!dropped_ || p.x < 0 || p.y < 0 || p.x >= d.cx || p.y >= d.cy) return -1;
  for (int i = 0; i < GetCount(); ++i)
    if (ItemRect(i).Contains(p)) return i;
  return -1;
}

void Combo::SetHotItem(int index) {
  if (index == hotItem_) return;
  if (manager_ && hotItem_ >= 0) manager_->InvalidatePopup(ItemRect(hotItem_));
  hotItem_ = index;
  if (manager_ && hotItem_ >= 0) manager_->InvalidatePopup(ItemRect(hotItem_));
}

void Combo::SetPos(const Rect& r) {
  Control::SetPos(r);
  // The items are shown by the list alone; they keep the box's place.
  for (int i = 0; i < GetCount(); ++i) children_[static_cast<size_t>(i)]->SetPos(r);
}

Control* Combo::FindControlAt(Point p) {
  if (!visible_ || !rect_.Contains(p)) return nullptr;
  return mouseEnabled_ ? this : nullptr;
}

void Combo::Paint(PaintContext& ctx, const Rect& dirty) {
  const Rect area = rect_.Intersect(dirty);
  if (!visible_ || area.IsEmpty()) return;
  Control::Paint(ctx, dirty);
  ClipScope clip(ctx.surface, area);
  const ImageAttr* img = &normal_;
  if (!enabled_ && disabledImg_.IsSet()) img = &disabledImg_;
  else if (dropped_ && pushedImg_.IsSet()) img = &pushedImg_;
  else if (hot_ && hotImg_.IsSet()) img = &hotImg_;
  DrawImageAttr(ctx, *img);
  if (ctx.glyphs && cur_ >= 0 && cur_ < GetCount()) {
    const uint32_t colour = !enabled_ ? ctx.disabledTextColor : textColor_ ? textColor_ : ctx.defaultTextColor;
    DrawText(ctx.surface, *ctx.glyphs, ctx.fonts.Get(font_), ExpandTextTokens(GetItemAt(cur_)->GetText()), rect_.Deflate(ScaleRect(textPadding_, ctx.dpi)),
             colour, kTextSingleLine | kTextVCenter | kTextEndEllipsis);
  }
}

uint32_t Combo::ItemColour(const PaintContext& ctx) const {
  return itemTextColor_ ? itemTextColor_ : textColor_ ? textColor_ : ctx.defaultTextColor;
}

void Combo::PaintPopup(PaintContext& ctx) {
  const Size size = DropSize();
  const Rect d{0, 0, size.cx, size.cy};
  ClipScope clip(ctx.surface, d);
  ctx.surface.FillRect(d, itemBkColor_);
  for (int i = 0; i < GetCount(); ++i) {
    const Rect r = ItemRect(i);
    // The highlight follows the mouse and the keys; the chosen item keeps
    // its own colour until another one is chosen.
    if (i == hotItem_) ctx.surface.FillRect(r, itemHotBkColor_);
    else if (i == cur_) ctx.surface.FillRect(r, itemSelectedBkColor_);
    if (ctx.glyphs)
      DrawText(ctx.surface, *ctx.glyphs, ctx.fonts.Get(font_), ExpandTextTokens(GetItemAt(i)->GetText()), r.Deflate(ScaleRect(textPadding_, ctx.dpi)),
               ItemColour(ctx), kTextSingleLine | kTextVCenter | kTextEndEllipsis);
  }
  ctx.surface.DrawBorder(d, ListBorder(), itemBorderColor_);
}

void Combo::SetEnabled(bool e) {
  if (!e) SetDropped(false);
  Container::SetEnabled(e);
}

void Combo::OnMouseEnter() {
  hot_ = true;
  Invalidate();
}

void Combo::OnMouseLeave() {
  hot_ = false;
  Invalidate();
}

void Combo::OnMouseDown(Point p) {
  if (enabled_) SetDropped(!dropped_);
}

// F4 and Alt with an arrow open and close the list, as the system's do.
bool Combo::IsDropKey(int key) const {
  const int mods = manager_ ? manager_->KeyModifiers() : 0;
  return key == kKeyF4 || ((mods & kModAlt) && (key == kKeyDown || key == kKeyUp));
}

bool Combo::OnKeyDown(int key) {
  if (!enabled_) return false;
  if (IsDropKey(key)) {
    SetDropped(!dropped_);
    return true;
  }
  // A closed list still steps through its items, as the system's does.
  switch (key) {
    case kKeyUp: SelectItem(cur_ - 1); return true;
    case kKeyDown: SelectItem(cur_ + 1); return true;
    case kKeyHome: SelectItem(0); return true;
    case kKeyEnd: SelectItem(GetCount() - 1); return true;
    default: return false;
  }
}

bool Combo::PopupKeyDown(int key) {
  if (IsDropKey(key)) {
    SetDropped(false);
    return true;
  }
  const int last = GetCount() - 1;
  switch (key) {
    case kKeyUp:
    case kKeyDown:
      SetHotItem(hotItem_ < 0 ? std::max(cur_, 0) : std::max(0, std::min(last, hotItem_ + (key == kKeyUp ? -1 : 1))));
      return true;
    case kKeyHome: SetHotItem(0); return true;
    case kKeyEnd: SetHotItem(last); return true;
    case kKeyReturn: {
      const int chosen = hotItem_;
      SetDropped(false);
      if (chosen >= 0) SelectItem(chosen);
      return true;
    }
    case kKeyEscape: SetDropped(false); return true;
    case kKeyTab: SetDropped(false); return false;  // the focus moves on as well
    default: return false;
  }
}

void Combo::OnMouseWheel(Point p, int delta) {
  if (enabled_ && !dropped_ && delta != 0) SelectItem(cur_ + (delta > 0 ? -1 : 1));
}

void Combo::OnKillFocus() {
  SetDropped(false);
  Container::OnKillFocus();
}

void Combo::PopupMouseMove(Point p) { SetHotItem(ItemAt(p)); }

void Combo::PopupMouseLeave() {}

void Combo::PopupMouseDown(Point p) {
  const int chosen = ItemAt(p);
  SetDropped(false);
  if (chosen >= 0) SelectItem(chosen);
}

}  // namespace SkinUI
