#include <cstddef>
#include <cstdint>
#include <string>

#include "uikit/values.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  int i;
  SkinUI::Rect r;
  SkinUI::Size s;
  SkinUI::Point p;
  uint32_t c;
  if (!SkinUI::ParseInt(text, &i) && i != 0) __builtin_trap();
  if (!SkinUI::ParseRect(text, &r) && r != SkinUI::Rect{}) __builtin_trap();
  if (!SkinUI::ParseSize(text, &s) && (s.cx || s.cy)) __builtin_trap();
  if (!SkinUI::ParsePoint(text, &p) && (p.x || p.y)) __builtin_trap();
  if (!SkinUI::ParseColour(text, &c) && c != 0) __builtin_trap();
  SkinUI::ParseBool(text);
  return 0;
}
