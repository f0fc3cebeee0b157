// make_pe: writes a small 32-bit PE image (one section) for the publisher
// check's tests on machines without a Windows compiler. It is never run,
// only signed and checked.
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

// Over the 1 MiB the downloaders take for a package at the least.
constexpr uint32_t kSectionSize = 0x180000;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: make_pe OUT\n", stderr);
    return 2;
  }
  std::vector<uint8_t> b(0x200 + kSectionSize, 0);
  b[0] = 'M';
  b[1] = 'Z';
  Put32(b, 0x3c, 0x40);
  const size_t pe = 0x40;
  b[pe] = 'P';
  b[pe + 1] = 'E';
  const size_t coff = pe + 4;
  Put16(b, coff, 0x14c);       // i386
  Put16(b, coff + 2, 1);       // one section
  Put16(b, coff + 16, 0xe0);   // optional header size
  Put16(b, coff + 18, 0x0102); // executable, 32-bit
  const size_t opt = coff + 20;
  Put16(b, opt, 0x10b);
  Put32(b, opt + 16, 0x1000);    // entry point
  Put32(b, opt + 28, 0x400000);  // image base
  Put32(b, opt + 32, 0x1000);    // section alignment
  Put32(b, opt + 36, 0x200);     // file alignment
  Put16(b, opt + 40, 4);         // operating system version
  Put16(b, opt + 48, 4);         // subsystem version
  Put32(b, opt + 56, 0x1000 + kSectionSize);  // image size
  Put32(b, opt + 60, 0x200);     // headers size
  Put16(b, opt + 68, 3);         // console
  Put32(b, opt + 72, 0x100000);
  Put32(b, opt + 76, 0x1000);
  Put32(b, opt + 80, 0x100000);
  Put32(b, opt + 84, 0x1000);
  Put32(b, opt + 92, 16);  // data directories
  const size_t section = opt + 0xe0;
  const char name[] = ".text";
  for (size_t i = 0; i < sizeof name - 1; ++i) b[section + i] = static_cast<uint8_t>(name[i]);
  Put32(b, section + 8, kSectionSize);
  Put32(b, section + 12, 0x1000);
  Put32(b, section + 16, kSectionSize);
  Put32(b, section + 20, 0x200);
  Put32(b, section + 36, 0x60000020);
  b[0x200] = 0xc3;  // ret
  for (size_t i = 0x201; i < b.size(); ++i) b[i] = static_cast<uint8_t>(i * 7);
  FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr || std::fwrite(b.data(), 1, b.size(), out) != b.size() || std::fclose(out) != 0) return 1;
  return 0;
}
