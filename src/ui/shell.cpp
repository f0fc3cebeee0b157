#include "ui/shell.h"

namespace ShellActions {

bool IsUrl(const std::wstring& target) {
  return target.compare(0, 8, L"https://") == 0 || target.compare(0, 7, L"http://") == 0;
}

}  // namespace ShellActions
