// What the installation tests do to the system around them.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace install_test {

// Sets (or, with nullptr, removes) a variable of this process's environment.
void SetEnvironment(const char* name, const char* value);

// The system's code for starting a file that is no program (a text file
// without the execute bit on Linux, one named .exe on Windows), and for a
// file that is not there.
uint32_t NotAProgramError();
uint32_t NotFoundError();
// The call a trace line names when a program does not start.
const char* StartStep();

// Points each variable of `names` at a folder of its own, `root`/env/NAME
// (created), so that what a run writes to the user's folders lands in the
// test's scratch folder; the old values (or their absence) come back when
// the object goes.
class SteeredEnvironment {
 public:
  SteeredEnvironment(const std::filesystem::path& root, std::initializer_list<const char*> names) {
    for (const char* name : names) {
      const char* old = std::getenv(name);
      saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
      const std::filesystem::path folder = root / "env" / name;
      std::filesystem::create_directories(folder);
      SetEnvironment(name, folder.string().c_str());
    }
  }
  ~SteeredEnvironment() {
    for (const auto& s : saved_) SetEnvironment(s.first.c_str(), s.second ? s.second->c_str() : nullptr);
  }
  SteeredEnvironment(const SteeredEnvironment&) = delete;
  SteeredEnvironment& operator=(const SteeredEnvironment&) = delete;

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};
// The stored size in bytes of a value of the installation record, -1 when
// it is missing.
long long StoredValueBytes(const std::wstring& name);
// Removes the whole installation record.
void ClearRegistryRecord();

}  // namespace install_test
