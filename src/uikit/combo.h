// A drop-down list: the closed box shows the selected item's text; a click,
// Alt+Down or F4 opens the list of the items as the window's popup (a
// window of its own, below the box or above it); choosing one raises
// "itemselect". The items are the child elements of the markup (their
// "text"; "selected" "true" picks the initial one).
#pragma once

#include "uikit/container.h"
#include "uikit/paint_manager.h"
#include "uikit/text.h"

namespace SkinUI {

class Combo : public Container, private IPopupUI {
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
  // The open list's item under the mouse or the keys, -1 for none.
  int GetHotItem() const { return hotItem_; }
  // The list's size and the rectangle of item i in it (the list's own
  // coordinates, (0,0) at its top-left corner).
  Size DropSize() const;
  Rect ItemRect(int index) const;
  // Index of the item at p in the open list, or -1.
  int ItemAt(Point p) const;

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
  int ItemHeight() const;  // in pixels at the scale
  int ListBorder() const;
  uint32_t ItemColour(const PaintContext& ctx) const;
  void SetHotItem(int index);
  bool IsDropKey(int key) const;

  // The open list, as the manager's popup.
  Control* PopupControl() override { return this; }
  Rect PopupAnchor() const override { return rect_; }
  Size PopupSize() const override { return DropSize(); }
  void PaintPopup(PaintContext& ctx) override;
  void PopupMouseMove(Point p) override;
  void PopupMouseDown(Point p) override;
  void PopupMouseLeave() override;
  bool PopupKeyDown(int key) override;
  void PopupClosed() override;

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
