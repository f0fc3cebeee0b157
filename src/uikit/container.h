// Controls that hold children: the plain container (every child over its
// rectangle), the two box layouts and the tab layout. A container owns its
// children.
#pragma once

#include <memory>
#include <vector>

#include "uikit/control.h"

namespace SkinUI {

class Container : public Control {
 public:
  Container();
  ~Container() override;

  std::string GetClass() const override { return "Container"; }
  Control* GetInterface(const std::string& name) override;
  const AttributeRegistry& Attributes() const override;
  static const AttributeRegistry& ContainerAttributes();

  // Takes ownership; false (and the child deleted) for null.
  virtual bool Add(Control* child);
  // Deletes the child; false when it is not ours.
  bool Remove(Control* child);
  int GetCount() const { return static_cast<int>(children_.size()); }
  Control* GetItemAt(int index) const;
  int GetItemIndex(const Control* child) const;

  const Rect& GetInset() const { return box_.inset; }
  void SetInset(const Rect& r);
  void SetChildPadding(int p);
  const BoxParams& GetBoxParams() const { return box_; }

  void SetPos(const Rect& r) override;
  void SetManager(CPaintManagerUI* m) override;
  Control* FindControl(const std::string& name) override;
  Control* FindControlAt(Point p) override;
  void ForEach(const std::function<void(Control&)>& f) override;
  void Paint(PaintContext& ctx, const Rect& dirty) override;

 protected:
  // Child rectangles for the items, in child order; box is box_ at the scale.
  virtual std::vector<Rect> LayoutChildren(const Rect& r, const BoxParams& box, const std::vector<LayoutItem>& items);
  void PaintChildren(PaintContext& ctx, const Rect& dirty);
  BoxParams ScaledBox() const;

  std::vector<std::unique_ptr<Control>> children_;
  BoxParams box_;
};

class VerticalLayout : public Container {
 public:
  std::string GetClass() const override { return "VerticalLayout"; }
  Control* GetInterface(const std::string& name) override;

 protected:
  std::vector<Rect> LayoutChildren(const Rect& r, const BoxParams& box, const std::vector<LayoutItem>& items) override;
};

class HorizontalLayout : public Container {
 public:
  std::string GetClass() const override { return "HorizontalLayout"; }
  Control* GetInterface(const std::string& name) override;

 protected:
  std::vector<Rect> LayoutChildren(const Rect& r, const BoxParams& box, const std::vector<LayoutItem>& items) override;
};

// Pages over one rectangle; only the selected child is visible.
class TabLayout : public Container {
 public:
  std::string GetClass() const override { return "TabLayout"; }
  Control* GetInterface(const std::string& name) override;
  const AttributeRegistry& Attributes() const override;

  bool Add(Control* child) override;
  int GetCurSel() const { return cur_; }
  // Out of range: nothing, false. The current index: nothing, true.
  // Another: the old child hidden, the new one shown, "tabselect" raised
  // with wParam = new index and lParam = old index.
  bool SelectItem(int index);
  bool SelectItem(Control* child) { return SelectItem(GetItemIndex(child)); }

 protected:
  std::vector<Rect> LayoutChildren(const Rect& r, const BoxParams& box, const std::vector<LayoutItem>& items) override;

 private:
  int cur_ = 0;
};

}  // namespace SkinUI
