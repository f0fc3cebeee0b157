#include "uikit/button.h"

#include "uikit/container.h"
#include "uikit/paint_manager.h"
#include "uikit/values.h"

namespace SkinUI {
namespace {

constexpr int kKeyReturn = 13;
constexpr int kKeySpace = 32;

template <class T>
void ColourInto(AttributeRegistry& r, const char* name, uint32_t T::*field) {
  r.Add<T>(name, [field](T& c, const std::string& v) {
    SetColourAttr(&(c.*field), v);
    c.Invalidate();
  });
}

}  // namespace

const AttributeRegistry& Button::ButtonAttributes() {
  static const AttributeRegistry reg = [] {
    AttributeRegistry r(&Label::LabelAttributes());
    r.Add<Button>("normalimage", [](Button& b, const std::string& v) { b.SetNormalImage(v); });
    r.Add<Button>("hotimage", [](Button& b, const std::string& v) { b.SetHotImage(v); });
    r.Add<Button>("pushedimage", [](Button& b, const std::string& v) { b.SetPushedImage(v); });
    r.Add<Button>("focusedimage", [](Button& b, const std::string& v) { b.SetFocusedImage(v); });
    r.Add<Button>("disabledimage", [](Button& b, const std::string& v) { b.SetDisabledImage(v); });
    ColourInto<Button>(r, "hottextcolor", &Button::hotTextColor_);
    ColourInto<Button>(r, "pushedtextcolor", &Button::pushedTextColor_);
    ColourInto<Button>(r, "focusedtextcolor", &Button::focusedTextColor_);
    ColourInto<Button>(r, "hotbkcolor", &Button::hotBkColor_);
    ColourInto<Button>(r, "pushedbkcolor", &Button::pushedBkColor_);
    return r;
  }();
  return reg;
}

const AttributeRegistry& Button::Attributes() const { return ButtonAttributes(); }

Control* Button::GetInterface(const std::string& name) {
  return name == "Button" ? this : Label::GetInterface(name);
}

void Button::SetHot(bool hot) {
  if (hot == hot_) return;
  hot_ = hot;
  Invalidate();
}

void Button::SetPushed(bool pushed) {
  if (pushed == pushed_) return;
  pushed_ = pushed;
  Invalidate();
}

void Button::SetEnabled(bool e) {
  if (!e) {
    hot_ = pushed_ = captured_ = false;
  }
  Label::SetEnabled(e);
}

void Button::OnMouseEnter() {
  if (enabled_) SetHot(true);
}

void Button::OnMouseLeave() { SetHot(false); }

void Button::OnMouseMove(Point p) {
  if (captured_) SetPushed(rect_.Contains(p));
}

void Button::OnMouseDown(Point p) {
  if (!enabled_) return;
  captured_ = true;
  SetPushed(true);
}

void Button::OnMouseUp(Point p) {
  const bool wasCaptured = captured_;
  captured_ = false;
  SetPushed(false);
  if (wasCaptured && enabled_ && rect_.Contains(p)) Activate();
}

bool Button::OnKeyDown(int key) {
  if (!enabled_ || (key != kKeyReturn && key != kKeySpace)) return false;
  Activate();
  return true;
}

const ImageAttr& Button::StateImage() const {
  auto pick = [this](const ImageAttr& state) -> const ImageAttr& { return state.IsSet() ? state : normal_; };
  if (!enabled_) return pick(disabledImg_);
  if (pushed_) return pick(pushedImg_);
  if (hot_) return pick(hotImg_);
  if (focused_) return pick(focusedImg_);
  return normal_;
}

void Button::PaintStatusImage(PaintContext& ctx) { DrawImageAttr(ctx, StateImage()); }

void Button::PaintBkColor(PaintContext& ctx) {
  const uint32_t c = enabled_ && pushed_ && pushedBkColor_ ? pushedBkColor_
                     : enabled_ && hot_ && hotBkColor_  ? hotBkColor_
                                                        : 0;
  if (!c) return Label::PaintBkColor(ctx);
  if (borderRound_.cx > 0 || borderRound_.cy > 0)
    ctx.surface.FillRoundRect(rect_, borderRound_, c);
  else
    ctx.surface.FillRect(rect_, c);
}

uint32_t Button::CurrentTextColor(const PaintContext& ctx) const {
  if (enabled_) {
    if (pushed_ && pushedTextColor_) return pushedTextColor_;
    if (hot_ && hotTextColor_) return hotTextColor_;
    if (focused_ && focusedTextColor_) return focusedTextColor_;
  }
  return Label::CurrentTextColor(ctx);
}

const AttributeRegistry& Option::OptionAttributes() {
  static const AttributeRegistry reg = [] {
    AttributeRegistry r(&Button::ButtonAttributes());
    r.Add<Option>("selected", [](Option& o, const std::string& v) { o.Selected(ParseBool(v)); });
    r.Add<Option>("group", [](Option& o, const std::string& v) { o.group_ = v; });
    r.Add<Option>("selectedimage", [](Option& o, const std::string& v) { o.SetSelectedImage(v); });
    r.Add<Option>("selectedhotimage", [](Option& o, const std::string& v) {
      o.selectedHotImg_.Set(v);
      o.Invalidate();
    });
    ColourInto<Option>(r, "selectedtextcolor", &Option::selectedTextColor_);
    ColourInto<Option>(r, "selectedbkcolor", &Option::selectedBkColor_);
    return r;
  }();
  return reg;
}

const AttributeRegistry& Option::Attributes() const { return OptionAttributes(); }

Control* Option::GetInterface(const std::string& name) {
  return name == "Option" ? this : Button::GetInterface(name);
}

void Option::Selected(bool selected) {
  if (selected == selected_) return;
  selected_ = selected;
  Invalidate();
  if (selected_ && !group_.empty() && manager_ && manager_->GetRoot()) {
    manager_->GetRoot()->ForEach([this](Control& c) {
      Option* o = static_cast<Option*>(c.GetInterface("Option"));
      if (o && o != this && o->group_ == group_) o->Selected(false);
    });
  }
  Notify("selectchanged", selected_ ? 1 : 0);
}

void Option::Activate() {
  Button::Activate();
  Selected(group_.empty() ? !selected_ : true);
}

const ImageAttr& Option::StateImage() const {
  if (selected_ && enabled_) {
    if (hot_ && selectedHotImg_.IsSet()) return selectedHotImg_;
    if (selectedImg_.IsSet()) return selectedImg_;
  }
  return Button::StateImage();
}

uint32_t Option::CurrentTextColor(const PaintContext& ctx) const {
  if (selected_ && enabled_ && selectedTextColor_) return selectedTextColor_;
  return Button::CurrentTextColor(ctx);
}

void Option::PaintBkColor(PaintContext& ctx) {
  if (!selected_ || !selectedBkColor_) return Button::PaintBkColor(ctx);
  ctx.surface.FillRect(rect_, selectedBkColor_);
}

Control* CheckBox::GetInterface(const std::string& name) {
  return name == "CheckBox" ? this : Option::GetInterface(name);
}

void CheckBox::Activate() {
  Button::Activate();
  Selected(!selected_);
}

}  // namespace SkinUI
