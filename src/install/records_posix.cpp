// Linux: the registry key is a folder of small files, one per value, under
// the user's configuration home; the Windows special folders become the
// XDG folders.
#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "records.h"
#include "utils/file_io.h"
#include "utils/files.h"
#include "utils/probe.h"
#include "utils/text.h"
#include "utils/utf8.h"

namespace Install {
namespace records_platform {
namespace {

std::wstring HomeFolder() {
  const char* home = getenv("HOME");
  if (home && *home == '/') return Utils::Utf8ToWide(home);
  // No HOME: the account's own entry.
  const struct passwd* pw = getpwuid(getuid());
  if (pw && pw->pw_dir && *pw->pw_dir == '/') return Utils::Utf8ToWide(pw->pw_dir);
  return std::wstring();
}

// An XDG base folder: the variable when it holds an absolute path (as
// the XDG base directory rules ask), else HOME + fallback.
bool XdgFolder(const char* variable, const wchar_t* fallback, std::wstring* folder) {
  const char* value = getenv(variable);
  if (value && *value == '/') {
    *folder = Utils::Utf8ToWide(value);
    return true;
  }
  const char* home = getenv("HOME");
  if (!home || *home != '/') return false;
  *folder = JoinPath(Utils::Utf8ToWide(home), fallback);
  return true;
}

std::wstring KeyFolder() {
  std::wstring config;
  if (!XdgFolder("XDG_CONFIG_HOME", L".config", &config)) {
    config = JoinPath(HomeFolder(), L".config");
  }
  return JoinPath(config, JoinPath(L"HKEY_CURRENT_USER", Utils::ReplaceAll(kRecordKey, L"\\", L"/")));
}

}  // namespace

bool ReadValue(const std::wstring& name, std::wstring* value) {
  value->clear();
  FILE* f = Utils::OpenFile(JoinPath(KeyFolder(), name), "rb");
  if (!f) return false;
  std::string bytes;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
  const bool ok = !ferror(f);
  fclose(f);
  if (ok) *value = Utils::Utf8ToWide(bytes);
  return ok;
}

// Through a temporary file and rename: a value is either the old text or
// the new one, never a torn write.
bool WriteValue(const std::wstring& name, const std::wstring& value) {
  const std::wstring folder = KeyFolder();
  if (!Utils::CreateDirectoryTree(folder)) return false;
  const std::wstring path = JoinPath(folder, name);
  const std::wstring temp = path + L"." + Utils::MakeGuidString() + L".tmp";
  FILE* f = Utils::OpenFile(temp, "wb");
  if (!f) return false;
  const std::string bytes = Utils::WideToUtf8(value);
  bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = fflush(f) == 0 && ok;
  ok = fsync(fileno(f)) == 0 && ok;
  ok = fclose(f) == 0 && ok;
  if (ok) ok = Utils::ReplaceFile(temp, path);
  if (!ok) Utils::DeleteFileAt(temp);
  return ok;
}

bool AppDataFolder(std::wstring* folder) { return XdgFolder("XDG_DATA_HOME", L".local/share", folder); }

// No folder is shared by all users and writable by each; the account's
// own data folder is the nearest.
std::wstring SharedDocumentsFolder() { return JoinPath(HomeFolder(), L".local/share"); }

// Only root can write /opt; anyone else installs into their data home.
std::wstring ProgramFilesX86Folder() {
  if (geteuid() == 0) return L"/opt";
  std::wstring folder;
  if (AppDataFolder(&folder)) return folder;
  return SharedDocumentsFolder();
}

std::wstring ProgramFilesFolder() { return ProgramFilesX86Folder(); }

std::wstring NativeSeparators(const std::wstring& path) { return path; }

std::tm LocalTime() {
  const std::time_t now = std::time(nullptr);
  std::tm t = {};
  localtime_r(&now, &t);
  return t;
}

}  // namespace records_platform

bool IsSameFolder(const std::wstring& a, const std::wstring& b) { return SameFolderComponents(a, b, L'/'); }

}  // namespace Install
