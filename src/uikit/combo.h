// A drop-down list: the closed box shows the selected item's text; a click
// opens a list of the items below it, painted above everything else by the
// paint manager; choosing one raises "itemselect". The items are the child
// elements of the markup (their "text"; "selected" "true" picks the initial
// one).
#pragma once

#include "uikit/container.h"
#include "uikit/text.h"

namespace SkinUI {

class Combo : public Container {
 public:
  std::string GetClass() const override { return "Combo"; }
  Control* GetInterface(const std::string& name) override;
  const AttributeRegistry& Attributes() const override;

  bool IsFocusable() const override { return true; }
  bool Add(Control* item) override;
  int GetCurSel() const { return cur_; }
  // Out of range: false, nothing. The current one: true, nothing. Another:
  // "itemselect" with wParam = new index, lParam = old index.
  bool SelectItem(int index);

  bool IsDropped() const { return dropped_; }
  void SetDropped(bool open);
  // The drop list's rectangle and the rectangle of item i inside it.
  Rect DropRect() const;
  Rect ItemRect(int index) const;
  // Index of the item at p in the open list, or -1.
  int ItemAt(Point p) const;
  void PaintDropList(PaintContext& ctx);
  // Input over the open list, routed here by the paint manager: hovering
  // marks an item, a press chooses it and closes the list.
  void DropListMove(Point p);
  void DropListPress(Point p);

  void SetPos(const Rect& r) override;
  Control* FindControlAt(Point p) override;
  void Paint(PaintContext& ctx, const Rect& dirty) override;
  void SetEnabled(bool e) override;
  void OnMouseEnter() override;
  void OnMouseLeave() override;
  void OnMouseDown(Point p) override;
  bool OnKeyDown(int key) override;
  void OnMouseWheel(Point p, int delta) override;
  void OnKillFocus() override;

 private:
  int ItemHeight() const;
  uint32_t ItemColour(const PaintContext& ctx) const;

  int cur_ = -1;
  bool dropped_ = false;
  bool hot_ = false;
  int font_ = -1;
  uint32_t textColor_ = 0;
  Rect textPadding_{4, 0, 4, 0};
  Size dropBox_;  // 0: as wide as the box, as tall as the items
  int itemHeight_ = 24;
  uint32_t itemBkColor_ = 0xFFFFFFFF, itemHotBkColor_ = 0xFFE8F0FE, itemSelectedBkColor_ = 0xFFD0E0FC;
  uint32_t itemTextColor_ = 0, itemBorderColor_ = 0xFFB0B0B0;
  int hotItem_ = -1;
  ImageAttr normal_, hotImg_, pushedImg_, disabledImg_;
};

}  // namespace SkinUI
