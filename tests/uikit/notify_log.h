// A notification receiver that keeps what it is told, for the toolkit tests.
#pragma once

#include <string>
#include <vector>

#include "uikit/paint_manager.h"

namespace SkinUI {

struct NotifyLog : INotifyUI {
  std::vector<Notification> messages;
  void Notify(Notification& msg) override { messages.push_back(msg); }
  void Clear() { messages.clear(); }
  // "type:sendername" per notification, in order.
  std::vector<std::string> Types() const {
    std::vector<std::string> out;
    for (const Notification& m : messages) out.push_back(m.type + ":" + (m.sender ? m.sender->GetName() : ""));
    return out;
  }
};

}  // namespace SkinUI
