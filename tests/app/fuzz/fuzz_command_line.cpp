#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "command_line_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  InstallerConfig config;
  const std::wstring line = Utils::Utf8ToWide(std::string(reinterpret_cast<const char*>(data), size));
  const std::string broken = quillon_fuzz::CheckCommandLine(line, &config);
  if (!broken.empty()) {
    std::fprintf(stderr, "%s\n", broken.c_str());
    __builtin_trap();
  }
  return 0;
}
