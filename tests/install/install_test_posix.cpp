#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "install/records.h"
#include "install_test_platform.h"
#include "utils/utf8.h"

namespace install_test {
namespace {

std::filesystem::path KeyFolder() {
  const char* config = getenv("XDG_CONFIG_HOME");
  return std::filesystem::path(config) / "HKEY_CURRENT_USER/Software/TarVixSoft/velmotranslate";
}

}  // namespace

void SetEnvironment(const char* name, const char* value) {
  if (value) {
    setenv(name, value, 1);
  } else {
    unsetenv(name);
  }
}

long long StoredValueBytes(const std::wstring& name) {
  std::error_code error;
  const auto size = std::filesystem::file_size(KeyFolder() / Utils::WideToUtf8(name), error);
  return error ? -1 : static_cast<long long>(size);
}

void ClearRegistryRecord() {
  std::error_code ignored;
  std::filesystem::remove_all(KeyFolder(), ignored);
}

uint32_t NotAProgramError() { return EACCES; }
uint32_t NotFoundError() { return ENOENT; }
const char* StartStep() { return "posix_spawnp"; }

}  // namespace install_test
