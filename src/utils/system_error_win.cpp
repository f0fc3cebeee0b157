#include <windows.h>

#include "system_error.h"

namespace Utils {

uint32_t LastSystemError() { return static_cast<uint32_t>(GetLastError()); }

std::wstring SystemErrorText(uint32_t code) {
  wchar_t buffer[512];
  // Inserts are ignored: the caller has no arguments for a message's "%1".
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buffer,
                           sizeof buffer / sizeof buffer[0], nullptr);
  while (n > 0 && (buffer[n - 1] == L'\r' || buffer[n - 1] == L'\n' || buffer[n - 1] == L' ' ||
                   buffer[n - 1] == L'.')) {
    --n;
  }
  return std::wstring(buffer, n);
}

}  // namespace Utils
