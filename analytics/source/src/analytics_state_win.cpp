#include <windows.h>
// After windows.h:
#include <objbase.h>
#include <shlobj.h>

#include "analytics_state.h"
#include "utils/nt_version_win.h"

namespace tarvix {
namespace analytics {
namespace state_platform {
namespace {

constexpr DWORD kValueBuffer = 128;

// Windows 7 (6.1) or later by the real version numbers; false when they
// cannot be read.
bool IsWindows7OrLater() {
  DWORD major = 0, minor = 0, build = 0;
  return Utils::NtVersionNumbers(&major, &minor, &build) &&
         (major > 6 || (major == 6 && minor >= 1));
}

}  // namespace

char Separator() { return '\\'; }
char ForeignSeparator() { return '/'; }

std::string ExecutableDirectory() {
  char name[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameA(nullptr, name, MAX_PATH);
  std::string path(name, n < MAX_PATH ? n : MAX_PATH - 1);
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  const size_t last = path.rfind('\\');
  return last == std::string::npos ? std::string("\\") : path.substr(0, last + 1);
}

std::string BaseFolder() {
  const int folder = IsWindows7OrLater() ? CSIDL_LOCAL_APPDATA : CSIDL_COMMON_DOCUMENTS;
  LPITEMIDLIST list = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, folder, &list)) || !list) return std::string();
  char path[MAX_PATH] = {};
  const BOOL found = SHGetPathFromIDListA(list, path);
  CoTaskMemFree(list);
  if (!found) return std::string();
  char shortPath[MAX_PATH] = {};
  const DWORD n = GetShortPathNameA(path, shortPath, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return std::string();
  return std::string(shortPath, n);
}

bool PathExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool MakeDirectory(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) != FALSE; }

std::string ReadString(const std::string& section, const std::string& key,
                       const std::string& defaultValue, const std::string& file) {
  char value[kValueBuffer] = {};
  const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), value,
                                           kValueBuffer, file.c_str());
  return std::string(value, n < kValueBuffer ? n : kValueBuffer - 1);
}

int ReadInt(const std::string& section, const std::string& key, int defaultValue,
            const std::string& file) {
  return static_cast<int>(GetPrivateProfileIntA(section.c_str(), key.c_str(), defaultValue, file.c_str()));
}

void WriteString(const std::string& section, const std::string& key, const std::string& value,
                 const std::string& file) {
  WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str());
}

bool CreateGuid(uint32_t* data1, uint16_t* data2, uint16_t* data3, unsigned char data4[8]) {
  GUID guid = {};
  if (FAILED(CoCreateGuid(&guid))) return false;
  *data1 = guid.Data1;
  *data2 = guid.Data2;
  *data3 = guid.Data3;
  for (int i = 0; i < 8; ++i) data4[i] = guid.Data4[i];
  return true;
}

}  // namespace state_platform
}  // namespace analytics
}  // namespace tarvix
