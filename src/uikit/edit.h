// A single-line text field. Where the window host has a native edit field
// (Windows) the window lays it over the control while the control has the
// focus (NativeLook) and hands its text back through SetText. Everywhere
// else the control is a complete field of its own: a blinking caret, a
// selection made with the mouse or with Shift and the keys, the clipboard,
// horizontal scrolling that keeps the caret in view, and the input method's
// unfinished text shown in place.
//
// Positions are byte offsets into the UTF-8 text, always on a code point's
// first byte.
#pragma once

#include <cstddef>
#include <vector>

#include "uikit/label.h"
#include "uikit/window_host.h"

namespace SkinUI {

class Edit : public Label {
 public:
  static constexpr int kCaretTimerId = 0x45444954;  // "EDIT"
  static constexpr int kCaretBlinkMs = 530;

  Edit();
  std::string GetClass() const override { return "Edit"; }
  Control* GetInterface(const std::string& name) override;
  const AttributeRegistry& Attributes() const override;

  bool IsFocusable() const override { return true; }
  bool ShowsFocusMark() const override { return false; }
  bool IsReadOnly() const { return readOnly_; }
  void SetReadOnly(bool r) { readOnly_ = r; }
  bool IsPassword() const { return password_; }
  void SetPassword(bool p) { password_ = p; Invalidate(); }
  // Characters (code points); 0: no limit.
  void SetMaxChar(int n) { maxChar_ = n < 0 ? 0 : n; }
  int GetMaxChar() const { return maxChar_; }
  // Raises "textchanged" when the text changes; the caret goes to the end.
  void SetText(const std::string& t) override;

  // The selection runs from the anchor to the caret (equal: none).
  size_t GetCaret() const { return caret_; }
  size_t GetAnchor() const { return anchor_; }
  size_t SelectionStart() const { return std::min(caret_, anchor_); }
  size_t SelectionEnd() const { return std::max(caret_, anchor_); }
  std::string SelectedText() const { return text_.substr(SelectionStart(), SelectionEnd() - SelectionStart()); }
  // Offsets inside a code point are moved to its start, past the end to it.
  void SetSelection(size_t anchor, size_t caret);
  void SelectAll() { SetSelection(0, text_.size()); }
  // Typing, pasting: replaces the selection with as much of `s` as the
  // length cap leaves room for (whole code points, line breaks and other
  // control characters left out); false when nothing could change.
  bool ReplaceSelection(const std::string& s);
  // Pixels of the text scrolled out at the left.
  int GetScroll() const { return scroll_; }
  bool IsCaretShown() const { return caretShown_; }
  // The caret's rectangle in client coordinates (where the input method's
  // window goes).
  Rect CaretRect() const;
  // The position nearest to a point's x (client coordinates).
  size_t PositionAt(int x) const;

  // The native field's look and text, and whether one is laid over the
  // control now (it then paints only its frame).
  NativeEditLook NativeLook() const;
  Rect NativeRect() const { return TextArea(); }
  void SetNativeActive(bool active);
  bool IsNativeActive() const { return native_; }

  void SetPos(const Rect& r) override;
  void OnMouseEnter() override;
  void OnMouseLeave() override;
  void OnMouseDown(Point p) override;
  void OnMouseMove(Point p) override;
  void OnMouseUp(Point p) override;
  bool OnChar(char32_t ch) override;
  // The editing keys (arrows, Home, End, BackSpace, Delete, Ctrl+A/C/X/V);
  // "return" is raised for the Return key.
  bool OnKeyDown(int key) override;
  void OnComposition(const std::string& text, int cursor) override;
  void OnSetFocus() override;
  void OnKillFocus() override;
  void OnTimer(int id) override;

 protected:
  void PaintStatusImage(PaintContext& ctx) override;
  void PaintText(PaintContext& ctx) override;

 private:
  // The text as shown (stars for a password) with each code point's start
  // offset in text_ and its pen position from the text's left edge; one
  // entry more than code points, for the end.
  struct Run {
    std::string shown;
    std::vector<size_t> offsets;
    std::vector<int> xs;
  };
  Run Measure(const std::string& text) const;
  size_t Prev(size_t pos) const;
  size_t Next(size_t pos) const;
  size_t WordStart(size_t pos) const;
  size_t WordEnd(size_t pos) const;
  void MoveCaret(size_t pos, bool extend);
  void RestartBlink();
  void KeepCaretInView();
  int CaretX() const;  // pen position of the caret from the text's left edge
  void Changed(const std::string& t, size_t caret);

  ImageAttr normal_, hotImg_, focusedImg_, disabledImg_;
  bool hot_ = false;
  bool readOnly_ = false;
  bool password_ = false;
  int maxChar_ = 255;
  size_t caret_ = 0;
  size_t anchor_ = 0;
  int scroll_ = 0;
  bool caretShown_ = false;
  bool selecting_ = false;  // a mouse drag extends the selection
  bool native_ = false;
  std::string composition_;
  int compositionCursor_ = 0;
};

// Number of code points in UTF-8 text (continuation bytes not counted).
size_t Utf8Length(const std::string& s);

}  // namespace SkinUI
