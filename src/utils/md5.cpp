#include "md5.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace Utils {
namespace {

constexpr uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};


inline uint32_t Rotate(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

}  // namespace

Md5::Md5() : state_{0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476} {}

// The 64 steps written out, as RFC 1321's reference does: with constant
// shifts and message indexes the compiler keeps everything in registers,
// which is what lets a package of hundreds of megabytes be checked at disk
// speed.
#define QUILLON_MD5_STEP(f, a, b, c, d, x, t, s) \
  (a) += f((b), (c), (d)) + (x) + (t);           \
  (a) = Rotate((a), (s)) + (b)

inline uint32_t F(uint32_t x, uint32_t y, uint32_t z) { return z ^ (x & (y ^ z)); }
inline uint32_t G(uint32_t x, uint32_t y, uint32_t z) { return y ^ (z & (x ^ y)); }
inline uint32_t H(uint32_t x, uint32_t y, uint32_t z) { return x ^ y ^ z; }
inline uint32_t I(uint32_t x, uint32_t y, uint32_t z) { return y ^ (x | ~z); }

void Md5::Block(const unsigned char* p) {
  uint32_t m[16];
  for (int i = 0; i < 16; ++i) {
    m[i] = static_cast<uint32_t>(p[i * 4]) | static_cast<uint32_t>(p[i * 4 + 1]) << 8 |
           static_cast<uint32_t>(p[i * 4 + 2]) << 16 | static_cast<uint32_t>(p[i * 4 + 3]) << 24;
  }
  uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
  const uint32_t* t = kSine;
  QUILLON_MD5_STEP(F, a, b, c, d, m[0], t[0], 7);
  QUILLON_MD5_STEP(F, d, a, b, c, m[1], t[1], 12);
  QUILLON_MD5_STEP(F, c, d, a, b, m[2], t[2], 17);
  QUILLON_MD5_STEP(F, b, c, d, a, m[3], t[3], 22);
  QUILLON_MD5_STEP(F, a, b, c, d, m[4], t[4], 7);
  QUILLON_MD5_STEP(F, d, a, b, c, m[5], t[5], 12);
  QUILLON_MD5_STEP(F, c, d, a, b, m[6], t[6], 17);
  QUILLON_MD5_STEP(F, b, c, d, a, m[7], t[7], 22);
  QUILLON_MD5_STEP(F, a, b, c, d, m[8], t[8], 7);
  QUILLON_MD5_STEP(F, d, a, b, c, m[9], t[9], 12);
  QUILLON_MD5_STEP(F, c, d, a, b, m[10], t[10], 17);
  QUILLON_MD5_STEP(F, b, c, d, a, m[11], t[11], 22);
  QUILLON_MD5_STEP(F, a, b, c, d, m[12], t[12], 7);
  QUILLON_MD5_STEP(F, d, a, b, c, m[13], t[13], 12);
  QUILLON_MD5_STEP(F, c, d, a, b, m[14], t[14], 17);
  QUILLON_MD5_STEP(F, b, c, d, a, m[15], t[15], 22);

  QUILLON_MD5_STEP(G, a, b, c, d, m[1], t[16], 5);
  QUILLON_MD5_STEP(G, d, a, b, c, m[6], t[17], 9);
  QUILLON_MD5_STEP(G, c, d, a, b, m[11], t[18], 14);
  QUILLON_MD5_STEP(G, b, c, d, a, m[0], t[19], 20);
  QUILLON_MD5_STEP(G, a, b, c, d, m[5], t[20], 5);
  QUILLON_MD5_STEP(G, d, a, b, c, m[10], t[21], 9);
  QUILLON_MD5_STEP(G, c, d, a, b, m[15], t[22], 14);
  QUILLON_MD5_STEP(G, b, c, d, a, m[4], t[23], 20);
  QUILLON_MD5_STEP(G, a, b, c, d, m[9], t[24], 5);
  QUILLON_MD5_STEP(G, d, a, b, c, m[14], t[25], 9);
  QUILLON_MD5_STEP(G, c, d, a, b, m[3], t[26], 14);
  QUILLON_MD5_STEP(G, b, c, d, a, m[8], t[27], 20);
  QUILLON_MD5_STEP(G, a, b, c, d, m[13], t[28], 5);
  QUILLON_MD5_STEP(G, d, a, b, c, m[2], t[29], 9);
  QUILLON_MD5_STEP(G, c, d, a, b, m[7], t[30], 14);
  QUILLON_MD5_STEP(G, b, c, d, a, m[12], t[31], 20);

  QUILLON_MD5_STEP(H, a, b, c, d, m[5], t[32], 4);
  QUILLON_MD5_STEP(H, d, a, b, c, m[8], t[33], 11);
  QUILLON_MD5_STEP(H, c, d, a, b, m[11], t[34], 16);
  QUILLON_MD5_STEP(H, b, c, d, a, m[14], t[35], 23);
  QUILLON_MD5_STEP(H, a, b, c, d, m[1], t[36], 4);
  QUILLON_MD5_STEP(H, d, a, b, c, m[4], t[37], 11);
  QUILLON_MD5_STEP(H, c, d, a, b, m[7], t[38], 16);
  QUILLON_MD5_STEP(H, b, c, d, a, m[10], t[39], 23);
  QUILLON_MD5_STEP(H, a, b, c, d, m[13], t[40], 4);
  QUILLON_MD5_STEP(H, d, a, b, c, m[0], t[41], 11);
  QUILLON_MD5_STEP(H, c, d, a, b, m[3], t[42], 16);
  QUILLON_MD5_STEP(H, b, c, d, a, m[6], t[43], 23);
  QUILLON_MD5_STEP(H, a, b, c, d, m[9], t[44], 4);
  QUILLON_MD5_STEP(H, d, a, b, c, m[12], t[45], 11);
  QUILLON_MD5_STEP(H, c, d, a, b, m[15], t[46], 16);
  QUILLON_MD5_STEP(H, b, c, d, a, m[2], t[47], 23);

  QUILLON_MD5_STEP(I, a, b, c, d, m[0], t[48], 6);
  QUILLON_MD5_STEP(I, d, a, b, c, m[7], t[49], 10);
  QUILLON_MD5_STEP(I, c, d, a, b, m[14], t[50], 15);
  QUILLON_MD5_STEP(I, b, c, d, a, m[5], t[51], 21);
  QUILLON_MD5_STEP(I, a, b, c, d, m[12], t[52], 6);
  QUILLON_MD5_STEP(I, d, a, b, c, m[3], t[53], 10);
  QUILLON_MD5_STEP(I, c, d, a, b, m[10], t[54], 15);
  QUILLON_MD5_STEP(I, b, c, d, a, m[1], t[55], 21);
  QUILLON_MD5_STEP(I, a, b, c, d, m[8], t[56], 6);
  QUILLON_MD5_STEP(I, d, a, b, c, m[15], t[57], 10);
  QUILLON_MD5_STEP(I, c, d, a, b, m[6], t[58], 15);
  QUILLON_MD5_STEP(I, b, c, d, a, m[13], t[59], 21);
  QUILLON_MD5_STEP(I, a, b, c, d, m[4], t[60], 6);
  QUILLON_MD5_STEP(I, d, a, b, c, m[11], t[61], 10);
  QUILLON_MD5_STEP(I, c, d, a, b, m[2], t[62], 15);
  QUILLON_MD5_STEP(I, b, c, d, a, m[9], t[63], 21);
  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;
}
#undef QUILLON_MD5_STEP

