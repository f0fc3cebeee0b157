#include <windows.h>

#include "files.h"

namespace Utils {

wchar_t PathSeparator() { return L'\\'; }

bool PathExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsDirectory(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool CreateOneDirectory(const std::wstring& path) {
  return CreateDirectoryW(path.c_str(), nullptr) != 0;
}

std::wstring ExecutablePath() {
  wchar_t path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (n == 0) return std::wstring();
  return std::wstring(path, n < MAX_PATH ? n : MAX_PATH - 1);
}

std::wstring TempWorkFolder() {
  wchar_t temp[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
  if (n == 0 || n > MAX_PATH) return std::wstring();
  std::wstring folder(temp, n);
  if (folder.back() != L'\\') folder += L'\\';
  folder += L"~TarVixTemp.92482B06FB471E17\\";
  if (!PathExists(folder) && !CreateOneDirectory(folder)) return std::wstring();
  return folder;
}

}  // namespace Utils
