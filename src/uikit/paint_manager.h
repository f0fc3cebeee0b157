// CPaintManagerUI: the one owner of a window's control tree. It lays the
// tree out at the client size, paints dirty rectangles into a Surface, turns
// platform-neutral input into control states (hot, pushed, focus) and
// events, delivers notifications to every registered receiver and runs the
// controls' timers on a clock the host (or a test) advances.
//
// Everything here belongs to the UI thread. The host owns the OS window and
// calls in; nothing here calls the OS.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "uikit/control.h"
#include "uikit/glyphs.h"
#include "uikit/hittest.h"
#include "uikit/image_cache.h"
#include "uikit/paint_context.h"

namespace SkinUI {

struct Notification {
  Control* sender = nullptr;
  std::string type;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
  Point pt;
  uint64_t timestamp = 0;  // the manager's clock, in milliseconds
};

class INotifyUI {
 public:
  virtual ~INotifyUI() = default;
  virtual void Notify(Notification& msg) = 0;
};

// Sees every key press before the focused control; true swallows it.
class IMessageFilterUI {
 public:
  virtual ~IMessageFilterUI() = default;
  virtual bool FilterKeyDown(int key) = 0;
};

// What a control opens above everything else (a drop-down list). It has
// coordinates of its own, (0,0) at its top-left corner, and hangs below
// its anchor (a rectangle in the window's client coordinates), or above it
// when the screen has no room below. The manager keeps at most one open;
// the window shows it in a popup window of its own (IPopupHostUI), or,
// without one, paints it inside the window below the anchor.
class IPopupUI {
 public:
  virtual ~IPopupUI() = default;
  virtual Control* PopupControl() = 0;  // the control that opened it
  virtual Rect PopupAnchor() const = 0;
  virtual Size PopupSize() const = 0;
  virtual void PaintPopup(PaintContext& ctx) = 0;  // its rectangle is {0, 0, size}
  virtual void PopupMouseMove(Point p) = 0;
  virtual void PopupMouseDown(Point p) = 0;
  virtual void PopupMouseLeave() {}
  virtual void PopupMouseWheel(Point p, int delta) {}
  // Keys while it is open, before the window's filters and the focus;
  // true swallows the key.
  virtual bool PopupKeyDown(int key) { return false; }
  // The manager closed it (a click elsewhere, the window deactivated or
  // moved, the control hidden or disabled); nothing was chosen.
  virtual void PopupClosed() = 0;
};

// The window's side of a popup: a window of its own for it.
class IPopupHostUI {
 public:
  virtual ~IPopupHostUI() = default;
  virtual void ShowPopup(IPopupUI* popup) = 0;
  virtual void HidePopup() = 0;
  virtual void InvalidatePopup(const Rect& r) = 0;  // popup coordinates
};

// The "Window" element's settings. Every attribute's text stays readable by
// name; recognised ones are parsed as well. For names the window does not
// recognise the first value wins and an empty name or value is dropped.
struct WindowAttributes {
  Size size;
  Rect caption;
  Size roundCorner;
  Rect sizebox;
  Size minInfo;
  Size maxInfo;
  uint32_t defaultFontColor = 0xFF000000;
  uint32_t disabledFontColor = 0xFFA7A6AA;
  // The keyboard focus mark: a ring of focusWidth pixels, focusGap
  // pixels outside the focused control (so it shows on a button of any
  // colour), its corners rounded by focusRound or by the control's own
  // "focusround" attribute.
  uint32_t focusColor = 0xFF1A73E8;
  int focusGap = 2;
  int focusWidth = 2;
  Size focusRound{8, 8};

  void Set(const std::string& name, const std::string& value);
  const std::string* Get(const std::string& name) const;
  // The names the window itself reads (the last value of each wins).
  static bool Recognises(const std::string& name);

 private:
  std::vector<std::pair<std::string, std::string>> texts_;
};

class CPaintManagerUI {
 public:
  CPaintManagerUI();
  ~CPaintManagerUI();
  CPaintManagerUI(const CPaintManagerUI&) = delete;
  CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

