#include "uikit/progress.h"

#include <algorithm>
#include <cstdint>

#include "uikit/values.h"

namespace SkinUI {

Progress::Progress() { style_ = kTextSingleLine | kTextCenter | kTextVCenter; }

Control* Progress::GetInterface(const std::string& name) {
  return name == "Progress" ? this : Label::GetInterface(name);
}

const AttributeRegistry& Progress::Attributes() const {
  static const AttributeRegistry reg = [] {
    AttributeRegistry r(&Label::LabelAttributes());
    auto intAttr = [](void (Progress::*set)(int)) {
      return [set](Progress& p, const std::string& v) {
        int n = 0;
        if (ParseInt(v, &n)) (p.*set)(n);
      };
    };
    r.Add<Progress>("min", intAttr(&Progress::SetMinValue));
    r.Add<Progress>("max", intAttr(&Progress::SetMaxValue));
    r.Add<Progress>("value", intAttr(&Progress::SetValue));
    r.Add<Progress>("hor", [](Progress& p, const std::string& v) { p.SetHorizontal(ParseBool(v)); });
    r.Add<Progress>("foreimage", [](Progress& p, const std::string& v) { p.SetForeImage(v); });
    r.Add<Progress>("isstretchfore", [](Progress& p, const std::string& v) { p.SetStretchFore(ParseBool(v)); });
    return r;
  }();
  return reg;
}

void Progress::SetStretchFore(bool s) {
  stretchFore_ = s;
  Invalidate();
}

void Progress::SetMinValue(int v) {
  min_ = v;
  Invalidate();
}

void Progress::SetMaxValue(int v) {
  max_ = v;
  Invalidate();
}

void Progress::SetValue(int v) {
  // A range given upside down clamps to its min rather than failing std::clamp.
  v = std::max(min_, std::min(v, std::max(min_, max_)));
  if (v == value_) return;
  value_ = v;
  Invalidate();
}

void Progress::SetHorizontal(bool h) {
  horizontal_ = h;
  Invalidate();
}

void Progress::SetForeImage(const std::string& v) {
  fore_.Set(v);
  Invalidate();
}

Rect Progress::FillRect(const Rect& r, int min, int max, int value, bool horizontal) {
  if (max <= min) max = min + 1;
  // The range and the value were clamped by the setters, but min and max may
  // have moved since; 64 bits keep length * (value - min) from overflowing.
  const int64_t span = static_cast<int64_t>(max) - min;
  const int64_t done = std::max<int64_t>(0, std::min<int64_t>(static_cast<int64_t>(value) - min, span));
  Rect f = r;
  if (horizontal) {
    f.right = r.left + static_cast<int>(r.Width() * done / span);
  } else {
    f.top = r.bottom - static_cast<int>(r.Height() * done / span);
  }
  return f;
}

void Progress::PaintStatusImage(PaintContext& ctx) {
  if (!fore_.IsSet()) return;
  const Rect f = FillRect(rect_, min_, max_, value_, horizontal_);
  if (f.IsEmpty()) return;
  ClipScope clip(ctx.surface, f);
  DrawImageAttr(ctx, fore_, stretchFore_ ? &f : &rect_);
}

}  // namespace SkinUI
