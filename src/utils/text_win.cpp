#include <windows.h>

#include <vector>

#include "text.h"

namespace Utils {

std::wstring MultiByteToWide(const std::string& bytes, unsigned codePage) {
  const std::string::size_type end = bytes.find('\0');
  const std::string::size_type size = end == std::string::npos ? bytes.size() : end;
  if (size == 0 || size > 0x7FFFFFFF) return std::wstring();
  const int n = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(size), nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring out(static_cast<size_t>(n), L'\0');
  const int done = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(size), &out[0], n);
  if (done <= 0) return std::wstring();
  out.resize(static_cast<size_t>(done));
  return out;
}

std::string WideToMultiByte(const std::wstring& text, unsigned codePage) {
  const std::wstring::size_type end = text.find(L'\0');
  const std::wstring::size_type size = end == std::wstring::npos ? text.size() : end;
  if (size == 0 || size > 0x3FFFFFFF) return std::string();
  const int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(size), nullptr, 0,
                                    nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string out(static_cast<size_t>(n), '\0');
  const int done = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(size), &out[0], n,
                                       nullptr, nullptr);
  if (done <= 0) return std::string();
  out.resize(static_cast<size_t>(done));
  return out;
}

}  // namespace Utils
