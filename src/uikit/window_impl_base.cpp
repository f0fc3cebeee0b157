#include "uikit/window_impl_base.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <utility>

#include "uikit/control.h"
#include "uikit/edit.h"
#include "uikit/package.h"
#include "uikit/surface.h"
#include "uikit/text.h"
#include "uikit/text_table.h"
#include "utils/utf8.h"

namespace SkinUI {
namespace {

// The one host timer that carries every control timer of the window.
constexpr unsigned kControlTimerId = 1;

std::mutex& FailureMutex() {
  static std::mutex m;
  return m;
}

WindowImplBase::FailureActions& Failure() {
  static WindowImplBase::FailureActions actions;
  return actions;
}

std::vector<WindowImplBase*>& Live() {
  static std::vector<WindowImplBase*> windows;
  return windows;
}

void Forget(WindowImplBase* w) {
  auto& live = Live();
  live.erase(std::remove(live.begin(), live.end(), w), live.end());
}

}  // namespace

const std::vector<WindowImplBase*>& WindowImplBase::LiveWindows() { return Live(); }

WindowImplBase::WindowImplBase() = default;

WindowImplBase::~WindowImplBase() {
  Forget(this);
  pm_.SetPopupHost(nullptr);
  pm_.SetInvalidateHook(nullptr);
  pm_.RemoveNotifier(this);
  pm_.RemoveMessageFilter(this);
}

void WindowImplBase::SetFailureActions(FailureActions actions) {
  std::lock_guard<std::mutex> lock(FailureMutex());
  Failure() = std::move(actions);
}

bool WindowImplBase::Create(const WindowHost* owner, const std::wstring& title, bool toolWindow) {
  if (host_.IsAlive()) return false;
  clockBase_ = 0;
  clockBase_ = ClockMs();
  pm_.AddNotifier(this);
  pm_.AddMessageFilter(this);

  // A prompt takes its owner's scale; a first window the system's.
  pm_.SetDpi(owner && owner->IsAlive() ? owner->Dpi() : WindowHost::SystemDpi());
  const SkinPackage* package = OpenSkin();
  bool built = true;
  if (package) {
    built = BuildLayout(package);
    if (!built) LayoutFailed();
  }

  HostOptions options;
  options.className = GetWindowClassName();
  options.title = title;
  options.owner = owner;
  options.toolWindow = toolWindow;
  const Size size = pm_.Scale(pm_.Window().size);
  if (size.cx > 0 && size.cy > 0) options.size = size;
  if (!host_.Create(this, options)) return false;
  id_.store(host_.Id());
  accessibility_ = std::make_unique<AccessibilityBridge>(pm_, host_, [this] { return GetAccessibleInfo(); });
  Live().push_back(this);
  ApplyRoundRegion();
  pm_.SetInvalidateHook([this] { InvalidateHostDirty(); });
  pm_.SetPopupHost(this);
  pm_.SetClipboardHooks({&WindowHost::ClipboardText, &WindowHost::SetClipboardText});
  pm_.SetClientSize(host_.ClientSize());
  pm_.InvalidateAll();

  OnFrameCreated();
  // The monitor the system put the window on may have another scale.
  if (host_.Dpi() != pm_.Dpi()) ApplyDpi(host_.Dpi(), false);
  if (built && pm_.GetRoot()) OnWindowReady();
  // What initialisation posted (a start of the installation) waits until
  // the user can see the window.
  ArmTimer();
  return built;
}

void WindowImplBase::ApplyRoundRegion() {
  const Size round = pm_.Scale(pm_.Window().roundCorner);
  if (round.cx > 0 || round.cy > 0) host_.SetRoundRegion(round);
}

void WindowImplBase::ApplyDpi(int dpi, bool sized) {
  pm_.ClosePopup();
  pm_.SetDpi(dpi);
  // A system that announces a new scale has already given the window the
  // size it suggests; otherwise it takes the layout's size at the scale.
  const Size size = pm_.Scale(pm_.Window().size);
  if (!sized && size.cx > 0 && size.cy > 0 && host_.State() == SizeState::kRestored) host_.Resize(size);
  pm_.SetClientSize(host_.ClientSize());
  ApplyRoundRegion();
  if (nativeEdit_) host_.BeginNativeEdit(nativeEdit_->NativeLook());
  OnDpiChanged();
}

const SkinPackage* WindowImplBase::OpenSkin() {
  std::string error;
  if (GetResourceID() == kSkinResourceId) return OpenEmbeddedSkinPackage(&error);
  // Another resource is this window's own package, not the process's.
  std::string bytes;
  if (!FindEmbeddedResource(kSkinResourceType, GetResourceID(), &bytes)) return nullptr;
  ownPackage_ = SkinPackage::Open(bytes.data(), bytes.size(), &error);
  return ownPackage_.get();
}

bool WindowImplBase::BuildLayout(const SkinPackage* package) {
  pm_.SetImageLoader([package](const std::string& name, std::string* bytes) {
    std::string ignored;
    return package->ReadEntry(name, bytes, &ignored);
  });
  glyphs_ = CreateGlyphSource();
  pm_.SetGlyphSource(glyphs_.get());
  std::string layout = GetSkinFolder();
  if (!layout.empty() && layout.back() != '/' && layout.back() != '\\') layout += '/';
  layout += GetSkinFile();
  CDialogBuilder builder;
  std::unique_ptr<Control> root = builder.Create(layout, *package, this, &pm_);
  if (!root) return false;
  const Size size = pm_.Scale(pm_.Window().size);
  if (size.cx > 0 && size.cy > 0) pm_.SetClientSize(size);
  pm_.AttachRoot(std::move(root));
  return true;
}

void WindowImplBase::LayoutFailed() {
  FailureActions actions;
  {
    std::lock_guard<std::mutex> lock(FailureMutex());
    actions = Failure();
  }
  // The language table may word it; without one (the package that failed
  // may be the one holding it) the user gets both languages.
  const std::optional<std::string> localised = LocalText(kLoadFailedTextId);
  const std::wstring text = localised && !localised->empty()
                                ? Utils::Utf8ToWide(*localised)
                                : std::wstring(L"Setup could not load its resources.\n\u52a0\u8f7d\u8d44\u6e90\u6587\u4ef6\u5931\u8d25");
  const std::wstring caption = L"SkinUI";
  if (actions.showError)
    actions.showError(text, caption);
  else
    WindowHost::ShowErrorBox(text, caption);
  if (actions.exit)
    actions.exit(1);
  else
    std::exit(1);
}

Control* WindowImplBase::CreateControl(const std::string& className) { return CreateCustomControl(className); }

void WindowImplBase::ShowWindow(bool show, bool activate) {
  if (show)
    host_.Show(activate);
  else
    host_.Hide();
}

void WindowImplBase::ShowPopup(IPopupUI* popup) {
  if (!host_.IsAlive() || !popup) return;
  const Size size = popup->PopupSize();
  if (size.cx <= 0 || size.cy <= 0) return;
  if (!popupHost_.IsAlive()) {
    HostOptions options;
    options.className = GetWindowClassName() + "Popup";
    options.size = size;
    options.owner = &host_;
    options.popup = true;
    if (!popupHost_.Create(&popupHandler_, options)) return;
  }
  // On the work area of the monitor holding the box.
  const Rect window = host_.WindowRect();
  const Rect anchor = popup->PopupAnchor().Offset(window.left, window.top);
  const Rect work = WindowHost::WorkAreaAt(Point{(anchor.left + anchor.right) / 2, (anchor.top + anchor.bottom) / 2});
  popupHost_.Resize(size);
  popupHost_.Move(DropDownPlace(anchor, size, work));
  popupHost_.InvalidateAll();
  popupHost_.Show(false);
}

void WindowImplBase::HidePopup() {
  // Hidden, not destroyed: it may be its own input that closed it.
  if (popupHost_.IsAlive()) popupHost_.Hide();
}

void WindowImplBase::InvalidatePopup(const Rect& r) {
  if (popupHost_.IsAlive()) popupHost_.Invalidate(r);
}

bool WindowImplBase::PopupHandler::OnHostEvent(const HostEvent& e) {
  CPaintManagerUI& pm = owner_.pm_;
  IPopupUI* popup = pm.GetPopup();
  if (e.type != HostEventType::kDestroy) pm.FireDueTimers(owner_.ClockMs());
  switch (e.type) {
    case HostEventType::kMouseMove:
      if (popup) popup->PopupMouseMove(e.point);
      break;
    case HostEventType::kMouseDown:
      pm.SetKeyModifiers(e.modifiers);
      if (popup && e.button == MouseButton::kLeft) popup->PopupMouseDown(e.point);
      break;
    case HostEventType::kMouseWheel:
      if (popup) popup->PopupMouseWheel(e.point, e.wheelDelta);
      break;
    case HostEventType::kCloseRequest:
      return true;  // it closes with its list, never on its own
    case HostEventType::kDestroy:
      return true;
    default:
      return false;
  }
  owner_.AfterInput();
  return true;
}

void WindowImplBase::PopupHandler::Paint(const Rect& dirty, Bitmap& backBuffer) {
  Surface surface(backBuffer);
  owner_.pm_.PaintPopup(surface);
}

void WindowImplBase::BeginEditing(Edit* edit) {
  if (host_.BeginNativeEdit(edit->NativeLook())) {
    nativeEdit_ = edit;
    edit->SetNativeActive(true);
    return;
  }
  host_.StartTextInput(edit->CaretRect());
}

void WindowImplBase::EndEditing(Edit* edit) {
  if (nativeEdit_ != edit) {
    host_.StopTextInput();
    return;
  }
  const std::string text = host_.NativeEditText();
  host_.EndNativeEdit();
  nativeEdit_ = nullptr;
  edit->SetNativeActive(false);
  edit->SetText(text);
}

void WindowImplBase::CenterWindow(const WindowHost* over) { host_.CenterOver(over); }

int WindowImplBase::ShowModal() {
  if (!host_.IsAlive()) return -1;
  modal_ = true;
  const int result = host_.RunModal();
  modal_ = false;
  return result;
}

void WindowImplBase::Close(int result) {
  result_ = result;
  if (!host_.IsAlive()) return;
  if (modal_)
    host_.EndModal(result);
  else
    host_.Close();
}

bool WindowImplBase::PostCustomMessage(unsigned message, uintptr_t wParam, intptr_t lParam) const {
  const WindowId id = id_.load();
  return id != 0 && WindowHost::PostToWindow(id, message, wParam, lParam);
}

bool WindowImplBase::SetTimer(Control* control, int id, int periodMs) {
  pm_.FireDueTimers(ClockMs());  // brings the manager's clock to now first
  const bool ok = pm_.SetTimer(control, id, periodMs);
  ArmTimer();
  return ok;
}

bool WindowImplBase::KillTimer(Control* control, int id) {
  const bool ok = pm_.KillTimer(control, id);
  ArmTimer();
  return ok;
}

uint64_t WindowImplBase::ClockMs() const {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()) - clockBase_;
}

