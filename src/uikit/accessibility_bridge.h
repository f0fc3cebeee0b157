// The accessibility model of one skinned window, handed to the system:
// Windows answers WM_GETOBJECT with an IAccessible over the model and tells
// readers of changes with NotifyWinEvent. Linux has no bridge yet (the
// model would go to AT-SPI over D-Bus); there every call is a cheap no-op.
//
// UI thread only. The objects a reader holds stay safe after the window
// is gone: they fail their calls from then on.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "uikit/accessibility.h"

namespace SkinUI {

class CPaintManagerUI;
class WindowHost;

// What the window itself is to a reader.
struct AccessibleWindowInfo {
  AccessibleRole role = AccessibleRole::kClient;  // kDialog for a prompt
  std::string name;                               // empty: the window's title
  std::string description;                        // a prompt's text
};

class AccessibilityBridge {
 public:
  // The posted message that carries a reader's queued action back to the
  // loop; WindowImplBase hands it over before its derived windows see it.
  static constexpr unsigned kActionMessage = 0xBF00;

  AccessibilityBridge(CPaintManagerUI& pm, WindowHost& host, std::function<AccessibleWindowInfo()> info);
  ~AccessibilityBridge();
  AccessibilityBridge(const AccessibilityBridge&) = delete;
  AccessibilityBridge& operator=(const AccessibilityBridge&) = delete;

  // The system's request for one of the window's objects (Windows:
  // WM_GETOBJECT's parameters); true with *result set answers it.
  bool AnswerObjectRequest(uintptr_t wParam, intptr_t lParam, intptr_t* result);
  // After each event the window handled: tells readers what changed.
  void AfterEvent(uint64_t nowMs);
  // A reader's default action runs on the loop's next turn, as a click
  // does: the reader's call returns before the click opens a modal prompt.
  void QueueAction(const AccessibleKey& key);
  // True for kActionMessage, after running the queued actions.
  bool OnPosted(unsigned message);

  CPaintManagerUI& Manager() const { return pm_; }
  WindowHost& Host() const { return host_; }
  AccessibleWindowInfo Info() const { return info_ ? info_() : AccessibleWindowInfo{}; }

 private:
  void Raise(const AccessibleEvent& event);
  bool Listening() const;

  struct Platform;
  CPaintManagerUI& pm_;
  WindowHost& host_;
  std::function<AccessibleWindowInfo()> info_;
  AccessibleChangeTracker tracker_;
  std::vector<AccessibleKey> queued_;
  std::unique_ptr<Platform> platform_;
};

}  // namespace SkinUI