void Md5::Update(const void* data, size_t size) {
  const unsigned char* p = static_cast<const unsigned char*>(data);
  length_ += size;
  if (buffered_ > 0) {
    const size_t take = size < 64 - buffered_ ? size : 64 - buffered_;
    memcpy(buffer_ + buffered_, p, take);
    buffered_ += take;
    p += take;
    size -= take;
    if (buffered_ < 64) return;
    Block(buffer_);
    buffered_ = 0;
  }
  for (; size >= 64; p += 64, size -= 64) Block(p);
  memcpy(buffer_, p, size);
  buffered_ = size;
}

std::string Md5::FinalHex() {
  const uint64_t bits = length_ * 8;
  unsigned char pad[72] = {0x80};
  const size_t padLength = buffered_ < 56 ? 56 - buffered_ : 120 - buffered_;
  Update(pad, padLength);
  unsigned char tail[8];
  for (int i = 0; i < 8; ++i) tail[i] = static_cast<unsigned char>(bits >> (8 * i));
  Update(tail, 8);
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (uint32_t word : state_) {
    for (int i = 0; i < 4; ++i) {
      const unsigned byte = (word >> (8 * i)) & 0xFF;
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    }
  }
  return out;
}

std::string Md5Hex(const std::string& bytes) {
  Md5 md5;
  md5.Update(bytes.data(), bytes.size());
  return md5.FinalHex();
}

std::string FileMd5Hex(const std::string& path) {
  if (path.empty()) return std::string();
  FILE* file = fopen(path.c_str(), "rb");
  if (!file) return std::string();
  Md5 md5;
  std::vector<unsigned char> block(256 * 1024);
  size_t n;
  while ((n = fread(block.data(), 1, block.size(), file)) > 0) md5.Update(block.data(), n);
  const bool failed = ferror(file) != 0;
  fclose(file);
  // A read error part-way would give the digest of a prefix, which could
  // be taken for the digest of a damaged download.
  if (failed) return std::string();
  return md5.FinalHex();
}

}  // namespace Utils
