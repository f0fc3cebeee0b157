#include <windows.h>

#include "mutex.h"

namespace Utils {

bool SingleInstanceMutex::Acquire(const std::wstring& name) {
  if (IsHeld()) return true;
  name_ = name;
  HANDLE h = CreateMutexW(nullptr, TRUE, (std::wstring(kPrefix) + name).c_str());
  if (h && GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(h);
    h = nullptr;
  }
  if (h) handle_ = reinterpret_cast<std::intptr_t>(h);
  return IsHeld();
}

void SingleInstanceMutex::Release() {
  if (!IsHeld()) return;
  HANDLE h = reinterpret_cast<HANDLE>(handle_);
  ReleaseMutex(h);
  CloseHandle(h);
  handle_ = kNone;
}

}  // namespace Utils