  // Resources of the window.
  FontTable& Fonts() { return fonts_; }
  WindowAttributes& Window() { return window_; }
  const WindowAttributes& Window() const { return window_; }
  // Where images come from (a skin package); replaces the image cache.
  void SetImageLoader(ImageCache::Loader loader);
  ImageCache& Images() { return *images_; }
  // Not owned; null draws no text.
  void SetGlyphSource(GlyphSource* glyphs) { glyphs_ = glyphs; }
  GlyphSource* GetGlyphSource() const { return glyphs_; }
  // "Default" declarations: attribute list text applied to every new
  // control of the class before its own attributes.
  void SetDefaultAttributes(const std::string& className, const std::string& list);
  const std::string* GetDefaultAttributes(const std::string& className) const;

  // The tree. Attaching calls every control's OnInit and lays it out.
  void AttachRoot(std::unique_ptr<Control> root);
  std::unique_ptr<Control> DetachRoot();
  Control* GetRoot() const { return root_.get(); }
  Control* FindControl(const std::string& name) const;
  Control* FindControlAt(Point p);

  // The display scale (geometry.h). Layouts are written at 1x; the tree is
  // laid out, painted and hit-tested in pixels at this scale. A change lays
  // the tree out again and repaints it with fonts and images for the new
  // scale; the client size is the host's to change.
  void SetDpi(int dpi);
  int Dpi() const { return dpi_; }
  int Scale(int v) const { return ScaleLength(v, dpi_); }
  Size Scale(Size s) const { return ScaleSize(s, dpi_); }
  Rect Scale(const Rect& r) const { return ScaleRect(r, dpi_); }

  // Layout.
  void SetClientSize(Size size);
  Size GetClientSize() const { return client_; }
  void NeedUpdate() { needUpdate_ = true; }
  void LayoutIfNeeded();

  // Painting. Invalidated rectangles are kept, overlapping ones merged, until
  // Paint repaints exactly them and hands them back for presenting.
  void Invalidate(const Rect& r);
  void InvalidateAll();
  const std::vector<Rect>& DirtyRects() const { return dirty_; }
  std::vector<Rect> Paint(Surface& surface);
  void PaintAll(Surface& surface);
  // Called whenever something becomes dirty, so the host can schedule a paint.
  void SetInvalidateHook(std::function<void()> hook) { invalidateHook_ = std::move(hook); }

  // Input in client coordinates.
  void MouseMove(Point p);
  void MouseDown(Point p);
  void MouseUp(Point p);
  void MouseWheel(Point p, int delta);
  void MouseLeaveWindow();
  // modifiers: kModShift | kModControl | kModAlt, as the host reported them.
  bool KeyDown(int key, int modifiers = 0);
  bool Char(char32_t ch);
  // The modifiers of the key being handled.
  int KeyModifiers() const { return modifiers_; }
  // The modifiers held during the mouse event about to be passed in.
  void SetKeyModifiers(int modifiers) { modifiers_ = modifiers; }
  // 1 for a single press, 2 for the second of a double click on the same
  // control (within the system's time and distance), and so on.
  int ClickCount() const { return clickCount_; }
  // The input method's unfinished text, for the focused control.
  void Composition(const std::string& text, int cursor);
  // The focus mark shows once the keyboard has moved the focus, as the
  // system hides focus rectangles from a user of the mouse alone.
  bool FocusCuesShown() const { return focusCues_; }
  // True while Tab or Shift+Tab moves the focus (a text field reached so
  // selects its text).
  bool FocusFromKeyboard() const { return tabbing_; }
  void ShowFocusCues();
  Control* GetHot() const { return hot_; }
  Control* GetFocus() const { return focus_; }
  Control* GetCapture() const { return capture_; }
  // Raises "killfocus" on the old control and "setfocus" on the new one.
  void SetFocus(Control* c);
  // The shown, enabled controls that take the focus, in layout order.
  std::vector<Control*> FocusOrder() const;
  // The system clipboard's text; without hooks (renders, tests) the
  // manager keeps one of its own.
  struct ClipboardHooks {
    std::function<std::string()> get;
    std::function<bool(const std::string&)> set;
  };
  void SetClipboardHooks(ClipboardHooks hooks) { clipboard_ = std::move(hooks); }
  std::string ClipboardText() const;
  void SetClipboardText(const std::string& text);
  // The window's hit test at p, with the control there deciding the drag band.
  HitArea HitTestWindow(Point p, bool maximised);

