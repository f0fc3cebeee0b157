#include "downloader.h"

#include <cstdio>
#include <memory>

#include "utils/file_io.h"
#include "utils/md5.h"
#include "utils/text.h"

std::string ExpectedMd5(const std::string& realUrl) { return Utils::UrlParentName(realUrl); }

bool IsUsableMd5(const std::string& md5) { return md5.size() == 32; }

std::string PackageMd5(const std::wstring& path) {
  FILE* file = path.empty() ? nullptr : Utils::OpenFile(path, "rb");
  if (!file) return "";
  // Large reads: the digest of a package of hundreds of megabytes is on the
  // path between the last byte received and the install.
  constexpr size_t kBlock = 1 << 20;
  std::unique_ptr<unsigned char[]> block(new unsigned char[kBlock]);
  Utils::Md5 md5;
  size_t n;
  while ((n = std::fread(block.get(), 1, kBlock, file)) > 0) md5.Update(block.get(), n);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  return failed ? std::string() : md5.FinalHex();
}
