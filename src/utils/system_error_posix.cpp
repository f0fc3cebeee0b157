#include <cerrno>
#include <cstring>

#include "system_error.h"
#include "utf8.h"

namespace Utils {
namespace {

// strerror_r comes in two shapes, picked by the C library's feature macros:
// the XSI one fills the buffer and returns 0, the GNU one returns the text
// (which may or may not be in the buffer).
[[maybe_unused]] const char* Chosen(int result, const char* buffer) { return result == 0 ? buffer : nullptr; }
[[maybe_unused]] const char* Chosen(const char* result, const char*) { return result; }

}  // namespace

uint32_t LastSystemError() { return static_cast<uint32_t>(errno); }

std::wstring SystemErrorText(uint32_t code) {
  char buffer[256] = {};
  const char* text = Chosen(strerror_r(static_cast<int>(code), buffer, sizeof buffer), buffer);
  if (!text) return std::wstring();
  std::wstring wide = Utf8ToWide(text);
  while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'.')) wide.pop_back();
  return wide;
}

}  // namespace Utils
