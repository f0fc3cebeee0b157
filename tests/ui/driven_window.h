// The main window with a test's turn in its queue: from inside a prompt's
// modal run (which blocks the test's own code) the turn looks at the screen
// or the window and gives the real input.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "ui/main_wnd.h"

namespace ui_test {

class DrivenWindow : public CMainWnd {
 public:
  static constexpr unsigned kDriveMessage = SkinUI::kFirstPostedMessage + 500;

  using CMainWnd::CMainWnd;
  // Reposts itself until `ready` holds (bounded), then runs `act` once.
  void WhenReady(std::function<bool()> ready, std::function<void()> act) {
    auto turns = std::make_shared<int>(0);
    onTurn_ = [this, ready, act, turns] {
      if (!ready() && ++*turns < 500) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        PostCustomMessage(kDriveMessage);
        return;
      }
      onTurn_ = nullptr;
      act();
    };
    PostCustomMessage(kDriveMessage);
  }

 protected:
  intptr_t OnCustomMessage(unsigned message, uintptr_t wParam, intptr_t lParam, bool* handled) override {
    if (message != kDriveMessage) return CMainWnd::OnCustomMessage(message, wParam, lParam, handled);
    *handled = true;
    if (onTurn_) {
      auto turn = onTurn_;  // may replace itself
      turn();
    }
    return 0;
  }

 private:
  std::function<void()> onTurn_;
};

}  // namespace ui_test
