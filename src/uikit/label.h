// Text controls: Label (one font, colour, padding and text style) and Text
// (a label that wraps by default and keeps a press inside the drag band).
#pragma once

#include "uikit/control.h"
#include "uikit/text.h"

namespace SkinUI {

class Label : public Control {
 public:
  std::string GetClass() const override { return "Label"; }
  Control* GetInterface(const std::string& name) override;
  const AttributeRegistry& Attributes() const override;
  static const AttributeRegistry& LabelAttributes();

  int GetFont() const { return font_; }
  void SetFont(int index);
  uint32_t GetTextColor() const { return textColor_; }
  void SetTextColor(uint32_t c);
  void SetDisabledTextColor(uint32_t c);
  const Rect& GetTextPadding() const { return textPadding_; }  // at 1x
  // The rectangle text is laid out in: the control's less the text padding
  // at the scale.
  Rect TextArea() const { return rect_.Deflate(ScaleRect(textPadding_, Dpi())); }
  // Makes the fixed width what its text needs on one line at its font (and
  // the left text padding with withPadding); nothing without glyphs.
  void FitWidthToText(GlyphSource* glyphs, bool withPadding);
  void SetTextPadding(const Rect& r);
  unsigned GetTextStyle() const { return style_; }
  void SetTextStyle(unsigned style);
  void SetMultiLine(bool on);
  // The substring rules of "align" and "valign".
  void ApplyAlign(const std::string& v);
  void ApplyVAlign(const std::string& v);

 protected:
  void PaintText(PaintContext& ctx) override;
  // The colour text is drawn in for the current state.
  virtual uint32_t CurrentTextColor(const PaintContext& ctx) const;
  void DrawLabelText(PaintContext& ctx, const std::string& text, uint32_t colour, unsigned style);

  int font_ = -1;
  uint32_t textColor_ = 0;          // 0: the window's default
  uint32_t disabledTextColor_ = 0;  // 0: the window's default
  Rect textPadding_;
  unsigned style_ = kTextSingleLine | kTextVCenter;
};

class Text : public Label {
 public:
  Text();
  std::string GetClass() const override { return "Text"; }
  Control* GetInterface(const std::string& name) override;
};

}  // namespace SkinUI
