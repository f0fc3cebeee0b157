// A fresh folder for one test, removed with everything in it when the
// object goes. Also finds the programs built beside the tests.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "utils/files.h"
#include "utils/probe.h"
#include "utils/utf8.h"

namespace quillon_test {

// Deterministic bytes: the same size and seed always give the same content.
std::string PatternBytes(size_t size, unsigned seed = 1);
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
std::string ReadBytes(const std::filesystem::path& path);
// Lines of tab-separated fields (the tools' output format); a CR before
// the LF is dropped.
std::vector<std::vector<std::string>> TabLines(const std::string& text);
// A path as the installer's wide text.
inline std::wstring WidePath(const std::filesystem::path& path) { return Utils::Utf8ToWide(path.u8string()); }

class ScratchDir {
 public:
  ScratchDir() {
    path_ = std::filesystem::temp_directory_path() / (L"quillon-test-" + Utils::MakeGuidString());
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  std::wstring Wide(const std::wstring& name = L"") const { return (name.empty() ? path_ : path_ / name).wstring(); }

  void Write(const std::wstring& name, const std::string& bytes) const { WriteBytes(path_ / name, bytes); }
  std::string Read(const std::wstring& name) const { return ReadBytes(path_ / name); }

 private:
  std::filesystem::path path_;
};

// "" on Linux, ".exe" on Windows: what the running test program ends in.
inline std::wstring ExecutableSuffix() {
  const std::wstring self = Utils::ExecutablePath();
  return self.size() > 4 && self.compare(self.size() - 4, 4, L".exe") == 0 ? L".exe" : L"";
}

// A program built beside the tests (<build>/tests/NAME) or among the
// tools (<build>/tools/NAME), with the platform's suffix.
inline std::filesystem::path BuiltProgram(const std::wstring& folder, const std::wstring& name) {
  const std::filesystem::path self(Utils::ExecutablePath());
  return self.parent_path().parent_path() / folder / (name + ExecutableSuffix());
}

// A command-line token for a path, quoted.
inline std::wstring Quoted(const std::filesystem::path& path) { return L"\"" + path.wstring() + L"\""; }

}  // namespace quillon_test
