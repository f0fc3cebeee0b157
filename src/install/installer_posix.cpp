#include <sys/stat.h>

#include "installer.h"
#include "utils/utf8.h"

namespace Install {

// A downloaded file is created without execute bits; add them wherever a
// read bit is set, as the file's owner would with chmod +x.
void PreparePackageFile(const std::wstring& path) {
  const std::string file = Utils::WideToUtf8(path);
  struct stat info;
  if (stat(file.c_str(), &info) != 0) return;  // the start reports the missing file
  mode_t mode = info.st_mode & 07777;
  if (mode & S_IRUSR) mode |= S_IXUSR;
  if (mode & S_IRGRP) mode |= S_IXGRP;
  if (mode & S_IROTH) mode |= S_IXOTH;
  chmod(file.c_str(), mode);
}

}  // namespace Install
