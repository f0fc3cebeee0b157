// libFuzzer entry: DecodePng must refuse or decode any input without a
// crash, a leak or a read outside it; what it decodes must encode again.
// Each input is tried as it is and with its chunk CRCs repaired, so that
// mutations get past the CRC check into the decoder proper.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "uikit/png.h"

namespace {

void Decode(const std::string& bytes) {
  SkinUI::Bitmap bitmap;
  std::string error;
  if (SkinUI::DecodePng(bytes, &bitmap, &error)) {
    if (bitmap.pixels.size() != static_cast<size_t>(bitmap.width) * bitmap.height) __builtin_trap();
    if (bitmap.width * bitmap.height <= 64 * 64 && SkinUI::EncodePng(bitmap).empty()) __builtin_trap();
  } else if (error.empty() || !bitmap.IsEmpty()) {
    __builtin_trap();
  }
}

std::string RepairCrcs(std::string bytes) {
  size_t at = 8;
  while (at + 12 <= bytes.size()) {
    auto* p = reinterpret_cast<unsigned char*>(&bytes[at]);
    const uint32_t len = (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
    if (len > bytes.size() - at - 12) break;
    const uLong crc = crc32(0, p + 4, len + 4);
    p[8 + len] = static_cast<unsigned char>(crc >> 24);
    p[9 + len] = static_cast<unsigned char>(crc >> 16);
    p[10 + len] = static_cast<unsigned char>(crc >> 8);
    p[11 + len] = static_cast<unsigned char>(crc);
    at += 12 + len;
  }
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  Decode(bytes);
  Decode(RepairCrcs(bytes));
  return 0;
}
