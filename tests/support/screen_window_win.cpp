#include <windows.h>

#include "support/screen_window.h"
#include "utils/utf8.h"

namespace quillon_test {

bool FindTopLevelWindow(const std::wstring& title, const std::string& className, ScreenRect* rect) {
  const std::wstring wideClass = Utils::Utf8ToWide(className);
  HWND window = FindWindowW(className.empty() ? nullptr : wideClass.c_str(), title.c_str());
  if (!window || !IsWindowVisible(window)) return false;
  RECT r{};
  if (!GetWindowRect(window, &r)) return false;
  *rect = ScreenRect{r.left, r.top, r.right, r.bottom};
  return true;
}

}  // namespace quillon_test
