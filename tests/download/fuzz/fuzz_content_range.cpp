#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "content_range_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string broken = quillon_fuzz::CheckContentRange(std::string(reinterpret_cast<const char*>(data), size));
  if (!broken.empty()) {
    std::fprintf(stderr, "%s\n", broken.c_str());
    __builtin_trap();
  }
  return 0;
}
