#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "files.h"
#include "utf8.h"

namespace Utils {

wchar_t PathSeparator() { return L'/'; }

bool PathExists(const std::wstring& path) {
  struct stat st;
  return stat(WideToUtf8(path).c_str(), &st) == 0;
}

bool IsDirectory(const std::wstring& path) {
  struct stat st;
  return stat(WideToUtf8(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateOneDirectory(const std::wstring& path) {
  return mkdir(WideToUtf8(path).c_str(), 0777) == 0;
}

std::wstring ExecutablePath() {
  char path[4096];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return std::wstring();
  return Utf8ToWide(std::string(path, static_cast<size_t>(n)));
}

std::wstring TempWorkFolder() {
  const char* tmp = getenv("TMPDIR");
  std::wstring folder = Utf8ToWide(tmp && *tmp ? tmp : "/tmp");
  if (folder.back() != L'/') folder += L'/';
  folder += L"~TarVixTemp.92482B06FB471E17/";
  if (!PathExists(folder) && !CreateOneDirectory(folder)) return std::wstring();
  return folder;
}

}  // namespace Utils
