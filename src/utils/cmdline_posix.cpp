#include <fstream>
#include <sstream>

#include "cmdline.h"
#include "utf8.h"

namespace Utils {

std::vector<std::wstring> SystemSplitCommandLine(const std::wstring& line) {
  return SplitCommandLine(line);
}

std::vector<std::wstring> ProcessArguments() {
  std::vector<std::wstring> tokens;
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  const std::string bytes = all.str();
  std::string::size_type from = 0;
  while (from < bytes.size()) {
    std::string::size_type nul = bytes.find('\0', from);
    if (nul == std::string::npos) nul = bytes.size();
    tokens.push_back(Utf8ToWide(bytes.substr(from, nul - from)));
    from = nul + 1;
  }
  return tokens;
}

}  // namespace Utils