// Keeps the host timer at the earliest control expiry. Re-arming restarts
// a host timer, so it is only moved earlier here; one that fires early or
// finds nothing due simply re-arms.
void WindowImplBase::ArmTimer() {
  if (!host_.IsAlive()) return;
  const int64_t delay = pm_.NextTimerDelay();
  if (delay < 0) {
    if (armedDue_ >= 0) host_.KillTimer(kControlTimerId);
    armedDue_ = -1;
    return;
  }
  const int64_t now = static_cast<int64_t>(ClockMs());
  const int64_t due = now + delay;
  if (armedDue_ >= 0 && armedDue_ <= due) return;
  const unsigned ms = delay < 1 ? 1u : static_cast<unsigned>(delay);
  if (host_.SetTimer(kControlTimerId, ms)) armedDue_ = now + ms;
}

void WindowImplBase::InvalidateHostDirty() {
  if (painting_ || !host_.IsAlive()) return;
  for (const Rect& r : pm_.DirtyRects()) host_.Invalidate(r);
}

void WindowImplBase::AfterInput() {
  if (shown_) pm_.ProcessPostedNotifications();
  ArmTimer();
  if (accessibility_) accessibility_->AfterEvent(ClockMs());
}

bool WindowImplBase::AnswerObjectRequest(uintptr_t wParam, intptr_t lParam, intptr_t* result) {
  return accessibility_ && accessibility_->AnswerObjectRequest(wParam, lParam, result);
}

