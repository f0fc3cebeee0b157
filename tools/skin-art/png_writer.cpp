#include "png_writer.h"

#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

namespace skinart {
namespace {

void Put32(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(uint8_t(x >> 24));
  v.push_back(uint8_t(x >> 16));
  v.push_back(uint8_t(x >> 8));
  v.push_back(uint8_t(x));
}

void Chunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data) {
  Put32(png, uint32_t(data.size()));
  size_t start = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  uLong crc = crc32(0, png.data() + start, uInt(png.size() - start));
  Put32(png, uint32_t(crc));
}

uint8_t Paeth(int a, int b, int c) {
  int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return uint8_t(a);
  return pb <= pc ? uint8_t(b) : uint8_t(c);
}

void FilterRow(int type, const uint8_t* row, const uint8_t* prev, size_t len, int bpp, uint8_t* out) {
  for (size_t i = 0; i < len; ++i) {
    int a = i >= size_t(bpp) ? row[i - bpp] : 0;
    int b = prev ? prev[i] : 0;
    int c = (prev && i >= size_t(bpp)) ? prev[i - bpp] : 0;
    int x = row[i];
    switch (type) {
      case 0: out[i] = uint8_t(x); break;
      case 1: out[i] = uint8_t(x - a); break;
      case 2: out[i] = uint8_t(x - b); break;
      case 3: out[i] = uint8_t(x - ((a + b) >> 1)); break;
      default: out[i] = uint8_t(x - Paeth(a, b, c)); break;
    }
  }
}

// strategy 0..4: that filter on every row; 5: per-row minimum absolute sum.
std::vector<uint8_t> Filtered(const std::vector<uint8_t>& raw, size_t stride, int rows, int bpp, int strategy) {
  std::vector<uint8_t> out;
  out.reserve((stride + 1) * rows);
  std::vector<uint8_t> tmp(stride), best(stride);
  for (int y = 0; y < rows; ++y) {
    const uint8_t* row = &raw[stride * y];
    const uint8_t* prev = y ? &raw[stride * (y - 1)] : nullptr;
    int chosen = strategy;
    if (strategy == 5) {
      long bestSum = -1;
      for (int t = 0; t < 5; ++t) {
        FilterRow(t, row, prev, stride, bpp, tmp.data());
        long sum = 0;
        for (uint8_t v : tmp) sum += v < 128 ? v : 256 - v;
        if (bestSum < 0 || sum < bestSum) {
          bestSum = sum;
          chosen = t;
          best = tmp;
        }
      }
      out.push_back(uint8_t(chosen));
      out.insert(out.end(), best.begin(), best.end());
      continue;
    }
    FilterRow(chosen, row, prev, stride, bpp, tmp.data());
    out.push_back(uint8_t(chosen));
    out.insert(out.end(), tmp.begin(), tmp.end());
  }
  return out;
}

std::vector<uint8_t> Deflate(const std::vector<uint8_t>& data, int zstrategy) {
  z_stream zs{};
  deflateInit2(&zs, 9, Z_DEFLATED, 15, 9, zstrategy);
  std::vector<uint8_t> out(deflateBound(&zs, uLong(data.size())));
  zs.next_in = const_cast<Bytef*>(data.data());
  zs.avail_in = uInt(data.size());
  zs.next_out = out.data();
  zs.avail_out = uInt(out.size());
  deflate(&zs, Z_FINISH);
  out.resize(zs.total_out);
  deflateEnd(&zs);
  return out;
}

}  // namespace

std::vector<uint8_t> EncodePng(const std::vector<uint8_t>& rgba, int width, int height) {
  size_t n = size_t(width) * height;
  std::map<uint32_t, int> palette;
  bool opaque = true;
  for (size_t i = 0; i < n && palette.size() <= 256; ++i) {
    const uint8_t* p = &rgba[i * 4];
    palette.emplace(uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3], 0);
  }
  for (size_t i = 0; i < n; ++i) opaque = opaque && rgba[i * 4 + 3] == 255;

  uint8_t colourType, depth = 8;
  int bpp;
  size_t stride;
  std::vector<uint8_t> raw;
  std::vector<uint8_t> plte, trns;
  if (palette.size() <= 256) {
    colourType = 3;
    int count = int(palette.size());
    depth = count <= 2 ? 1 : count <= 4 ? 2 : count <= 16 ? 4 : 8;
    // Translucent entries first, so tRNS can stop at the last of them.
    std::vector<uint32_t> order;
    for (auto& kv : palette) if ((kv.first & 0xFF) != 255) order.push_back(kv.first);
    size_t translucent = order.size();
    for (auto& kv : palette) if ((kv.first & 0xFF) == 255) order.push_back(kv.first);
    for (size_t i = 0; i < order.size(); ++i) {
      palette[order[i]] = int(i);
      plte.push_back(uint8_t(order[i] >> 24));
      plte.push_back(uint8_t(order[i] >> 16));
      plte.push_back(uint8_t(order[i] >> 8));
      if (i < translucent) trns.push_back(uint8_t(order[i]));
    }
    bpp = 1;
    stride = (size_t(width) * depth + 7) / 8;
    raw.assign(stride * height, 0);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const uint8_t* p = &rgba[(size_t(y) * width + x) * 4];
        int idx = palette[uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]];
        size_t bit = size_t(x) * depth;
        raw[stride * y + bit / 8] |= uint8_t(idx << (8 - depth - bit % 8));
      }
    }
  } else if (opaque) {
    colourType = 2;
    bpp = 3;
    stride = size_t(width) * 3;
    raw.resize(stride * height);
    for (size_t i = 0; i < n; ++i) std::memcpy(&raw[i * 3], &rgba[i * 4], 3);
  } else {
    colourType = 6;
    bpp = 4;
    stride = size_t(width) * 4;
    raw = rgba;
  }

  std::vector<uint8_t> best;
  for (int strategy = 0; strategy < 6; ++strategy) {
    std::vector<uint8_t> filtered = Filtered(raw, stride, height, bpp, strategy);
    for (int z : {Z_DEFAULT_STRATEGY, Z_FILTERED}) {
      std::vector<uint8_t> idat = Deflate(filtered, z);
      if (best.empty() || idat.size() < best.size()) best.swap(idat);
    }
  }

  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> ihdr;
  Put32(ihdr, uint32_t(width));
  Put32(ihdr, uint32_t(height));
  ihdr.insert(ihdr.end(), {depth, colourType, 0, 0, 0});
  Chunk(png, "IHDR", ihdr);
  if (colourType == 3) {
    Chunk(png, "PLTE", plte);
    if (!trns.empty()) Chunk(png, "tRNS", trns);
  }
  Chunk(png, "IDAT", best);
  Chunk(png, "IEND", {});
  return png;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace skinart
