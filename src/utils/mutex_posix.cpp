#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>

#include "mutex.h"
#include "utf8.h"

namespace Utils {

bool SingleInstanceMutex::Acquire(const std::wstring& name) {
  if (IsHeld()) return true;
  name_ = name;
  std::string file = WideToUtf8(std::wstring(kPrefix) + name);
  // A separator in the name would point somewhere else.
  for (char& c : file) {
    if (c == '/') c = '_';
  }
  const char* runtime = getenv("XDG_RUNTIME_DIR");
  const std::string path = std::string(runtime && *runtime ? runtime : "/tmp") + "/" + file;
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  // flock belongs to the open file, so a second open in this process is
  // refused as well, like a second CreateMutexW.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return false;
  }
  handle_ = fd;
  return true;
}

void SingleInstanceMutex::Release() {
  if (!IsHeld()) return;
  // The file stays: removing it could let a second holder lock a new file
  // while a third still waits on the old one.
  close(static_cast<int>(handle_));
  handle_ = kNone;
}

}  // namespace Utils
