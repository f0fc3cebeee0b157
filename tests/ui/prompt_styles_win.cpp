#include <windows.h>

#include "prompt_styles.h"

namespace prompt_test {

std::string PromptStyleFaults(const SkinUI::WindowHost& prompt, const SkinUI::WindowHost& owner) {
  HWND p = static_cast<HWND>(prompt.NativeHandle());
  std::string faults;
  if (GetWindow(p, GW_OWNER) != static_cast<HWND>(owner.NativeHandle())) faults += "not owned by its owner; ";
  const LONG_PTR style = GetWindowLongPtrW(p, GWL_STYLE), ex = GetWindowLongPtrW(p, GWL_EXSTYLE);
  if ((style & WS_CAPTION) == WS_CAPTION) faults += "caption; ";
  if (style & WS_MAXIMIZEBOX) faults += "maximise box; ";
  if ((style & (WS_CLIPSIBLINGS | WS_CLIPCHILDREN)) != (WS_CLIPSIBLINGS | WS_CLIPCHILDREN)) faults += "no clipping; ";
  if (ex & WS_EX_TOPMOST) faults += "topmost; ";
  // An owned window without WS_EX_APPWINDOW has no taskbar button.
  if (ex & WS_EX_APPWINDOW) faults += "taskbar entry; ";
  return faults;
}

}  // namespace prompt_test
