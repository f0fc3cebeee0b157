#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <vector>

#include "log_platform.h"
#include "utf8.h"

namespace Utils::log::platform {

bool FormatLine(const wchar_t* format, va_list args, std::wstring* out) {
  // glibc's vswprintf has no counting mode: it fails when the buffer is too
  // small, so the buffer grows until the line fits. Lines are short; the
  // cap keeps a runaway argument from eating memory.
  constexpr size_t kMaxChars = size_t{1} << 24;
  std::vector<wchar_t> buffer(512);
  for (;;) {
    va_list copy;
    va_copy(copy, args);
    const int n = vswprintf(buffer.data(), buffer.size(), format, copy);
    va_end(copy);
    if (n >= 0) {
      out->assign(buffer.data(), static_cast<size_t>(n));
      return true;
    }
    if (buffer.size() >= kMaxChars) return false;
    buffer.resize(buffer.size() * 4);
  }
}

void EmitLine(const std::wstring& line) {
  const std::string bytes = WideToUtf8(line);
  // One write per line so that lines of concurrent threads stay whole; a
  // short write (a pipe with little room) is finished, not dropped.
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = write(STDERR_FILENO, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    p += n;
    left -= static_cast<size_t>(n);
  }
}

LogOrigin Now() {
  LogOrigin o;
  o.processId = static_cast<unsigned long>(getpid());
  o.threadId = static_cast<unsigned long>(syscall(SYS_gettid));
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  tm local{};
  localtime_r(&ts.tv_sec, &local);
  o.time.year = local.tm_year + 1900;
  o.time.month = local.tm_mon + 1;
  o.time.day = local.tm_mday;
  o.time.hour = local.tm_hour;
  o.time.minute = local.tm_min;
  o.time.second = local.tm_sec;
  o.time.millisecond = static_cast<int>(ts.tv_nsec / 1000000);
  return o;
}

}  // namespace Utils::log::platform
