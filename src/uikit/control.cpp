#include "uikit/control.h"

#include "uikit/container.h"
#include "uikit/image_draw.h"
#include "uikit/paint_manager.h"
#include "uikit/values.h"

namespace SkinUI {

const AttributeRegistry::Setter* AttributeRegistry::Find(const std::string& name) const {
  std::string lower;
  for (const AttributeRegistry* r = this; r; r = r->base_) {
    auto it = r->setters_.find(name);
    if (it != r->setters_.end()) return &it->second;
    if (r->anyCase_.empty()) continue;
    if (lower.empty()) {
      lower = name;
      for (char& ch : lower)
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    }
    it = r->anyCase_.find(lower);
    if (it != r->anyCase_.end()) return &it->second;
  }
  return nullptr;
}

void ImageAttr::Set(const std::string& value) {
  text = value;
  desc = ImageDescriptor{};
  if (!value.empty() && !ParseImageDescriptor(value, &desc)) desc = ImageDescriptor{};
}

void SetColourAttr(uint32_t* field, const std::string& value) {
  uint32_t c = 0;
  if (ParseColour(value, &c)) *field = c;
}

namespace {

int IntOr(const std::string& v, int fallback) {
  int n = fallback;
  return ParseInt(v, &n) ? n : fallback;
}

}  // namespace

void FontTable::Add(int id, const FontSpec& font, bool isDefault) {
  fonts_[id] = font;
  scaled_[id] = Scaled(font);
  // The first font stands in as default until one is declared default.
  if (isDefault || (!explicitDefault_ && fonts_.size() == 1)) {
    default_ = font;
    scaledDefault_ = scaled_[id];
  }
  if (isDefault) explicitDefault_ = true;
}

const FontSpec& FontTable::Get(int id) const {
  auto it = scaled_.find(id);
  return it == scaled_.end() ? scaledDefault_ : it->second;
}

void FontTable::Clear() {
  fonts_.clear();
  scaled_.clear();
  default_ = FontSpec{"", 12};
  scaledDefault_ = Scaled(default_);
  explicitDefault_ = false;
}

FontSpec FontTable::Scaled(const FontSpec& f) const {
  FontSpec s = f;
  s.size = std::max(1, ScaleLength(f.size, dpi_));
  return s;
}

void FontTable::SetDpi(int dpi) {
  dpi_ = ClampDpi(dpi);
  for (const auto& kv : fonts_) scaled_[kv.first] = Scaled(kv.second);
  scaledDefault_ = Scaled(default_);
}

const AttributeRegistry& Control::ControlAttributes() {
  static const AttributeRegistry reg = [] {
    AttributeRegistry r;
    r.Add<Control>("name", [](Control& c, const std::string& v) { c.SetName(v); });
    r.Add<Control>("text", [](Control& c, const std::string& v) { c.SetText(v); });
    r.Add<Control>("tooltip", [](Control& c, const std::string& v) { c.toolTip_ = v; });
    r.Add<Control>("userdata", [](Control& c, const std::string& v) { c.SetUserData(v); });
    // Inside a box layout only the size a pos implies counts; a floating
    // control is placed by it.
    r.Add<Control>("pos", [](Control& c, const std::string& v) {
      Rect p;
      if (!ParseRect(v, &p)) return;
      c.floatPos_ = p;
      c.SetFixedWidth(std::max(0, p.Width()));
      c.SetFixedHeight(std::max(0, p.Height()));
    });
    r.Add<Control>("width", [](Control& c, const std::string& v) { c.SetFixedWidth(IntOr(v, 0)); });
    r.Add<Control>("height", [](Control& c, const std::string& v) { c.SetFixedHeight(IntOr(v, 0)); });
    r.Add<Control>("minwidth", [](Control& c, const std::string& v) { c.SetMinWidth(IntOr(v, 0)); });
    r.Add<Control>("minheight", [](Control& c, const std::string& v) { c.SetMinHeight(IntOr(v, 0)); });
    r.Add<Control>("maxwidth", [](Control& c, const std::string& v) { c.SetMaxWidth(IntOr(v, kUnboundedExtent)); });
    r.Add<Control>("maxheight", [](Control& c, const std::string& v) { c.SetMaxHeight(IntOr(v, kUnboundedExtent)); });
    r.Add<Control>("padding", [](Control& c, const std::string& v) {
      Rect p;
      if (ParseRect(v, &p)) c.SetPadding(p);
    });
    r.Add<Control>("float", [](Control& c, const std::string& v) { c.SetFloat(ParseBool(v)); });
    r.Add<Control>("visible", [](Control& c, const std::string& v) { c.SetVisible(ParseBool(v)); });
    r.Add<Control>("enabled", [](Control& c, const std::string& v) { c.SetEnabled(ParseBool(v)); });
    r.Add<Control>("mouse", [](Control& c, const std::string& v) { c.SetMouseEnabled(ParseBool(v)); });
    r.Add<Control>("bkcolor", [](Control& c, const std::string& v) {
      uint32_t col = 0;
      if (ParseColour(v, &col)) c.SetBkColor(col);
    });
    r.Add<Control>("bkimage", [](Control& c, const std::string& v) { c.SetBkImage(v); });
    r.Add<Control>("bordercolor", [](Control& c, const std::string& v) {
      uint32_t col = 0;
      if (ParseColour(v, &col)) c.SetBorderColor(col);
    });
    r.Add<Control>("bordersize", [](Control& c, const std::string& v) { c.SetBorderSize(std::max(0, IntOr(v, 0))); });
    r.Add<Control>("borderround", [](Control& c, const std::string& v) {
      Size s;
      if (ParseSize(v, &s)) c.SetBorderRound(s);
    });
    return r;
  }();
  return reg;
}

Control::Control() = default;

Control::~Control() {
  if (manager_) manager_->ForgetControl(this);
}

Control* Control::GetInterface(const std::string& name) { return name == "Control" ? this : nullptr; }

const AttributeRegistry& Control::Attributes() const { return ControlAttributes(); }

void Control::SetAttribute(const std::string& name, const std::string& value) {
  if (const AttributeRegistry::Setter* s = Attributes().Find(name)) {
    (*s)(*this, value);
    return;
  }
  if (name.empty() || value.empty() || GetCustomAttribute(name)) return;
  custom_.emplace_back(name, value);
}

const std::string* Control::GetCustomAttribute(const std::string& name) const {
  for (const auto& kv : custom_)
    if (kv.first == name) return &kv.second;
  return nullptr;
}

void Control::SetText(const std::string& t) {
  if (t == text_) return;
  text_ = t;
  Invalidate();
}

void Control::SetPos(const Rect& r) {
  if (r == rect_) return;
  Invalidate();
  rect_ = r;
  Invalidate();
}

void Control::SetFixedWidth(int cx) {
  if (cx < 0 || cx == fixed_.cx) return;
  fixed_.cx = cx;
  NeedUpdate();
}

void Control::SetFixedHeight(int cy) {
  if (cy < 0 || cy == fixed_.cy) return;
  fixed_.cy = cy;
  NeedUpdate();
}

void Control::SetMinWidth(int v) { min_.cx = std::max(0, v); NeedUpdate(); }
void Control::SetMaxWidth(int v) { max_.cx = std::max(0, v); NeedUpdate(); }
void Control::SetMinHeight(int v) { min_.cy = std::max(0, v); NeedUpdate(); }
void Control::SetMaxHeight(int v) { max_.cy = std::max(0, v); NeedUpdate(); }

void Control::SetPadding(const Rect& p) {
  padding_ = p;
  NeedUpdate();
}

void Control::SetFloat(bool f) {
  float_ = f;
  NeedUpdate();
}

LayoutItem Control::ToLayoutItem(Size available) const {
  // The layout is written at 1x; its rules run in pixels at the scale.
  auto bound = [this](int v) { return v >= kUnboundedExtent ? v : Scaled(v); };
  LayoutItem it;
  it.fixed = ScaleSize(EstimateSize(available), Dpi());
  it.minSize = ScaleSize(min_, Dpi());
  it.maxSize = {bound(max_.cx), bound(max_.cy)};
  it.padding = ScaleRect(padding_, Dpi());
  it.visible = visible_;
  it.floating = float_;
  it.pos = ScaleRect(floatPos_, Dpi());
  return it;
}

int Control::Dpi() const { return manager_ ? manager_->Dpi() : kBaseDpi; }

void Control::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  if (!v && manager_) manager_->ControlHidden(this);
  NeedUpdate();
  Invalidate();
}