bool WindowImplBase::OnHostEvent(const HostEvent& e) {
  bool handled = true;
  // The manager's clock follows the host's, so timers set from any event
  // count their period from now.
  if (e.type != HostEventType::kDestroy) pm_.FireDueTimers(ClockMs());
  switch (e.type) {
    case HostEventType::kMouseMove:
      pm_.SetKeyModifiers(e.modifiers);
      pm_.MouseMove(e.point);
      break;
    case HostEventType::kMouseDown:
      pm_.SetKeyModifiers(e.modifiers);
      if (e.button == MouseButton::kLeft) pm_.MouseDown(e.point);
      break;
    case HostEventType::kMouseUp:
      if (e.button == MouseButton::kLeft) pm_.MouseUp(e.point);
      break;
    case HostEventType::kMouseWheel:
      pm_.MouseWheel(e.point, e.wheelDelta);
      break;
    case HostEventType::kKeyDown:
      handled = pm_.KeyDown(e.key, e.modifiers);
      break;
    case HostEventType::kChar:
      handled = pm_.Char(e.codepoint);
      break;
    case HostEventType::kComposition:
      pm_.Composition(e.text, e.compositionCursor);
      if (Control* focus = pm_.GetFocus())
        if (Edit* edit = static_cast<Edit*>(focus->GetInterface("Edit"))) host_.StartTextInput(edit->CaretRect());
      break;
    case HostEventType::kNativeEditKey:
      // The field's text reaches the control before the key acts on it
      // (Return installs with it, Tab moves on with it).
      if (nativeEdit_) nativeEdit_->SetText(host_.NativeEditText());
      handled = pm_.KeyDown(e.key, e.modifiers);
      break;
    case HostEventType::kSize:
      pm_.ClosePopup();
      if (e.sizeState != SizeState::kMinimized && e.size.cx > 0 && e.size.cy > 0) {
        pm_.SetClientSize(e.size);
        pm_.InvalidateAll();
      }
      break;
    case HostEventType::kMove:
      pm_.ClosePopup();
      handled = false;
      break;
    case HostEventType::kDpiChanged:
      ApplyDpi(e.dpi, true);
      break;
    case HostEventType::kActivate:
      if (!e.active) pm_.ClosePopup();
      handled = false;
      break;
    case HostEventType::kShow:
      if (!e.active) pm_.ClosePopup();
      handled = false;
      break;
    case HostEventType::kTimer:
      if (e.timerId == kControlTimerId) armedDue_ = -1;  // fired: re-armed below
      break;
    case HostEventType::kPosted: {
      if (accessibility_ && accessibility_->OnPosted(e.message)) break;
      bool custom = false;
      OnCustomMessage(e.message, e.wParam, e.lParam, &custom);
      handled = custom;
      break;
    }
    case HostEventType::kCloseRequest:
      handled = false;  // the host destroys the window
      break;
    case HostEventType::kDestroy:
      if (armedDue_ >= 0) host_.KillTimer(kControlTimerId);
      armedDue_ = -1;
      id_.store(0);
      Forget(this);
      pm_.SetPopup(nullptr);
      pm_.SetPopupHost(nullptr);
      popupHost_.Destroy();
      nativeEdit_ = nullptr;
      pm_.SetInvalidateHook(nullptr);
      accessibility_.reset();
      OnFinalMessage();
      return true;
    default:
      handled = false;
      break;
  }
  if (host_.IsVisible()) shown_ = true;
  AfterInput();
  return handled;
}

