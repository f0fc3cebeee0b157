// No bridge on Linux yet: the model stays in the process. AT-SPI would
// take an org.a11y.atspi.Accessible object per node on the accessibility
// bus, with the same tree and events.
#include "uikit/accessibility_bridge.h"

namespace SkinUI {

struct AccessibilityBridge::Platform {};

AccessibilityBridge::AccessibilityBridge(CPaintManagerUI& pm, WindowHost& host,
                                         std::function<AccessibleWindowInfo()> info)
    : pm_(pm), host_(host), info_(std::move(info)) {}

AccessibilityBridge::~AccessibilityBridge() = default;

bool AccessibilityBridge::AnswerObjectRequest(uintptr_t, intptr_t, intptr_t*) { return false; }

void AccessibilityBridge::Raise(const AccessibleEvent&) {}

bool AccessibilityBridge::Listening() const { return false; }

}  // namespace SkinUI
