// One file because layout, dirty rectangles, input dispatch, focus, the
// popup, notifications and timers all follow one rule: a control is
// forgotten everywhere at once (ForgetControl, ControlHidden), which only
// works while the state it clears lives in one place.
#include "uikit/paint_manager.h"

#include <algorithm>

#include "uikit/text.h"
#include "uikit/window_host.h"
#include "uikit/container.h"
#include "uikit/values.h"

namespace SkinUI {
namespace {

// More separate dirty rectangles than this are merged into their union:
// beyond a handful, one larger repaint is cheaper than many small ones.
constexpr size_t kMaxDirtyRects = 8;
// AdvanceClock never fires more expiries than this in one call, so a test
// that advances far with a short timer still ends.
constexpr int kMaxTicksPerAdvance = 100000;

bool Touches(const Rect& a, const Rect& b) {
  return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}

bool IsInside(const Control* c, const Control* ancestor) {
  for (const Control* p = c; p; p = p->GetParent())
    if (p == ancestor) return true;
  return false;
}

bool KeepsCaptionClick(Control* c) {
  return c && KeepsClickInCaption([c](const std::string& name) { return c->Is(name); });
}

}  // namespace

bool WindowAttributes::Recognises(const std::string& name) {
  static const char* const kRecognised[] = {"size", "caption", "roundcorner", "sizebox", "mininfo", "maxinfo",
                                            "showdirty", "noactivate", "opacity", "layeredopacity", "layeredimage",
                                            "disabledfontcolor", "defaultfontcolor", "linkfontcolor",
                                            "linkhoverfontcolor", "selectedcolor", "focuscolor", "focusgap", "focuswidth", "focusround"};
  return std::find_if(std::begin(kRecognised), std::end(kRecognised), [&](const char* n) { return name == n; }) !=
         std::end(kRecognised);
}

void WindowAttributes::Set(const std::string& name, const std::string& value) {
  const bool recognised = Recognises(name);
  if (name == "size") ParseSize(value, &size);
  else if (name == "caption") ParseRect(value, &caption);
  else if (name == "roundcorner") ParseSize(value, &roundCorner);
  else if (name == "sizebox") ParseRect(value, &sizebox);
  else if (name == "mininfo") ParseSize(value, &minInfo);
  else if (name == "maxinfo") ParseSize(value, &maxInfo);
  else if (name == "defaultfontcolor") SetColourAttr(&defaultFontColor, value);
  else if (name == "disabledfontcolor") SetColourAttr(&disabledFontColor, value);
  else if (name == "focuscolor") SetColourAttr(&focusColor, value);
  else if (name == "focusgap") ParseInt(value, &focusGap);
  else if (name == "focuswidth") ParseInt(value, &focusWidth);
  else if (name == "focusround") ParseSize(value, &focusRound);

  for (auto& kv : texts_) {
    if (kv.first != name) continue;
    if (recognised) kv.second = value;
    return;
  }
  if (!recognised && (name.empty() || value.empty())) return;
  texts_.emplace_back(name, value);
}

const std::string* WindowAttributes::Get(const std::string& name) const {
  for (const auto& kv : texts_)
    if (kv.first == name) return &kv.second;
  return nullptr;
}

CPaintManagerUI::CPaintManagerUI()
    : images_(std::make_unique<ImageCache>([](const std::string&, std::string*) { return false; })) {}

CPaintManagerUI::~CPaintManagerUI() {
  // The controls call back into the manager while they are destroyed.
  root_.reset();
}

void CPaintManagerUI::SetImageLoader(ImageCache::Loader loader) {
  images_ = std::make_unique<ImageCache>(std::move(loader));
  InvalidateAll();
}

void CPaintManagerUI::SetDefaultAttributes(const std::string& className, const std::string& list) {
  defaults_[className] = list;
}

const std::string* CPaintManagerUI::GetDefaultAttributes(const std::string& className) const {
  auto it = defaults_.find(className);
  return it == defaults_.end() ? nullptr : &it->second;
}

void CPaintManagerUI::AttachRoot(std::unique_ptr<Control> root) {
  root_.reset();
  hot_ = focus_ = capture_ = nullptr;
  popup_ = nullptr;
  root_ = std::move(root);
  if (!root_) return;
  root_->SetManager(this);
  root_->ForEach([](Control& c) { c.OnInit(); });
  needUpdate_ = true;
  LayoutIfNeeded();
  InvalidateAll();
}

std::unique_ptr<Control> CPaintManagerUI::DetachRoot() {
  if (root_) {
    root_->ForEach([this](Control& c) { KillTimers(&c); });
    root_->SetManager(nullptr);
  }
  hot_ = focus_ = capture_ = nullptr;
  popup_ = nullptr;
  return std::move(root_);
}

Control* CPaintManagerUI::FindControl(const std::string& name) const {
  return root_ ? root_->FindControl(name) : nullptr;
}

Control* CPaintManagerUI::FindControlAt(Point p) {
  LayoutIfNeeded();
  return root_ ? root_->FindControlAt(p) : nullptr;
}

void CPaintManagerUI::SetClientSize(Size size) {
  if (size.cx == client_.cx && size.cy == client_.cy) return;
  client_ = size;
  needUpdate_ = true;
  InvalidateAll();
}

void CPaintManagerUI::SetDpi(int dpi) {
  dpi = ClampDpi(dpi);
  if (dpi == dpi_) return;
  dpi_ = dpi;
  fonts_.SetDpi(dpi);
  needUpdate_ = true;
  InvalidateAll();
}

void CPaintManagerUI::LayoutIfNeeded() {
  if (!needUpdate_ || !root_) return;
  needUpdate_ = false;
  root_->SetPos({0, 0, client_.cx, client_.cy});
  // A layout pass itself may ask for another (a child resized by its parent);
  // one pass is enough because positions only depend on sizes.
  needUpdate_ = false;
}

void CPaintManagerUI::Invalidate(const Rect& r) {
  Rect add = r.Intersect({0, 0, client_.cx, client_.cy});
  if (add.IsEmpty()) return;
  // Merge with everything it touches, repeatedly, since a union can reach
  // further rectangles.
  for (bool merged = true; merged;) {
    merged = false;
    for (auto it = dirty_.begin(); it != dirty_.end(); ++it) {
      if (!Touches(*it, add)) continue;
      add = add.Union(*it);
      dirty_.erase(it);
      merged = true;
      break;
    }
  }
  dirty_.push_back(add);
  if (dirty_.size() > kMaxDirtyRects) {
    Rect all;
    for (const Rect& d : dirty_) all = all.Union(d);
    dirty_.assign(1, all);
  }
  if (invalidateHook_) invalidateHook_();
}

void CPaintManagerUI::InvalidateAll() { Invalidate({0, 0, client_.cx, client_.cy}); }

PaintContext CPaintManagerUI::MakeContext(Surface& s) {
  PaintContext ctx{s, images_.get(), glyphs_, fonts_};
  ctx.defaultTextColor = window_.defaultFontColor;
  ctx.disabledTextColor = window_.disabledFontColor;
  ctx.dpi = dpi_;
  return ctx;
}

void CPaintManagerUI::PaintRect(Surface& s, const Rect& r) {
  const Rect area = r.Intersect({0, 0, std::min(client_.cx, s.Width()), std::min(client_.cy, s.Height())});
  if (area.IsEmpty()) return;
  PaintContext ctx = MakeContext(s);
  ClipScope clip(s, area);
  s.ClearRect(area, 0);
  if (root_) root_->Paint(ctx, area);
  PaintFocusMark(ctx);
  const Rect inWindow = InWindowPopupRect();
  if (!inWindow.Intersect(area).IsEmpty()) {
    // Drawn through a view of the window's surface whose origin is the
    // popup's corner, as a popup window of its own would see it.
    const Rect shown = inWindow.Intersect(area);
    Surface view(s.Row(inWindow.top) + inWindow.left,
                 std::min(inWindow.Width(), s.Width() - inWindow.left), std::min(inWindow.Height(), s.Height() - inWindow.top),
                 s.Stride());
    PaintContext popupCtx = MakeContext(view);
    ClipScope popupClip(view, shown.Offset(-inWindow.left, -inWindow.top));
    popup_->PaintPopup(popupCtx);
  }
}

Rect CPaintManagerUI::FocusMarkRect(const Control* c) const {
  const int out = Scale(window_.focusGap + window_.focusWidth);
  return c->GetPos().Deflate(Rect{-out, -out, -out, -out});
}

void CPaintManagerUI::PaintFocusMark(PaintContext& ctx) {
  if (!focusCues_ || !focus_ || !focus_->ShowsFocusMark() || !focus_->IsShown()) return;
  Size round = window_.focusRound;
  if (const std::string* own = focus_->GetCustomAttribute("focusround")) ParseSize(*own, &round);
  round = Scale(round);
  const int grow = Scale(window_.focusGap + window_.focusWidth);
  ctx.surface.DrawBorder(FocusMarkRect(focus_), Scale(window_.focusWidth), window_.focusColor,
                         Size{round.cx + 2 * grow, round.cy + 2 * grow});
}

void CPaintManagerUI::InvalidateFocusMark(Control* c) {
  if (c && focusCues_) Invalidate(FocusMarkRect(c));
}

void CPaintManagerUI::ShowFocusCues() {
  if (focusCues_) return;
  focusCues_ = true;
  InvalidateFocusMark(focus_);
}

Rect CPaintManagerUI::InWindowPopupRect() const {
  if (!popup_ || popupHost_) return Rect{};
  const Rect anchor = popup_->PopupAnchor();
  const Size size = popup_->PopupSize();
  return Rect{anchor.left, anchor.bottom, anchor.left + size.cx, anchor.bottom + size.cy};
}

void CPaintManagerUI::PaintPopup(Surface& surface) {
  if (!popup_) return;
  PaintContext ctx = MakeContext(surface);
  ClipScope clip(surface, Rect{0, 0, surface.Width(), surface.Height()});
  surface.ClearRect(Rect{0, 0, surface.Width(), surface.Height()}, 0);
  popup_->PaintPopup(ctx);
}

void CPaintManagerUI::InvalidatePopup(const Rect& r) {
  if (!popup_) return;
  if (popupHost_) {
    popupHost_->InvalidatePopup(r);
    return;
  }
  const Rect at = InWindowPopupRect();
  Invalidate(Rect{r.left + at.left, r.top + at.top, r.right + at.left, r.bottom + at.top}.Intersect(at));
}

std::vector<Rect> CPaintManagerUI::Paint(Surface& surface) {
  LayoutIfNeeded();
  std::vector<Rect> rects;
  rects.swap(dirty_);
  for (const Rect& r : rects) PaintRect(surface, r);
  return rects;
}

void CPaintManagerUI::PaintAll(Surface& surface) {
  LayoutIfNeeded();
  dirty_.clear();
  PaintRect(surface, {0, 0, client_.cx, client_.cy});
}

void CPaintManagerUI::MouseMove(Point p) {
  LayoutIfNeeded();
  const Rect inWindow = InWindowPopupRect();
  if (inWindow.Contains(p)) {
    popup_->PopupMouseMove(Point{p.x - inWindow.left, p.y - inWindow.top});
    return;
  }
  if (popup_ && !popupHost_) popup_->PopupMouseLeave();
  Control* target = FindControlAt(p);
  if (target != hot_) {
    Control* old = hot_;
    hot_ = target;
    if (old) old->OnMouseLeave();
    if (hot_ && hot_->IsEnabled()) hot_->OnMouseEnter();
  }
  Control* to = capture_ ? capture_ : target;
  if (to && to->IsEnabled()) to->OnMouseMove(p);
}

void CPaintManagerUI::MouseDown(Point p) {
  LayoutIfNeeded();
  if (popup_) {
    const Rect inWindow = InWindowPopupRect();
    if (inWindow.Contains(p)) {
      popup_->PopupMouseDown(Point{p.x - inWindow.left, p.y - inWindow.top});
      return;
    }
    // A press on the control that opened it is that control's to handle
    // (a drop-down's box closes it again); any other press closes it.
    Control* opener = popup_->PopupControl();
    if (!opener || !opener->GetPos().Contains(p)) ClosePopup();
  }
  Control* target = FindControlAt(p);
  // The system's double click: a second press soon after on the same
  // control, near the first.
  constexpr uint64_t kDoubleClickMs = 500;
  constexpr int kDoubleClickSlop = 4;
  const bool again = target && target == lastClick_ && now_ - lastClickTime_ <= kDoubleClickMs &&
                     std::abs(p.x - lastClickPoint_.x) <= kDoubleClickSlop &&
                     std::abs(p.y - lastClickPoint_.y) <= kDoubleClickSlop;
  clickCount_ = again ? clickCount_ + 1 : 1;
  lastClick_ = target;
  lastClickPoint_ = p;
  lastClickTime_ = now_;
  if (!target || !target->IsEnabled()) return;
  SetFocus(target->IsFocusable() ? target : nullptr);
  capture_ = target;
  target->OnMouseDown(p);
}

void CPaintManagerUI::MouseUp(Point p) {
  Control* c = capture_;
  capture_ = nullptr;
  if (c) c->OnMouseUp(p);
}

void CPaintManagerUI::MouseWheel(Point p, int delta) {
  const Rect inWindow = InWindowPopupRect();
  if (inWindow.Contains(p)) {
    popup_->PopupMouseWheel(Point{p.x - inWindow.left, p.y - inWindow.top}, delta);
    return;
  }
  for (Control* c = FindControlAt(p); c; c = c->GetParent()) {
    if (!c->IsEnabled()) return;
    c->OnMouseWheel(p, delta);
    return;
  }
}

void CPaintManagerUI::MouseLeaveWindow() {
  if (popup_ && !popupHost_) popup_->PopupMouseLeave();
  if (!hot_) return;
  Control* old = hot_;
  hot_ = nullptr;
  old->OnMouseLeave();
}

bool CPaintManagerUI::KeyDown(int key, int modifiers) {
  modifiers_ = modifiers;
  if (popup_ && popup_->PopupKeyDown(key)) return true;
  for (IMessageFilterUI* f : std::vector<IMessageFilterUI*>(filters_))
    if (f->FilterKeyDown(key)) return true;
  if (key == kKeyTab || key == kKeyLeft || key == kKeyRight || key == kKeyUp || key == kKeyDown || key == kKeyAlt)
    ShowFocusCues();
  if (focus_ && focus_->OnKeyDown(key)) return true;
  if (key == kKeyTab && !(modifiers & (kModControl | kModAlt))) {
    if (Control* next = NextFocusable(focus_, (modifiers & kModShift) != 0)) {
      tabbing_ = true;
      SetFocus(next);
      tabbing_ = false;
    }
    return true;
  }
  return false;
}

bool CPaintManagerUI::Char(char32_t ch) { return focus_ ? focus_->OnChar(ch) : false; }

void CPaintManagerUI::Composition(const std::string& text, int cursor) {
  if (focus_) focus_->OnComposition(text, cursor);
}

std::vector<Control*> CPaintManagerUI::FocusOrder() const {
  std::vector<Control*> order;
  if (!root_) return order;
  root_->ForEach([&](Control& c) {
    if (c.IsFocusable() && c.IsEnabled() && c.IsShown()) order.push_back(&c);
  });
  return order;
}

Control* CPaintManagerUI::NextFocusable(Control* from, bool backwards) {
  const std::vector<Control*> order = FocusOrder();
  if (order.empty()) return nullptr;
  auto it = std::find(order.begin(), order.end(), from);
  if (it == order.end()) return backwards ? order.back() : order.front();
  if (backwards) return it == order.begin() ? order.back() : *(it - 1);
  return it + 1 == order.end() ? order.front() : *(it + 1);
}

void CPaintManagerUI::SetFocus(Control* c) {
  if (c == focus_) return;
  Control* old = focus_;
  focus_ = c;
  InvalidateFocusMark(old);
  if (old) old->OnKillFocus();
  if (focus_ == c && c) {
    InvalidateFocusMark(c);
    c->OnSetFocus();
  }
}

std::string CPaintManagerUI::ClipboardText() const { return clipboard_.get ? clipboard_.get() : ownClipboard_; }

void CPaintManagerUI::SetClipboardText(const std::string& text) {
  if (clipboard_.set)
    clipboard_.set(text);
  else
    ownClipboard_ = text;
}

HitArea CPaintManagerUI::HitTestWindow(Point p, bool maximised) {
  HitTestInput in;
  in.point = p;
  in.client = client_;
  in.sizebox = Scale(window_.sizebox);
  in.caption = Scale(window_.caption);
  in.maximised = maximised;
  in.controlKeepsClick = KeepsCaptionClick(FindControlAt(p));
  return HitTest(in);
}

void CPaintManagerUI::AddNotifier(INotifyUI* n) {
  if (n && std::find(notifiers_.begin(), notifiers_.end(), n) == notifiers_.end()) notifiers_.push_back(n);
}

void CPaintManagerUI::RemoveNotifier(INotifyUI* n) {
  notifiers_.erase(std::remove(notifiers_.begin(), notifiers_.end(), n), notifiers_.end());
}

void CPaintManagerUI::AddMessageFilter(IMessageFilterUI* f) {
  if (f && std::find(filters_.begin(), filters_.end(), f) == filters_.end()) filters_.push_back(f);
}

void CPaintManagerUI::RemoveMessageFilter(IMessageFilterUI* f) {
  filters_.erase(std::remove(filters_.begin(), filters_.end(), f), filters_.end());
}

void CPaintManagerUI::SendNotify(Control* sender, const std::string& type, uintptr_t wParam, intptr_t lParam) {
  Notification msg;
  msg.sender = sender;
  msg.type = type;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.timestamp = now_;
  // A receiver may unregister itself (or another) while being told.
  for (INotifyUI* n : std::vector<INotifyUI*>(notifiers_))
    if (std::find(notifiers_.begin(), notifiers_.end(), n) != notifiers_.end()) n->Notify(msg);
}

void CPaintManagerUI::PostNotify(Control* sender, const std::string& type, uintptr_t wParam, intptr_t lParam) {
  Notification msg;
  msg.sender = sender;
  msg.type = type;
  msg.wParam = wParam;
  msg.lParam = lParam;
  posted_.push_back(std::move(msg));
}

int CPaintManagerUI::ProcessPostedNotifications() {
  // Only what was queued before this call, so a handler that posts again
  // cannot keep the loop here.
  size_t n = posted_.size();
  int delivered = 0;
  while (n-- > 0 && !posted_.empty()) {
    Notification msg = std::move(posted_.front());
    posted_.pop_front();
    SendNotify(msg.sender, msg.type, msg.wParam, msg.lParam);
    ++delivered;
  }
  return delivered;
}

bool CPaintManagerUI::SetTimer(Control* c, int id, int periodMs) {
  if (!c || periodMs < 1) return false;
  for (Timer& t : timers_) {
    if (t.control == c && t.id == id) {
      t.period = periodMs;
      t.due = now_ + static_cast<uint64_t>(periodMs);
      return true;
    }
  }
  timers_.push_back({c, id, periodMs, now_ + static_cast<uint64_t>(periodMs)});
  return true;
}

bool CPaintManagerUI::KillTimer(Control* c, int id) {
  auto it = std::find_if(timers_.begin(), timers_.end(), [&](const Timer& t) { return t.control == c && t.id == id; });
  if (it == timers_.end()) return false;
  timers_.erase(it);
  return true;
}

void CPaintManagerUI::KillTimers(Control* c) {
  timers_.erase(std::remove_if(timers_.begin(), timers_.end(), [c](const Timer& t) { return t.control == c; }),
                timers_.end());
}

bool CPaintManagerUI::HasTimer(const Control* c, int id) const {
  return std::any_of(timers_.begin(), timers_.end(), [&](const Timer& t) { return t.control == c && t.id == id; });
}

void CPaintManagerUI::FireTimer(Control* c, int id) {
  if (HasTimer(c, id)) c->OnTimer(id);
}

void CPaintManagerUI::AdvanceClock(uint64_t ms) {
  const uint64_t target = now_ + ms;
  for (int ticks = 0; ticks < kMaxTicksPerAdvance; ++ticks) {
    auto next = std::min_element(timers_.begin(), timers_.end(),
                                 [](const Timer& a, const Timer& b) { return a.due < b.due; });
    if (next == timers_.end() || next->due > target) break;
    now_ = next->due;
    next->due += static_cast<uint64_t>(next->period);
    FireTimer(next->control, next->id);
  }
  now_ = target;
}

std::vector<std::pair<Control*, int>> CPaintManagerUI::DueTimers(uint64_t now) {
  if (now > now_) now_ = now;
  std::vector<Timer*> due;
  for (Timer& t : timers_)
    if (t.due <= now_) due.push_back(&t);
  std::stable_sort(due.begin(), due.end(), [](const Timer* a, const Timer* b) { return a->due < b->due; });
  std::vector<std::pair<Control*, int>> out;
  for (Timer* t : due) {
    out.emplace_back(t->control, t->id);
    t->due = now_ + static_cast<uint64_t>(t->period);
  }
  return out;
}

void CPaintManagerUI::FireDueTimers(uint64_t now) {
  for (const auto& t : DueTimers(now)) FireTimer(t.first, t.second);
}

int64_t CPaintManagerUI::NextTimerDelay() const {
  int64_t best = -1;
  for (const Timer& t : timers_) {
    const int64_t d = t.due > now_ ? static_cast<int64_t>(t.due - now_) : 0;
    if (best < 0 || d < best) best = d;
  }
  return best;
}

void CPaintManagerUI::ReleaseStates(Control* c, bool forgetting) {
  if (capture_ && IsInside(capture_, c)) capture_ = nullptr;
  if (hot_ && IsInside(hot_, c)) {
    Control* old = hot_;
    hot_ = nullptr;
    if (!forgetting) old->OnMouseLeave();
  }
  if (focus_ && IsInside(focus_, c)) {
    if (forgetting) focus_ = nullptr;
    else SetFocus(nullptr);
  }
  if (popup_ && IsInside(popup_->PopupControl(), c)) {
    if (forgetting) SetPopup(nullptr);
    else ClosePopup();
  }
}

void CPaintManagerUI::ForgetControl(Control* c) {
  // Called from the control's destructor: its parent links may be gone, so
  // only exact pointers are cleared.
  if (capture_ == c) capture_ = nullptr;
  if (hot_ == c) hot_ = nullptr;
  if (focus_ == c) focus_ = nullptr;
  if (lastClick_ == c) lastClick_ = nullptr;
  if (popup_ && popup_->PopupControl() == c) SetPopup(nullptr);
  KillTimers(c);
}

void CPaintManagerUI::ControlHidden(Control* c) { ReleaseStates(c, false); }

void CPaintManagerUI::ControlDisabled(Control* c) { ReleaseStates(c, false); }

void CPaintManagerUI::SetPopup(IPopupUI* popup) {
  if (popup == popup_) return;
  if (popup_) {
    IPopupUI* old = popup_;
    const Rect inWindow = InWindowPopupRect();
    popup_ = nullptr;
    if (popupHost_) popupHost_->HidePopup();
    else Invalidate(inWindow);
    if (popup) old->PopupClosed();
  }
  popup_ = popup;
  if (!popup_) return;
  if (popupHost_) popupHost_->ShowPopup(popup_);
  else Invalidate(InWindowPopupRect());
}

void CPaintManagerUI::ClosePopup() {
  IPopupUI* open = popup_;
  if (!open) return;
  SetPopup(nullptr);
  open->PopupClosed();
}

}  // namespace SkinUI
