#include <windows.h>

#include <vector>

#include "profile.h"

namespace Utils {

std::wstring ReadProfileString(const std::wstring& section, const std::wstring& key,
                               const std::wstring& defaultValue, const std::wstring& path,
                               size_t bufferChars) {
  if (bufferChars == 0) return std::wstring();
  std::vector<wchar_t> buffer(bufferChars, L'\0');
  const DWORD n = GetPrivateProfileStringW(section.c_str(), key.c_str(), defaultValue.c_str(),
                                           buffer.data(), static_cast<DWORD>(bufferChars), path.c_str());
  return std::wstring(buffer.data(), n < bufferChars ? n : bufferChars - 1);
}

int ReadProfileInt(const std::wstring& section, const std::wstring& key, int defaultValue,
                   const std::wstring& path) {
  return static_cast<int>(GetPrivateProfileIntW(section.c_str(), key.c_str(), defaultValue, path.c_str()));
}

bool StoreProfileString(const std::wstring& section, const std::wstring& key,
                        const std::wstring& value, const std::wstring& path) {
  return WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), path.c_str()) != 0;
}

}  // namespace Utils
