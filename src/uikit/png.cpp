// The portable half of PNG: the structural check both decoders run first
// (so a file is accepted or refused alike on both targets, and no decoder
// sees an oversized header) and the encoder.
#include "uikit/png.h"

#include <zlib.h>

#include <cstring>

#include "uikit/png_check.h"

namespace SkinUI {
namespace {

const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

uint32_t Be32(const unsigned char* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

void PutBe32(std::string& out, uint32_t v) {
  out.push_back(char(v >> 24));
  out.push_back(char(v >> 16));
  out.push_back(char(v >> 8));
  out.push_back(char(v));
}

void PutChunk(std::string& out, const char type[4], const std::string& data) {
  PutBe32(out, static_cast<uint32_t>(data.size()));
  const size_t start = out.size();
  out.append(type, 4);
  out += data;
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(out.data() + start), static_cast<uInt>(out.size() - start));
  PutBe32(out, static_cast<uint32_t>(crc));
}

bool Fail(std::string* error, const char* why) {
  if (error) *error = why;
  return false;
}

}  // namespace

bool CheckPngStructure(const std::string& bytes, int* width, int* height, std::string* error) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  if (n < 8 || std::memcmp(p, kSignature, 8) != 0) return Fail(error, "not a PNG file");
  size_t at = 8;
  bool first = true, sawData = false;
  while (true) {
    if (n - at < 12) return Fail(error, "truncated PNG file");
    const uint32_t len = Be32(p + at);
    if (len > 0x7FFFFFFFu || len > n - at - 12) return Fail(error, "truncated PNG chunk");
    const unsigned char* type = p + at + 4;
    const uLong crc = crc32(0, type, len + 4);
    if (crc != Be32(p + at + 8 + len)) return Fail(error, "PNG chunk CRC mismatch");
    if (first) {
      if (std::memcmp(type, "IHDR", 4) != 0 || len != 13) return Fail(error, "PNG without a header");
      const uint32_t w = Be32(type + 4), h = Be32(type + 8);
      if (w == 0 || h == 0) return Fail(error, "PNG with no pixels");
      if (w > uint32_t(kMaxPngSide) || h > uint32_t(kMaxPngSide)) return Fail(error, "PNG image too large");
      *width = static_cast<int>(w);
      *height = static_cast<int>(h);
      first = false;
    } else if (std::memcmp(type, "IDAT", 4) == 0) {
      sawData = true;
    } else if (std::memcmp(type, "IEND", 4) == 0) {
      return sawData ? true : Fail(error, "PNG without image data");
    }
    at += 12 + len;
  }
}

std::string EncodePng(const Bitmap& bitmap) {
  if (bitmap.IsEmpty() || bitmap.pixels.size() < size_t(bitmap.width) * bitmap.height) return {};
  const size_t rowBytes = size_t(bitmap.width) * 4;
  std::string raw;
  raw.resize((rowBytes + 1) * bitmap.height);
  std::string row(rowBytes, '\0');
  for (int y = 0; y < bitmap.height; ++y) {
    for (int x = 0; x < bitmap.width; ++x) {
      const Argb c = Unpremultiply(bitmap.At(x, y));
      row[x * 4 + 0] = char(c >> 16);
      row[x * 4 + 1] = char(c >> 8);
      row[x * 4 + 2] = char(c);
      row[x * 4 + 3] = char(c >> 24);
    }
    // Filter "sub": each byte less the same channel of the pixel before.
    char* out = &raw[(rowBytes + 1) * y];
    out[0] = 1;
    for (size_t i = 0; i < rowBytes; ++i) out[1 + i] = char(row[i] - (i >= 4 ? row[i - 4] : 0));
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::string packed(packedSize, '\0');
  if (compress2(reinterpret_cast<Bytef*>(&packed[0]), &packedSize, reinterpret_cast<const Bytef*>(raw.data()),
                static_cast<uLong>(raw.size()), 6) != Z_OK) {
    return {};
  }
  packed.resize(packedSize);

  std::string ihdr;
  PutBe32(ihdr, static_cast<uint32_t>(bitmap.width));
  PutBe32(ihdr, static_cast<uint32_t>(bitmap.height));
  ihdr += std::string("\x08\x06\x00\x00\x00", 5);  // 8 bits, RGBA, deflate, filter set 0, no interlace
  std::string out(reinterpret_cast<const char*>(kSignature), 8);
  PutChunk(out, "IHDR", ihdr);
  PutChunk(out, "IDAT", packed);
  PutChunk(out, "IEND", {});
  return out;
}

}  // namespace SkinUI
