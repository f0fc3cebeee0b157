#include <sys/random.h>
#include <sys/stat.h>

#include <cstdlib>

#include "analytics_state.h"
#include "utils/files.h"
#include "utils/profile.h"
#include "utils/utf8.h"

namespace tarvix {
namespace analytics {
namespace state_platform {
namespace {

constexpr size_t kValueBuffer = 128;

// Paths are the file system's bytes, taken as UTF-8 for our ini code.
std::wstring Wide(const std::string& text) { return Utils::Utf8ToWide(text); }

}  // namespace

char Separator() { return '/'; }
char ForeignSeparator() { return '\\'; }

std::string ExecutableDirectory() {
  const std::string path = Utils::WideToUtf8(Utils::ExecutablePath());
  const size_t last = path.rfind('/');
  return last == std::string::npos ? std::string("/") : path.substr(0, last + 1);
}

// $XDG_DATA_HOME (an absolute path), else ~/.local/share; without a home
// the shared /var/tmp, which every user may write to.
std::string BaseFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data && data[0] == '/') return data;
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.local/share";
  return "/var/tmp";
}

bool PathExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

bool MakeDirectory(const std::string& path) { return mkdir(path.c_str(), 0777) == 0; }

std::string ReadString(const std::string& section, const std::string& key,
                       const std::string& defaultValue, const std::string& file) {
  return Utils::WideToUtf8(
      Utils::ReadProfileString(Wide(section), Wide(key), Wide(defaultValue), Wide(file), kValueBuffer));
}

int ReadInt(const std::string& section, const std::string& key, int defaultValue,
            const std::string& file) {
  return Utils::ReadProfileInt(Wide(section), Wide(key), defaultValue, Wide(file));
}

void WriteString(const std::string& section, const std::string& key, const std::string& value,
                 const std::string& file) {
  Utils::StoreProfileString(Wide(section), Wide(key), Wide(value), Wide(file));
}

// A random (version 4) GUID from the kernel's generator.
bool CreateGuid(uint32_t* data1, uint16_t* data2, uint16_t* data3, unsigned char data4[8]) {
  unsigned char bytes[16];
  if (getrandom(bytes, sizeof(bytes), 0) != static_cast<ssize_t>(sizeof(bytes))) return false;
  bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);
  bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);
  *data1 = (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) | bytes[3];
  *data2 = static_cast<uint16_t>((bytes[4] << 8) | bytes[5]);
  *data3 = static_cast<uint16_t>((bytes[6] << 8) | bytes[7]);
  for (int i = 0; i < 8; ++i) data4[i] = bytes[8 + i];
  return true;
}

}  // namespace state_platform
}  // namespace analytics
}  // namespace tarvix
