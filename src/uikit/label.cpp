#include "uikit/label.h"

#include "uikit/paint_manager.h"
#include "uikit/text.h"
#include "uikit/text_table.h"

#include "uikit/values.h"

namespace SkinUI {

const AttributeRegistry& Label::LabelAttributes() {
  static const AttributeRegistry reg = [] {
    AttributeRegistry r(&Control::ControlAttributes());
    r.Add<Label>("font", [](Label& l, const std::string& v) {
      int n = -1;
      if (ParseInt(v, &n)) l.SetFont(n);
    });
    r.Add<Label>("textcolor", [](Label& l, const std::string& v) {
      uint32_t c = 0;
      if (ParseColour(v, &c)) l.SetTextColor(c);
    });
    r.Add<Label>("disabledtextcolor", [](Label& l, const std::string& v) {
      uint32_t c = 0;
      if (ParseColour(v, &c)) l.SetDisabledTextColor(c);
    });
    r.Add<Label>("textpadding", [](Label& l, const std::string& v) {
      Rect p;
      if (ParseRect(v, &p)) l.SetTextPadding(p);
    });
    r.Add<Label>("multiline", [](Label& l, const std::string& v) { l.SetMultiLine(ParseBool(v)); });
    r.Add<Label>("endellipsis", [](Label& l, const std::string& v) {
      l.SetTextStyle(ParseBool(v) ? l.style_ | kTextEndEllipsis : l.style_ & ~kTextEndEllipsis);
    });
    r.Add<Label>("align", [](Label& l, const std::string& v) { l.ApplyAlign(v); });
    r.Add<Label>("valign", [](Label& l, const std::string& v) { l.ApplyVAlign(v); });
    return r;
  }();
  return reg;
}

Control* Label::GetInterface(const std::string& name) {
  return name == "Label" ? this : Control::GetInterface(name);
}

const AttributeRegistry& Label::Attributes() const { return LabelAttributes(); }

void Label::SetFont(int index) {
  font_ = index;
  Invalidate();
}

void Label::SetTextColor(uint32_t c) {
  textColor_ = c;
  Invalidate();
}

void Label::SetDisabledTextColor(uint32_t c) {
  disabledTextColor_ = c;
  Invalidate();
}

void Label::SetTextPadding(const Rect& r) {
  textPadding_ = r;
  Invalidate();
}

void Label::FitWidthToText(GlyphSource* glyphs, bool withPadding) {
  if (!glyphs || !manager_) return;
  const Size need = MeasureText(*glyphs, manager_->Fonts().Get(font_), ExpandTextTokens(text_), 0, style_);
  // Measured at the scale; the layout's widths are at 1x, rounded up so the
  // text still fits once the width is scaled back.
  SetFixedWidth(UnscaleLengthUp(need.cx, Dpi()) + (withPadding ? textPadding_.left : 0));
}

void Label::SetTextStyle(unsigned style) {
  style_ = style;
  Invalidate();
}

void Label::SetMultiLine(bool on) {
  SetTextStyle(on ? (style_ | kTextWordBreak) & ~kTextSingleLine : (style_ | kTextSingleLine) & ~kTextWordBreak);
}

void Label::ApplyAlign(const std::string& v) {
  unsigned s = style_;
  if (v.find("left") != std::string::npos) s &= ~(kTextCenter | kTextRight);
  if (v.find("center") != std::string::npos) s = (s & ~kTextRight) | kTextCenter;
  if (v.find("right") != std::string::npos) s = (s & ~kTextCenter) | kTextRight;
  SetTextStyle(s);
}

// "center" alone names no vertical rule: a layout that writes it keeps the
// default vertical centring.
void Label::ApplyVAlign(const std::string& v) {
  unsigned s = style_;
  if (v.find("top") != std::string::npos) s &= ~(kTextVCenter | kTextBottom);
  if (v.find("vcenter") != std::string::npos) s = (s & ~kTextBottom) | kTextVCenter;
  if (v.find("bottom") != std::string::npos) s = (s & ~kTextVCenter) | kTextBottom;
  SetTextStyle(s);
}

uint32_t Label::CurrentTextColor(const PaintContext& ctx) const {
  if (!enabled_) return disabledTextColor_ ? disabledTextColor_ : ctx.disabledTextColor;
  return textColor_ ? textColor_ : ctx.defaultTextColor;
}

void Label::PaintText(PaintContext& ctx) {
  if (text_.empty()) return;
  DrawLabelText(ctx, text_, CurrentTextColor(ctx), style_);
}

void Label::DrawLabelText(PaintContext& ctx, const std::string& text, uint32_t colour, unsigned style) {
  if (!ctx.glyphs || text.empty()) return;
  const Rect r = TextArea();
  if (r.IsEmpty()) return;
  // Localised texts stand in for their "%{n}" tokens wherever text is drawn.
  DrawText(ctx.surface, *ctx.glyphs, ctx.fonts.Get(font_), ExpandTextTokens(text), r, colour, style);
}

Text::Text() { style_ = kTextWordBreak; }

Control* Text::GetInterface(const std::string& name) {
  return name == "Text" ? this : Label::GetInterface(name);
}

}  // namespace SkinUI
