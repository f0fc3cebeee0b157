#include "part_join.h"

#include <cstdio>
#include <memory>

#include "utils/file_io.h"

namespace {
constexpr size_t kJoinBlock = 1 << 20;
}  // namespace

bool AppendFileInBlocks(const std::wstring& to, const std::wstring& from) {
  FILE* out = Utils::OpenFile(to, "ab");
  if (!out) return false;
  FILE* in = Utils::OpenFile(from, "rb");
  bool ok = in != nullptr;
  if (in) {
    std::unique_ptr<char[]> block(new char[kJoinBlock]);
    size_t n;
    while (ok && (n = std::fread(block.get(), 1, kJoinBlock, in)) > 0) ok = std::fwrite(block.get(), 1, n, out) == n;
    if (std::ferror(in)) ok = false;
    std::fclose(in);
  }
  // Data a full disk refused to flush is not joined.
  if (std::fclose(out) != 0) ok = false;
  return ok;
}
