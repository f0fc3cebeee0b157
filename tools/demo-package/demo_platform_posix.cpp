#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "demo_platform.h"
#include "utils/utf8.h"

extern char** environ;

namespace demo {

void Initialise() { signal(SIGPIPE, SIG_IGN); }

bool WriteOut(const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(STDOUT_FILENO, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

void SleepMilliseconds(unsigned milliseconds) {
  struct timespec pause = {static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
  }
}

unsigned long CurrentProcessId() { return static_cast<unsigned long>(getpid()); }

void Crash() {
  struct rlimit none = {0, 0};
  setrlimit(RLIMIT_CORE, &none);
  signal(SIGSEGV, SIG_DFL);
  raise(SIGSEGV);
  _exit(139);
}

bool StartInheritingChild(const std::vector<std::wstring>& arguments) {
  if (arguments.empty()) return false;
  std::vector<std::string> args;
  for (const std::wstring& a : arguments) args.push_back(Utils::WideToUtf8(a));
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  pid_t pid = 0;
  // Standard output is not close-on-exec, so the descendant holds it.
  return posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0;
}

}  // namespace demo
