#include <spawn.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "old_uninstaller_platform.h"
#include "utils/files.h"
#include "utils/utf8.h"

extern char** environ;

unsigned long StartHolder(const std::wstring& idFile) {
  const std::string self = Utils::WideToUtf8(Utils::ExecutablePath());
  char* argv[] = {const_cast<char*>(self.c_str()), const_cast<char*>("hold"), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv, environ) != 0) return 0;
  std::ofstream(std::filesystem::path(idFile)) << pid;
  return static_cast<unsigned long>(pid);
}

void BinaryOutput() {}
