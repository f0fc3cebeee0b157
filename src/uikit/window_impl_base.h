// WindowImplBase: a borderless, skinned top-level window. The base builds the
// window's layout from the skin package into a paint manager, feeds it the
// host's input, paints through it, lets the layout's caption band drag the
// window, maps the title buttons by name and hands every control event to
// the derived window as a notification. A derived window supplies its class
// name, its layout file, and its notification and custom-message handlers.
//
// Threads: UI thread only, except PostCustomMessage.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "uikit/accessibility_bridge.h"
#include "uikit/dialog_builder.h"
#include "uikit/glyphs.h"
#include "uikit/paint_manager.h"
#include "uikit/resource.h"
#include "uikit/window_host.h"

namespace SkinUI {

class Edit;
class SkinPackage;

class WindowImplBase : public IHostHandler,
                       public INotifyUI,
                       public IMessageFilterUI,
                       public IDialogBuilderCallback,
                       private IPopupHostUI {
 public:
  WindowImplBase();
  ~WindowImplBase() override;
  WindowImplBase(const WindowImplBase&) = delete;
  WindowImplBase& operator=(const WindowImplBase&) = delete;

  // Creates the window hidden, with its control tree attached and
  // OnWindowReady run. False when the platform refuses a window, or when the
  // layout could not be built (after the failure action, see below). A
  // missing skin resource leaves an empty window and still returns true.
  bool Create(const WindowHost* owner, const std::wstring& title, bool toolWindow = false);

  void ShowWindow(bool show = true, bool activate = true);
  void CenterWindow(const WindowHost* over = nullptr);
  // Shows the window modally and runs until it closes; the Close result, or
  // -1 when the window went away without one.
  int ShowModal();
  // Ends a modal run with `result`, or closes a modeless window.
  void Close(int result = 1);
  // The result the last Close gave (0 before any).
  int Result() const { return result_; }

  // Any thread: queues {message, wParam, lParam} (message >=
  // kFirstPostedMessage) for OnCustomMessage on the UI thread. False once
  // the window is gone.
  bool PostCustomMessage(unsigned message, uintptr_t wParam = 0, intptr_t lParam = 0) const;

  // A control timer whose expiries reach the control on the UI thread.
  bool SetTimer(Control* control, int id, int periodMs);
  bool KillTimer(Control* control, int id);

  // The windows of this thread whose host is alive, oldest first: what
  // automation searches for a control by name.
  static const std::vector<WindowImplBase*>& LiveWindows();

  WindowHost& Host() { return host_; }
  const WindowHost& Host() const { return host_; }
  // The window that shows the open popup (a drop-down list), alive while
  // one has been opened.
  const WindowHost& PopupHost() const { return popupHost_; }
  CPaintManagerUI& PaintManager() { return pm_; }
  Control* FindControl(const std::string& name) const { return pm_.FindControl(name); }

  // What a layout that cannot be built does: by default the error box
  // ("SkinUI") with the localised text kLoadFailedTextId, or, when the
  // table holds none, "Setup could not load its resources." and
  // "加载资源文件失败" on two lines; then the end of the process with code
  // 1. Tests replace both; a replaced exit that returns leaves the window
  // empty. Null restores the default.
  static constexpr int kLoadFailedTextId = 107;
  struct FailureActions {
    std::function<void(const std::wstring& text, const std::wstring& caption)> showError;
    std::function<void(int code)> exit;
  };
  static void SetFailureActions(FailureActions actions);

  // Handler glue; called by the host.
  bool OnHostEvent(const HostEvent& event) override;
  int HitTest(Point client) override;
  void Paint(const Rect& dirty, Bitmap& backBuffer) override;
  void Notify(Notification& msg) override;
  bool FilterKeyDown(int key) override;
  Control* CreateControl(const std::string& className) override;
  bool AnswerObjectRequest(uintptr_t wParam, intptr_t lParam, intptr_t* result) override;

 protected:
  virtual std::string GetWindowClassName() const = 0;
  // Folder of the layout inside the package ("" for the root).
  virtual std::string GetSkinFolder() const { return ""; }
  virtual std::string GetSkinFile() const = 0;  // e.g. "MainWnd.xml"
  // The executable's resource (type "ZIPRES") holding the skin package.
  virtual int GetResourceID() const { return kSkinResourceId; }
  // Controls for element names the toolkit does not know; null for none.
  virtual Control* CreateCustomControl(const std::string& className) { return nullptr; }

  // Once, after the window exists with its tree, before OnWindowReady: the
  // set-up a frame class between this base and the concrete window adds.
  virtual void OnFrameCreated() {}
  // Once, after the tree is attached and laid out, before the window shows.
  virtual void OnWindowReady() {}
  // Sees every notification first. Overrides call WindowImplBase::OnNotify
  // for what they leave to the base: "click" on "closebtn" closes with 1,
  // "minbtn", "maxbtn" and "restorebtn" minimise, maximise and restore.
  virtual void OnNotify(Notification& msg);
  // Posted messages; set *handled when acted on.
  virtual intptr_t OnCustomMessage(unsigned message, uintptr_t wParam, intptr_t lParam, bool* handled) {
    return 0;
  }
  // Return (13) and Escape (27) before any control sees them; true swallows.
  virtual bool OnDefaultKey(int key) { return false; }
  // The window is gone (the last call the base makes for it).
  virtual void OnFinalMessage() {}
  // After the window took a new display scale (laid out and resized).
  virtual void OnDpiChanged() {}
  // What the window is to a screen reader: by default its client area
  // under its title; a prompt says it is a dialog, with its text.
  virtual AccessibleWindowInfo GetAccessibleInfo() const { return AccessibleWindowInfo{}; }

 private:
  const SkinPackage* OpenSkin();
  void ApplyRoundRegion();
  // Lays the window out at a new scale; sized: the window already has the
  // size the system chose for it.
  void ApplyDpi(int dpi, bool sized);
  bool BuildLayout(const SkinPackage* package);
  void LayoutFailed();
  void ArmTimer();
  uint64_t ClockMs() const;
  void InvalidateHostDirty();
  void AfterInput();

  // The open popup's own window.
  void ShowPopup(IPopupUI* popup) override;
  void HidePopup() override;
  void InvalidatePopup(const Rect& r) override;
  class PopupHandler : public IHostHandler {
   public:
    explicit PopupHandler(WindowImplBase& owner) : owner_(owner) {}
    bool OnHostEvent(const HostEvent& event) override;
    void Paint(const Rect& dirty, Bitmap& backBuffer) override;

   private:
    WindowImplBase& owner_;
  };

  // Text fields: the native field laid over the focused one, or the
  // platform's text input for a field that edits by itself.
  void BeginEditing(Edit* edit);
  void EndEditing(Edit* edit);

  // Declared first so they outlive the tree that draws with them.
  std::unique_ptr<SkinPackage> ownPackage_;  // a skin from a resource other than the process's
  std::unique_ptr<GlyphSource> glyphs_;
  WindowHost host_;
  CPaintManagerUI pm_;
  PopupHandler popupHandler_{*this};
  WindowHost popupHost_;
  Edit* nativeEdit_ = nullptr;
  bool shown_ = false;  // posted notifications wait for the first show
  std::atomic<WindowId> id_{0};
  uint64_t clockBase_ = 0;
  int64_t armedDue_ = -1;  // clock time the host timer next fires, -1 when off
  bool modal_ = false;
  bool painting_ = false;
  int result_ = 0;
  // Last, so readers' objects are cut off before the tree goes.
  std::unique_ptr<AccessibilityBridge> accessibility_;
};

}  // namespace SkinUI
