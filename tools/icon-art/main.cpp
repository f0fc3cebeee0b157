// icon-art: draws the installer's icon (resource 145) and writes it as an
// .ico with the sizes Windows asks for: 16, 20, 24, 32, 40, 48 and 64 as
// 32-bit DIBs (XP reads those), 256 as PNG (Vista and later).
//
//   icon-art --out src/app/res/quillon.ico [--png-dir DIR]
//
// The drawing is the skin's logo (tools/skin-art, "logo.png"): a tile in the
// brand gradient, a speech bubble and a quill, laid out on a 72-unit grid and
// scaled; small sizes lose the shadow and keep a thicker nib.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "canvas.h"
#include "png_writer.h"

namespace {

using namespace skinart;

const uint32_t kBrandHot = 0x5048E5;
const uint32_t kBrandPushed = 0x3730A3;
const uint32_t kAccent = 0x14B8A6;
const uint32_t kWhite = 0xFFFFFF;

Canvas Icon(int size) {
  Canvas c(size, size);
  const float s = size / 72.0f;
  const bool small = size <= 24;
  const float m = small ? 0.5f / s : 4;  // the tile fills small icons
  Shape tile = RoundRect(m * s, m * s, size - m * s, size - m * s, (small ? 14 : 17) * s);
  if (!small) c.Shadow(tile, Hex(0x10123A, 0.28f), 4 * s, 0, 1.5f * s);
  c.Fill(tile, Linear(m * s, m * s, Hex(kAccent), size - m * s, size - m * s, Hex(kBrandHot)));
  Shape bubble = Union(RoundRect(14 * s, 16 * s, 58 * s, 48 * s, 11 * s),
                       Polygon({21 * s, 42 * s, 33 * s, 47 * s, 18 * s, 58 * s}));
  c.Fill(bubble, Hex(kWhite));
  const float cx = 37 * s, cy = 32 * s;
  const float lens = (small ? 19.0f : 17.1f) * s, off = (small ? 14.2f : 13.1f) * s;
  Shape vane = Rotate(Intersect(Circle(cx - off, cy, lens), Circle(cx + off, cy, lens)), cx, cy, 45);
  Shape shaft = Rotate(Capsule(cx, cy - 2 * s, cx, cy + 14.5f * s, (small ? 1.6f : 0.9f) * s), cx, cy, 45);
  c.Fill(Union(vane, shaft), Linear(28 * s, 40 * s, Hex(kBrandPushed), 46 * s, 22 * s, Hex(kBrandHot)));
  if (!small) c.Fill(Rotate(Capsule(cx, cy - 6 * s, cx, cy + 8 * s, 0.55f * s), cx, cy, 45), Hex(kWhite, 0.9f));
  return c;
}

void Put16(std::vector<uint8_t>& out, unsigned v) {
  out.push_back(v & 0xFF);
  out.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<uint8_t>& out, unsigned v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// BITMAPINFOHEADER (height doubled for the mask), BGRA rows bottom-up, then
// the AND mask (1 where fully transparent), rows padded to 32 bits.
std::vector<uint8_t> Dib(const std::vector<uint8_t>& rgba, int size) {
  std::vector<uint8_t> out;
  const int maskRow = ((size + 31) / 32) * 4;
  Put32(out, 40);
  Put32(out, size);
  Put32(out, size * 2);
  Put16(out, 1);
  Put16(out, 32);
  Put32(out, 0);
  Put32(out, size * size * 4 + maskRow * size);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  for (int y = size - 1; y >= 0; --y) {
    for (int x = 0; x < size; ++x) {
      const uint8_t* p = &rgba[(size_t(y) * size + x) * 4];
      out.push_back(p[2]);
      out.push_back(p[1]);
      out.push_back(p[0]);
      out.push_back(p[3]);
    }
  }
  for (int y = size - 1; y >= 0; --y) {
    std::vector<uint8_t> row(maskRow, 0);
    for (int x = 0; x < size; ++x) {
      if (rgba[(size_t(y) * size + x) * 4 + 3] == 0) row[x / 8] |= 0x80 >> (x % 8);
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  std::string out, pngDir;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--out")) out = argv[i + 1];
    else if (!std::strcmp(argv[i], "--png-dir")) pngDir = argv[i + 1];
  }
  if (out.empty()) {
    std::fprintf(stderr, "usage: icon-art --out FILE.ico [--png-dir DIR]\n");
    return 2;
  }
  const int sizes[] = {16, 20, 24, 32, 40, 48, 64, 256};
  std::vector<std::vector<uint8_t>> images;
  for (int size : sizes) {
    const Canvas c = Icon(size);
    const std::vector<uint8_t> rgba = c.ToRgba8();
    const std::vector<uint8_t> png = EncodePng(rgba, size, size);
    images.push_back(size >= 256 ? png : Dib(rgba, size));
    if (!pngDir.empty()) WriteFile(pngDir + "/icon-" + std::to_string(size) + ".png", png);
  }
  std::vector<uint8_t> ico;
  Put16(ico, 0);
  Put16(ico, 1);
  Put16(ico, static_cast<unsigned>(images.size()));
  unsigned offset = 6 + 16 * static_cast<unsigned>(images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    const int size = sizes[i];
    ico.push_back(size >= 256 ? 0 : static_cast<uint8_t>(size));
    ico.push_back(size >= 256 ? 0 : static_cast<uint8_t>(size));
    ico.push_back(0);
    ico.push_back(0);
    Put16(ico, 1);
    Put16(ico, 32);
    Put32(ico, static_cast<unsigned>(images[i].size()));
    Put32(ico, offset);
    offset += static_cast<unsigned>(images[i].size());
  }
  for (const auto& image : images) ico.insert(ico.end(), image.begin(), image.end());
  if (!WriteFile(out, ico)) {
    std::fprintf(stderr, "icon-art: cannot write %s\n", out.c_str());
    return 3;
  }
  std::printf("%s: %zu bytes, %zu sizes\n", out.c_str(), ico.size(), images.size());
  return 0;
}
