// A fresh directory under the system's temp folder, removed with its
// contents when the object goes.
#pragma once

#include <filesystem>
#include <string>

namespace quillon_test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// Deterministic bytes: the same size always gives the same content.
std::string PatternBytes(size_t size, unsigned seed = 1);
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
std::string ReadBytes(const std::filesystem::path& path);

}  // namespace quillon_test
