#include <windows.h>

#include "uninstaller.h"

namespace uninstaller_platform {

bool CopyExecutable(const std::wstring& from, const std::wstring& to) {
  return CopyFileW(from.c_str(), to.c_str(), FALSE) != 0;
}

}  // namespace uninstaller_platform
