#include <cstddef>
#include <cstdint>
#include <string>

#include "uikit/values.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  SkinUI::ImageDescriptor d;
  bool ok = SkinUI::ParseImageDescriptor(text, &d);
  if (!ok && !d.IsEmpty()) __builtin_trap();
  if (d.fade < 0 || d.fade > 255) __builtin_trap();
  if (d.file.size() > size || d.res.size() > size || d.restype.size() > size) __builtin_trap();
  return 0;
}
