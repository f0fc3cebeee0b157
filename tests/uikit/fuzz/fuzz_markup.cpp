#include <cstddef>
#include <cstdint>
#include <string>

#include "uikit/markup.h"

namespace {
// Walks the tree as the builder does, so a malformed tree shows up here.
size_t Count(const SkinUI::MarkupNode& node, int depth) {
  if (depth > SkinUI::kMaxMarkupDepth) __builtin_trap();
  size_t n = 1 + node.attributes.size();
  for (const auto& child : node.children) n += Count(child, depth + 1);
  return n;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  SkinUI::MarkupNode root;
  std::string error;
  size_t offset = 0;
  if (SkinUI::ParseMarkup(text, &root, &error, &offset)) {
    if (root.name.empty()) __builtin_trap();
    Count(root, 1);
  } else if (error.empty() || !root.name.empty() || !root.children.empty()) {
    __builtin_trap();
  }
  if (offset > size) __builtin_trap();
  return 0;
}