bool Control::IsShown() const {
  for (const Control* c = this; c; c = c->parent_)
    if (!c->visible_) return false;
  return true;
}

void Control::SetEnabled(bool e) {
  if (e == enabled_) return;
  enabled_ = e;
  if (!e && manager_) manager_->ControlDisabled(this);
  Invalidate();
}

void Control::SetBkColor(uint32_t c) {
  bkColor_ = c;
  Invalidate();
}

void Control::SetBkImage(const std::string& image) {
  if (image == bkImage_.text) return;
  bkImage_.Set(image);
  Invalidate();
}

void Control::SetBorderColor(uint32_t c) { borderColor_ = c; Invalidate(); }
void Control::SetBorderSize(int s) { borderSize_ = s; Invalidate(); }
void Control::SetBorderRound(Size r) { borderRound_ = r; Invalidate(); }

void Control::SetManager(CPaintManagerUI* m) { manager_ = m; }

Control* Control::FindControl(const std::string& name) { return name_ == name ? this : nullptr; }

Control* Control::FindControlAt(Point p) {
  if (!visible_ || !rect_.Contains(p)) return nullptr;
  return mouseEnabled_ ? this : nullptr;
}

void Control::ForEach(const std::function<void(Control&)>& f) { f(*this); }

void Control::Paint(PaintContext& ctx, const Rect& dirty) {
  const Rect area = rect_.Intersect(dirty);
  if (!visible_ || area.IsEmpty()) return;
  ClipScope clip(ctx.surface, area);
  PaintBkColor(ctx);
  PaintBkImage(ctx);
  PaintStatusImage(ctx);
  PaintText(ctx);
  PaintBorder(ctx);
}

