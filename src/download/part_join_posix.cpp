#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "part_join.h"
#include "utils/utf8.h"

// copy_file_range moves the bytes inside the kernel (or shares them, on
// file systems that can): the join then costs no copy through the process.
// Where it is not offered (older kernels, some file systems) the join is
// done in blocks instead, as long as no byte has been appended yet.
bool AppendFileTo(const std::wstring& to, const std::wstring& from) {
  const int in = open(Utils::WideToUtf8(from).c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  // Not O_APPEND, which copy_file_range refuses: the copy goes to the end
  // by its offset.
  const int out = open(Utils::WideToUtf8(to).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (out < 0) {
    close(in);
    return false;
  }
  struct stat source{};
  off_t outAt = lseek(out, 0, SEEK_END);
  bool ok = outAt >= 0 && fstat(in, &source) == 0;
  bool fallBack = false;
  off_t inAt = 0;
  while (ok && inAt < source.st_size) {
    const ssize_t n = copy_file_range(in, &inAt, out, &outAt, static_cast<size_t>(source.st_size - inAt), 0);
    if (n > 0) continue;
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && inAt == 0 && (errno == ENOSYS || errno == EXDEV || errno == EINVAL || errno == EOPNOTSUPP)) {
      fallBack = true;
    }
    // A source that ends early (n == 0) was cut while being joined: that
    // is not a whole join either.
    ok = false;
  }
  close(in);
  if (close(out) != 0) ok = false;
  if (fallBack) return AppendFileInBlocks(to, from);
  return ok;
}
