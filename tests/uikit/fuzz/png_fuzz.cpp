// libFuzzer entry: DecodePng must refuse or decode any input without a
// crash, a leak or a read outside it; what it decodes must encode again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "uikit/png.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SkinUI::Bitmap bitmap;
  std::string error;
  if (SkinUI::DecodePng(std::string(reinterpret_cast<const char*>(data), size), &bitmap, &error)) {
    if (bitmap.pixels.size() != static_cast<size_t>(bitmap.width) * bitmap.height) __builtin_trap();
    if (bitmap.width * bitmap.height <= 64 * 64 && SkinUI::EncodePng(bitmap).empty()) __builtin_trap();
  }
  return 0;
}
