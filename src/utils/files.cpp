#include "files.h"

namespace Utils {

std::vector<std::wstring> DirectoryTreePrefixes(const std::wstring& path, wchar_t separator) {
  std::vector<std::wstring> prefixes;
  for (std::wstring::size_type i = 0; i < path.size(); ++i) {
    if (path[i] == separator) prefixes.push_back(path.substr(0, i + 1));
  }
  if (!path.empty() && path.back() != separator) prefixes.push_back(path);
  return prefixes;
}

bool CreateDirectoryTree(const std::wstring& path) {
  if (path.size() > 260) return false;
  for (const std::wstring& prefix : DirectoryTreePrefixes(path, PathSeparator())) {
    if (PathExists(prefix)) {
      if (!IsDirectory(prefix)) return false;
      continue;
    }
    if (!CreateOneDirectory(prefix)) return false;
  }
  return true;
}

}  // namespace Utils
