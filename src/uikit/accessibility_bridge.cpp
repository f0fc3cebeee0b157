#include "uikit/accessibility_bridge.h"

#include <utility>

#include "uikit/paint_manager.h"
#include "uikit/window_host.h"

namespace SkinUI {

void AccessibilityBridge::AfterEvent(uint64_t nowMs) {
  if (!Listening()) return;
  for (const AccessibleEvent& e : tracker_.Update(BuildAccessibleTree(pm_), nowMs)) Raise(e);
}

void AccessibilityBridge::QueueAction(const AccessibleKey& key) {
  // One post per batch: the first queued action posts, the loop runs all.
  if (queued_.empty() && !host_.Post(kActionMessage, 0, 0)) return;
  queued_.push_back(key);
}

bool AccessibilityBridge::OnPosted(unsigned message) {
  if (message != kActionMessage) return false;
  const std::vector<AccessibleKey> actions = std::exchange(queued_, {});
  for (const AccessibleKey& key : actions) PerformAccessibleAction(pm_, key);
  return true;
}

}  // namespace SkinUI
