#include <cstddef>
#include <cstdint>
#include <string>

#include "uikit/markup.h"
#include "uikit/package.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string error;
  auto package = SkinUI::SkinPackage::Open(data, size, &error);
  if (!package) {
    if (error != "Error opening zip file" && error != "Could not unzip file") __builtin_trap();
    return 0;
  }
  uint64_t total = 0;
  for (const auto& entry : package->Entries()) {
    total += entry.bytes.size();
    std::string bytes;
    if (package->ReadEntry(entry.path, &bytes, &error)) {
      SkinUI::MarkupNode root;
      SkinUI::ParseMarkup(bytes, &root, &error);
    }
  }
  if (total > SkinUI::kMaxPackageUnpackedSize) __builtin_trap();
  return 0;
}
