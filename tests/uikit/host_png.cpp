#include "host_png.h"

#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace host_test {

namespace {

void Put32(std::vector<unsigned char>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<unsigned char>(v >> shift));
}

void Chunk(std::vector<unsigned char>& out, const char* type, const std::vector<unsigned char>& data) {
  Put32(out, static_cast<uint32_t>(data.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  Put32(out, static_cast<uint32_t>(crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

}  // namespace

bool WritePng(const SkinUI::Bitmap& bitmap, const std::string& path) {
  if (bitmap.IsEmpty()) return false;
  std::vector<unsigned char> raw;
  raw.reserve(static_cast<size_t>(bitmap.height) * (1 + bitmap.width * 3));
  for (int y = 0; y < bitmap.height; ++y) {
    raw.push_back(0);
    for (int x = 0; x < bitmap.width; ++x) {
      const SkinUI::Argb c = SkinUI::Unpremultiply(bitmap.At(x, y)) | 0xFF000000u;
      raw.push_back(static_cast<unsigned char>(c >> 16));
      raw.push_back(static_cast<unsigned char>(c >> 8));
      raw.push_back(static_cast<unsigned char>(c));
    }
  }
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::vector<unsigned char> packed(size);
  if (compress(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size())) != Z_OK) return false;
  packed.resize(size);
  std::vector<unsigned char> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<unsigned char> header;
  Put32(header, static_cast<uint32_t>(bitmap.width));
  Put32(header, static_cast<uint32_t>(bitmap.height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB
  Chunk(file, "IHDR", header);
  Chunk(file, "IDAT", packed);
  Chunk(file, "IEND", {});
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
  return std::fclose(f) == 0 && ok;
}

void SaveScreenshot(const SkinUI::Bitmap& bitmap, const std::string& name) {
  const char* dir = std::getenv("QUILLON_SCREENSHOT_DIR");
  if (dir && *dir) WritePng(bitmap, std::string(dir) + "/" + name + ".png");
}

}  // namespace host_test
