// Clickable labels: Button (state images and colours for normal, hot,
// pushed, focused and disabled), Option (a button with a selected state,
// optionally in a group) and CheckBox (an option that toggles itself).
#pragma once

#include "uikit/label.h"

namespace SkinUI {

class Button : public Label {
 public:
  std::string GetClass() const override { return "Button"; }
  Control* GetInterface(const std::string& name) override;
  const AttributeRegistry& Attributes() const override;
  static const AttributeRegistry& ButtonAttributes();

  bool IsFocusable() const override { return true; }
  bool IsHot() const { return hot_; }
  bool IsPushed() const { return pushed_; }
  // Forces a look without input (renders, tests); input moves it on again.
  void SetHot(bool hot);
  void SetPushed(bool pushed);

  void SetNormalImage(const std::string& v) { normal_.Set(v); Invalidate(); }
  void SetHotImage(const std::string& v) { hotImg_.Set(v); Invalidate(); }
  void SetPushedImage(const std::string& v) { pushedImg_.Set(v); Invalidate(); }
  void SetFocusedImage(const std::string& v) { focusedImg_.Set(v); Invalidate(); }
  void SetDisabledImage(const std::string& v) { disabledImg_.Set(v); Invalidate(); }
  const ImageAttr& GetNormalImage() const { return normal_; }

  void SetEnabled(bool e) override;
  void OnMouseEnter() override;
  void OnMouseLeave() override;
  void OnMouseMove(Point p) override;
  void OnMouseDown(Point p) override;
  void OnMouseUp(Point p) override;
  bool OnKeyDown(int key) override;

 protected:
  void PaintBkColor(PaintContext& ctx) override;
  void PaintStatusImage(PaintContext& ctx) override;
  uint32_t CurrentTextColor(const PaintContext& ctx) const override;
  // The image for the current state: a state without an image of its own
  // shows the normal one; a named image that is missing shows nothing.
  virtual const ImageAttr& StateImage() const;

  ImageAttr normal_, hotImg_, pushedImg_, focusedImg_, disabledImg_;
  uint32_t hotTextColor_ = 0, pushedTextColor_ = 0, focusedTextColor_ = 0;
  uint32_t hotBkColor_ = 0, pushedBkColor_ = 0;
  bool hot_ = false;
  bool pushed_ = false;
  bool captured_ = false;
};

class Option : public Button {
 public:
  std::string GetClass() const override { return "Option"; }
  Control* GetInterface(const std::string& name) override;
  const AttributeRegistry& Attributes() const override;
  static const AttributeRegistry& OptionAttributes();

  bool IsSelected() const { return selected_; }
  // Raises "selectchanged" when the state changes, whoever changes it; the
  // same state again changes and raises nothing. Selecting a grouped option
  // clears the others of its group under the same root.
  void Selected(bool selected);
  const std::string& GetGroup() const { return group_; }
  void SetSelectedImage(const std::string& v) { selectedImg_.Set(v); Invalidate(); }

  // "click", then the new state: a grouped option selects itself, one
  // without a group toggles.
  void Activate() override;

 protected:
  const ImageAttr& StateImage() const override;
  uint32_t CurrentTextColor(const PaintContext& ctx) const override;
  void PaintBkColor(PaintContext& ctx) override;

  ImageAttr selectedImg_, selectedHotImg_;
  uint32_t selectedTextColor_ = 0, selectedBkColor_ = 0;
  std::string group_;
  bool selected_ = false;
};

class CheckBox : public Option {
 public:
  std::string GetClass() const override { return "CheckBox"; }
  Control* GetInterface(const std::string& name) override;
  void Activate() override;
  void SetCheck(bool check) { Selected(check); }
  bool GetCheck() const { return IsSelected(); }
};

}  // namespace SkinUI
