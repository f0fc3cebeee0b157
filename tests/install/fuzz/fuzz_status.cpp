#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "status_rules.h"

// Whole and in one read size of 1 to 16 bytes, chosen by the input's
// length: the suite's replay tries each read size on every file, but a
// byte per read decodes each byte on its own and leaves the fuzzer slow.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string output(reinterpret_cast<const char*>(data), size);
  std::string broken = quillon_fuzz::CheckStatusOutput(output, 0);
  if (broken.empty()) broken = quillon_fuzz::CheckStatusOutput(output, 1 + size % 16);
  if (!broken.empty()) {
    std::fprintf(stderr, "%s\n", broken.c_str());
    __builtin_trap();
  }
  return 0;
}
