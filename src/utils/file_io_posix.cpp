#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "file_io.h"
#include "utf8.h"

namespace Utils {

FILE* OpenFile(const std::wstring& path, const char* mode) {
  return std::fopen(WideToUtf8(path).c_str(), mode);
}

int64_t FileSize(const std::wstring& path) {
  struct stat st{};
  if (stat(WideToUtf8(path).c_str(), &st) != 0) return -1;
  return static_cast<int64_t>(st.st_size);
}

bool FileExists(const std::wstring& path) {
  struct stat st{};
  return stat(WideToUtf8(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DeleteFileAt(const std::wstring& path) {
  return unlink(WideToUtf8(path).c_str()) == 0 || errno == ENOENT;
}

bool ReplaceFile(const std::wstring& from, const std::wstring& to) {
  return std::rename(WideToUtf8(from).c_str(), WideToUtf8(to).c_str()) == 0;
}

}  // namespace Utils
