// MD5 (RFC 1321), the same code on both targets.
//
// An Md5 object belongs to one thread; feed it with Update and read the
// digest once with Final.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Utils {

class Md5 {
 public:
  Md5();
  void Update(const void* data, size_t size);
  // The digest as 32 lower-case hexadecimal digits. Call once.
  std::string FinalHex();

 private:
  // Compresses `count` consecutive 64-byte blocks into the state.
  void Blocks(const unsigned char* blocks, size_t count);

  uint32_t state_[4];
  uint64_t length_ = 0;  // bytes fed so far
  unsigned char buffer_[64];
  size_t buffered_ = 0;
};

std::string Md5Hex(const std::string& bytes);

// 32 lower-case hexadecimal digits of the file's MD5; empty when the path
// is empty or the file cannot be opened for reading. The path is in the
// system's ANSI code page on Windows and a plain byte path on Linux.
std::string FileMd5Hex(const std::string& path);

}  // namespace Utils
