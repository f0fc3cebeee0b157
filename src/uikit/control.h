// The base of every control: identity, geometry, the common attributes, the
// attribute registry that markup goes through, painting of the common parts
// and one virtual per input event. A control belongs to one CPaintManagerUI
// (set when its tree is attached) and to its parent container; everything
// runs on the UI thread.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "uikit/geometry.h"
#include "uikit/image_descriptor.h"
#include "uikit/layout.h"
#include "uikit/paint_context.h"

namespace SkinUI {

class Control;
class Container;
class CPaintManagerUI;

// Markup attribute name -> setter. A class's registry falls back to its base
// class's, so the most derived setter of a name wins. Names match exactly,
// except those added with AddAnyCase, which match in any ASCII letter case.
class AttributeRegistry {
 public:
  using Setter = std::function<void(Control&, const std::string&)>;

  explicit AttributeRegistry(const AttributeRegistry* base = nullptr) : base_(base) {}

  template <class T, class F>
  void Add(const char* name, F setter) {
    setters_[name] = [setter](Control& c, const std::string& v) { setter(static_cast<T&>(c), v); };
  }
  // name in lower case.
  template <class T, class F>
  void AddAnyCase(const char* name, F setter) {
    anyCase_[name] = [setter](Control& c, const std::string& v) { setter(static_cast<T&>(c), v); };
  }
  const Setter* Find(const std::string& name) const;

 private:
  const AttributeRegistry* base_;
  std::map<std::string, Setter> setters_;
  std::map<std::string, Setter> anyCase_;  // by lower-case name
};

// An image attribute as written and as parsed; a text that does not parse
// draws nothing.
struct ImageAttr {
  std::string text;
  ImageDescriptor desc;
  void Set(const std::string& value);
  bool IsSet() const { return !text.empty(); }
};

// Parses a colour attribute, keeping the old value for text that is not one.
void SetColourAttr(uint32_t* field, const std::string& value);

class Control {
 public:
  Control();
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  // The markup class name and interface query: a class answers its own name
  // and hands every other name to its base.
  virtual std::string GetClass() const { return "Control"; }
  virtual Control* GetInterface(const std::string& name);
  bool Is(const std::string& name) { return GetInterface(name) != nullptr; }

  // Markup. Unknown names become custom attributes (first value wins, an
  // empty name or value is dropped).
  void SetAttribute(const std::string& name, const std::string& value);
  virtual const AttributeRegistry& Attributes() const;
  static const AttributeRegistry& ControlAttributes();
  const std::string* GetCustomAttribute(const std::string& name) const;
  const std::vector<std::pair<std::string, std::string>>& CustomAttributes() const { return custom_; }

  const std::string& GetName() const { return name_; }
  void SetName(const std::string& n) { name_ = n; }
  const std::string& GetText() const { return text_; }
  virtual void SetText(const std::string& t);
  const std::string& GetUserData() const { return userData_; }
  void SetUserData(const std::string& d) { userData_ = d; }
  const std::string& GetToolTip() const { return toolTip_; }

  // Geometry. GetPos is the laid-out rectangle in client pixels; the sizes,
  // margins and positions set from the layout are at 1x (geometry.h).
  const Rect& GetPos() const { return rect_; }
  virtual void SetPos(const Rect& r);
  int GetFixedWidth() const { return fixed_.cx; }
  int GetFixedHeight() const { return fixed_.cy; }
  void SetFixedWidth(int cx);
  void SetFixedHeight(int cy);
  void SetMinWidth(int v);
  void SetMaxWidth(int v);
  void SetMinHeight(int v);
  void SetMaxHeight(int v);
  const Rect& GetPadding() const { return padding_; }
  void SetPadding(const Rect& p);
  bool IsFloat() const { return float_; }
  void SetFloat(bool f);
  const Rect& GetFloatPos() const { return floatPos_; }
  // The size it asks its parent's layout for (0: stretch on that axis), at
  // 1x as the layout writes it; available is in pixels at the scale.
  virtual Size EstimateSize(Size available) const { return fixed_; }
  // In pixels at the scale.
  LayoutItem ToLayoutItem(Size available) const;
  // Its manager's display scale (1x without one), and a 1x length at it.
  int Dpi() const;
  int Scaled(int v) const { return ScaleLength(v, Dpi()); }

