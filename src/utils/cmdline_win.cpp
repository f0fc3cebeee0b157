#include <windows.h>
// After windows.h:
#include <shellapi.h>

#include "cmdline.h"

namespace Utils {

std::vector<std::wstring> SystemSplitCommandLine(const std::wstring& line) {
  std::vector<std::wstring> tokens;
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(line.c_str(), &count);
  if (!argv) return tokens;
  for (int i = 0; i < count; ++i) tokens.emplace_back(argv[i]);
  LocalFree(argv);
  return tokens;
}

std::vector<std::wstring> ProcessArguments() { return SystemSplitCommandLine(GetCommandLineW()); }

}  // namespace Utils