  // Notifications.
  void AddNotifier(INotifyUI* n);
  void RemoveNotifier(INotifyUI* n);
  void AddMessageFilter(IMessageFilterUI* f);
  void RemoveMessageFilter(IMessageFilterUI* f);
  void SendNotify(Control* sender, const std::string& type, uintptr_t wParam = 0, intptr_t lParam = 0);
  // Queued; delivered by ProcessPostedNotifications (the host calls it from
  // its message loop), in order.
  void PostNotify(Control* sender, const std::string& type, uintptr_t wParam = 0, intptr_t lParam = 0);
  int ProcessPostedNotifications();

  // Timers: (control, id) registrations with a period. Setting an existing
  // one restarts it; a period below 1 ms is refused.
  bool SetTimer(Control* c, int id, int periodMs);
  bool KillTimer(Control* c, int id);
  void KillTimers(Control* c);
  bool HasTimer(const Control* c, int id) const;
  uint64_t Now() const { return now_; }
  // Test clock: moves time forward, firing every expiry on the way at its
  // own time, in time order.
  void AdvanceClock(uint64_t ms);
  // Host clock: the timers due at now (each once, however late, as system
  // timers coalesce), rescheduled one period after now.
  std::vector<std::pair<Control*, int>> DueTimers(uint64_t now);
  void FireDueTimers(uint64_t now);
  // Milliseconds until the next expiry, or -1 without timers.
  int64_t NextTimerDelay() const;

  // Bookkeeping called by controls.
  void ForgetControl(Control* c);
  void ControlHidden(Control* c);
  void ControlDisabled(Control* c);
  // Opens `popup` (closing another one first) or, with null, closes the
  // open one without PopupClosed.
  void SetPopup(IPopupUI* popup);
  IPopupUI* GetPopup() const { return popup_; }
  // Closes the open popup and tells it (PopupClosed).
  void ClosePopup();
  void SetPopupHost(IPopupHostUI* host) { popupHost_ = host; }
  IPopupHostUI* GetPopupHost() const { return popupHost_; }
  void InvalidatePopup(const Rect& r);
  // Where an open popup is drawn inside the window when no popup host shows
  // it (client coordinates); empty with a host.
  Rect InWindowPopupRect() const;
  // Paints the open popup into a surface of its own size.
  void PaintPopup(Surface& surface);

 private:
  struct Timer {
    Control* control;
    int id;
    int period;
    uint64_t due;
  };
  void FireTimer(Control* c, int id);
  void ReleaseStates(Control* c, bool forgetting);
  PaintContext MakeContext(Surface& s);
  void PaintRect(Surface& s, const Rect& r);
  Control* NextFocusable(Control* from, bool backwards);
  void InvalidateFocusMark(Control* c);
  Rect FocusMarkRect(const Control* c) const;
  void PaintFocusMark(PaintContext& ctx);

  std::unique_ptr<Control> root_;
  FontTable fonts_;
  WindowAttributes window_;
  std::unique_ptr<ImageCache> images_;
  GlyphSource* glyphs_ = nullptr;
  std::map<std::string, std::string> defaults_;
  Size client_;
  int dpi_ = kBaseDpi;
  bool needUpdate_ = true;
  std::vector<Rect> dirty_;
  std::function<void()> invalidateHook_;
  Control* hot_ = nullptr;
  Control* focus_ = nullptr;
  Control* capture_ = nullptr;
  IPopupUI* popup_ = nullptr;
  IPopupHostUI* popupHost_ = nullptr;
  int modifiers_ = 0;
  int clickCount_ = 0;
  Control* lastClick_ = nullptr;
  Point lastClickPoint_;
  uint64_t lastClickTime_ = 0;
  bool focusCues_ = false;
  bool tabbing_ = false;
  ClipboardHooks clipboard_;
  std::string ownClipboard_;
  std::vector<INotifyUI*> notifiers_;
  std::vector<IMessageFilterUI*> filters_;
  std::deque<Notification> posted_;
  std::vector<Timer> timers_;
  uint64_t now_ = 0;
};

}  // namespace SkinUI