  // State.
  bool IsVisible() const { return visible_; }
  virtual void SetVisible(bool v);
  // Visible itself and every ancestor.
  bool IsShown() const;
  bool IsEnabled() const { return enabled_; }
  virtual void SetEnabled(bool e);
  bool IsMouseEnabled() const { return mouseEnabled_; }
  void SetMouseEnabled(bool e) { mouseEnabled_ = e; }
  virtual bool IsFocusable() const { return false; }
  // Whether the manager rings it while it has the focus (a text field shows
  // its caret instead).
  virtual bool ShowsFocusMark() const { return true; }
  bool IsFocused() const { return focused_; }

  // Appearance.
  uint32_t GetBkColor() const { return bkColor_; }
  void SetBkColor(uint32_t c);
  const ImageAttr& GetBkImage() const { return bkImage_; }
  void SetBkImage(const std::string& image);
  void SetBorderColor(uint32_t c);
  void SetBorderSize(int s);
  void SetBorderRound(Size r);

  // Tree.
  Container* GetParent() const { return parent_; }
  void SetParent(Container* p) { parent_ = p; }
  CPaintManagerUI* GetManager() const { return manager_; }
  virtual void SetManager(CPaintManagerUI* m);
  // Depth-first, first match in tree order.
  virtual Control* FindControl(const std::string& name);
  // The topmost shown, mouse-enabled control at p (p inside GetPos), or null.
  virtual Control* FindControlAt(Point p);
  // Calls f for this control and every descendant, in tree order.
  virtual void ForEach(const std::function<void(Control&)>& f);

  // Painting: only the part inside dirty; the surface's clip is set by the caller.
  virtual void Paint(PaintContext& ctx, const Rect& dirty);
  void Invalidate();
  // Asks the manager to lay the tree out again before the next paint.
  void NeedUpdate();
  void Notify(const std::string& type, uintptr_t wParam = 0, intptr_t lParam = 0);

  // Input, dispatched by the paint manager.
  virtual void OnMouseEnter() {}
  virtual void OnMouseLeave() {}
  virtual void OnMouseMove(Point p) {}
  virtual void OnMouseDown(Point p) {}
  virtual void OnMouseUp(Point p) {}
  virtual void OnMouseWheel(Point p, int delta) {}
  virtual bool OnKeyDown(int key) { return false; }
  virtual bool OnChar(char32_t ch) { return false; }
  // The input method's unfinished text (UTF-8; empty when it ends) and its
  // cursor in code points.
  virtual void OnComposition(const std::string& text, int cursor) {}
  virtual void OnSetFocus();
  virtual void OnKillFocus();
  // Timer expiry; by default the notification "timer" with the id.
  virtual void OnTimer(int id);
  // Called once when the tree has been attached to a manager.
  virtual void OnInit() {}
  // What "click" means for this control; the base only notifies.
  virtual void Activate();

 protected:
  virtual void PaintBkColor(PaintContext& ctx);
  virtual void PaintBkImage(PaintContext& ctx);
  virtual void PaintStatusImage(PaintContext& ctx) {}
  virtual void PaintText(PaintContext& ctx) {}
  virtual void PaintBorder(PaintContext& ctx);
  // Draws an image attribute into rect (the control's by default); a missing
  // file draws nothing.
  void DrawImageAttr(PaintContext& ctx, const ImageAttr& image, const Rect* rect = nullptr);

  std::string name_;
  std::string text_;
  std::string userData_;
  std::string toolTip_;
  Rect rect_;
  Size fixed_;
  Size min_;
  Size max_{kUnboundedExtent, kUnboundedExtent};
  Rect padding_;
  Rect floatPos_;
  bool float_ = false;
  bool visible_ = true;
  bool enabled_ = true;
  bool mouseEnabled_ = true;
  bool focused_ = false;
  uint32_t bkColor_ = 0;
  ImageAttr bkImage_;
  uint32_t borderColor_ = 0;
  int borderSize_ = 0;
  Size borderRound_;
  Container* parent_ = nullptr;
  CPaintManagerUI* manager_ = nullptr;

 private:
  std::vector<std::pair<std::string, std::string>> custom_;
};

}  // namespace SkinUI
