#include "support/system_dpi.h"

#include <windows.h>

namespace quillon_test {
namespace {

constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
constexpr wchar_t kLogPixels[] = L"LogPixels";

}  // namespace

ScopedSystemDpi::ScopedSystemDpi(int dpi) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  DWORD value = 0, size = sizeof value, type = 0;
  had_ = RegQueryValueExW(key, kLogPixels, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
         type == REG_DWORD;
  previousDpi_ = value;
  const DWORD wanted = static_cast<DWORD>(dpi);
  ok_ = RegSetValueExW(key, kLogPixels, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&wanted), sizeof wanted) ==
        ERROR_SUCCESS;
  RegCloseKey(key);
}

ScopedSystemDpi::~ScopedSystemDpi() {
  if (!ok_) return;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  const DWORD value = static_cast<DWORD>(previousDpi_);
  if (had_)
    RegSetValueExW(key, kLogPixels, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  else
    RegDeleteValueW(key, kLogPixels);
  RegCloseKey(key);
}

}  // namespace quillon_test