int WindowImplBase::HitTest(Point client) {
  return static_cast<int>(pm_.HitTestWindow(client, host_.State() == SizeState::kMaximized));
}

void WindowImplBase::Paint(const Rect& dirty, Bitmap& backBuffer) {
  Surface surface(backBuffer);
  painting_ = true;
  pm_.Invalidate(dirty);
  pm_.Paint(surface);
  if (!pm_.GetRoot()) surface.ClearRect(dirty, 0xFFFFFFFF);  // an empty window shows plain white
  painting_ = false;
}

void WindowImplBase::Notify(Notification& msg) {
  // Typed text reaches an Edit only while the platform's text input is on
  // (Linux turns it on per request; the caret rectangle places the IME).
  if (msg.sender && host_.IsAlive()) {
    if (Edit* edit = static_cast<Edit*>(msg.sender->GetInterface("Edit"))) {
      if (msg.type == "setfocus")
        BeginEditing(edit);
      else if (msg.type == "killfocus")
        EndEditing(edit);
    }
  }
  OnNotify(msg);
}

void WindowImplBase::OnNotify(Notification& msg) {
  if (msg.type != "click" || !msg.sender) return;
  const std::string& name = msg.sender->GetName();
  if (name == "closebtn")
    Close(1);
  else if (name == "minbtn")
    host_.Minimize();
  else if (name == "maxbtn")
    host_.Maximize();
  else if (name == "restorebtn")
    host_.Restore();
}

bool WindowImplBase::FilterKeyDown(int key) {
  if (key == kKeyReturn || key == kKeyEscape) return OnDefaultKey(key);
  return false;
}

}  // namespace SkinUI
