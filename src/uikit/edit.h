// A single-line text box: its text model, keyboard editing and painting.
// While it has the focus the window host may lay a native edit field over
// it (NativeRect) and feed the native text back through SetText.
#pragma once

#include "uikit/label.h"

namespace SkinUI {

class Edit : public Label {
 public:
  Edit();
  std::string GetClass() const override { return "Edit"; }
  Control* GetInterface(const std::string& name) override;
  const AttributeRegistry& Attributes() const override;

  bool IsFocusable() const override { return true; }
  bool IsReadOnly() const { return readOnly_; }
  void SetReadOnly(bool r) { readOnly_ = r; }
  bool IsPassword() const { return password_; }
  void SetPassword(bool p) { password_ = p; Invalidate(); }
  // Characters (code points); 0: no limit.
  void SetMaxChar(int n) { maxChar_ = n < 0 ? 0 : n; }
  int GetMaxChar() const { return maxChar_; }
  // Raises "textchanged" when the text changes.
  void SetText(const std::string& t) override;
  // Where a native field would sit: the control less its text padding.
  Rect NativeRect() const { return rect_.Deflate(textPadding_); }

  void OnMouseEnter() override;
  void OnMouseLeave() override;
  // Typed characters append, Backspace removes the last character; "return"
  // is raised for the Return key.
  bool OnChar(char32_t ch) override;
  bool OnKeyDown(int key) override;

 protected:
  void PaintStatusImage(PaintContext& ctx) override;
  void PaintText(PaintContext& ctx) override;

 private:
  ImageAttr normal_, hotImg_, focusedImg_, disabledImg_;
  bool hot_ = false;
  bool readOnly_ = false;
  bool password_ = false;
  int maxChar_ = 255;
};

// Number of code points in UTF-8 text (continuation bytes not counted).
size_t Utf8Length(const std::string& s);

}  // namespace SkinUI
