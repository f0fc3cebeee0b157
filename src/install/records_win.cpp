#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <vector>

#include "records.h"
#include "utils/text.h"

namespace Install {
namespace records_platform {
namespace {

std::wstring SpecialFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return std::wstring();
  return path;
}

}  // namespace

bool ReadValue(const std::wstring& name, std::wstring* value) {
  value->clear();
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kRecordKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD type = 0, size = 0;
  bool ok = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ);
  if (ok && size > 0) {
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
    ok = RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) ==
         ERROR_SUCCESS;
    if (ok) {
      // The stored size counts what was written; a terminator may or may not
      // be part of it.
      value->assign(data.data(), size / sizeof(wchar_t));
      while (!value->empty() && value->back() == L'\0') value->pop_back();
    }
  }
  RegCloseKey(key);
  return ok;
}

bool WriteValue(const std::wstring& name, const std::wstring& value) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kRecordKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                      &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  // The readers of this key take the stored size as the length, so no
  // terminator is written.
  const bool ok = RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>(value.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
  RegCloseKey(key);
  return ok;
}

bool AppDataFolder(std::wstring* folder) {
  wchar_t buffer[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableW(L"APPDATA", buffer, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  *folder = buffer;
  return true;
}

std::wstring SharedDocumentsFolder() { return SpecialFolder(CSIDL_COMMON_DOCUMENTS); }
std::wstring ProgramFilesX86Folder() { return SpecialFolder(CSIDL_PROGRAM_FILESX86); }
std::wstring ProgramFilesFolder() { return SpecialFolder(CSIDL_PROGRAM_FILES); }

std::wstring NativeSeparators(const std::wstring& path) { return Utils::ReplaceAll(path, L"/", L"\\"); }

std::tm LocalTime() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  std::tm t = {};
  t.tm_year = st.wYear - 1900;
  t.tm_mon = st.wMonth - 1;
  t.tm_mday = st.wDay;
  t.tm_hour = st.wHour;
  t.tm_min = st.wMinute;
  t.tm_sec = st.wSecond;
  return t;
}

}  // namespace records_platform

bool IsSameFolder(const std::wstring& a, const std::wstring& b) {
  wchar_t relative[MAX_PATH] = {};
  if (!PathRelativePathToW(relative, a.c_str(), FILE_ATTRIBUTE_DIRECTORY, b.c_str(), FILE_ATTRIBUTE_DIRECTORY)) {
    return false;
  }
  return std::wstring(relative) == L".";
}

}  // namespace Install