void Control::PaintBkColor(PaintContext& ctx) {
  if ((bkColor_ >> 24) == 0) return;
  if (borderRound_.cx > 0 || borderRound_.cy > 0)
    ctx.surface.FillRoundRect(rect_, ScaleSize(borderRound_, ctx.dpi), bkColor_);
  else
    ctx.surface.FillRect(rect_, bkColor_);
}

void Control::PaintBkImage(PaintContext& ctx) { DrawImageAttr(ctx, bkImage_); }

void Control::PaintBorder(PaintContext& ctx) {
  if (borderSize_ <= 0 || (borderColor_ >> 24) == 0) return;
  ctx.surface.DrawBorder(rect_, ScaleLength(borderSize_, ctx.dpi), borderColor_, ScaleSize(borderRound_, ctx.dpi));
}

void Control::DrawImageAttr(PaintContext& ctx, const ImageAttr& image, const Rect* rect) {
  const ImageDescriptor& d = image.desc;
  if (d.IsEmpty()) return;
  const Rect target = rect ? *rect : rect_;
  if (d.hasColor) {
    DrawImage(ctx.surface, nullptr, d, target, {ctx.dpi, 1});
    return;
  }
  if (!ctx.images || d.file.empty()) return;  // resource images come with the window host
  const ImageCache::Scaled art = ctx.images->GetForDpi(d.file, ctx.dpi);
  if (art.bitmap) DrawImage(ctx.surface, art.bitmap, d, target, {ctx.dpi, art.art});
}

void Control::Invalidate() {
  if (manager_ && !rect_.IsEmpty()) manager_->Invalidate(rect_);
}

void Control::NeedUpdate() {
  if (manager_) manager_->NeedUpdate();
}

void Control::Notify(const std::string& type, uintptr_t wParam, intptr_t lParam) {
  if (manager_) manager_->SendNotify(this, type, wParam, lParam);
}

void Control::OnSetFocus() {
  focused_ = true;
  Invalidate();
  Notify("setfocus");
}

void Control::OnKillFocus() {
  focused_ = false;
  Invalidate();
  Notify("killfocus");
}

void Control::OnTimer(int id) { Notify("timer", static_cast<uintptr_t>(id)); }

void Control::Activate() { Notify("click"); }

}  // namespace SkinUI
