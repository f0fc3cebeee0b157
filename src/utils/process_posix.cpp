#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "cmdline.h"
#include "process.h"
#include "utf8.h"

extern char** environ;

namespace Utils {
namespace {

void CloseIfSet(std::intptr_t* fd) {
  if (*fd != AnonymousPipe::kNoHandle) {
    close(static_cast<int>(*fd));
    *fd = AnonymousPipe::kNoHandle;
  }
}

}  // namespace

// Both ends are close-on-exec: a child gets only the ends that are placed
// on its standard handles, so no other child can hold a pipe open.
void AnonymousPipe::Create() {
  Close();
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) throw Exception("pipe2", LastSystemError());
  read_ = fds[0];
  write_ = fds[1];
}

void AnonymousPipe::CloseRead() { CloseIfSet(&read_); }
void AnonymousPipe::CloseWrite() { CloseIfSet(&write_); }

void AnonymousPipe::KeepFromChildren(Handle end) {
  if (end != kNoHandle) fcntl(static_cast<int>(end), F_SETFD, FD_CLOEXEC);
}

void PipedProcess::Start(const std::wstring& commandLine) { Start(commandLine, AnonymousPipe::kNoHandle); }

void PipedProcess::Start(const std::wstring& commandLine, std::intptr_t image) {
  if (commandLine.size() >= kCommandLineCapacity) throw Exception("command line of 1024 characters or more");
  if (processId_ != 0) throw Exception("a child was started already");
  const std::vector<std::wstring> tokens = SplitCommandLine(commandLine);
  if (tokens.empty() || tokens[0].empty()) throw Exception("no program in the command line");
  commandLine_ = commandLine;

  std::vector<std::string> args;
  for (const std::wstring& t : tokens) args.push_back(WideToUtf8(t));
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  argv.push_back(nullptr);

  output_.Create();
  input_.Create();
  output_.KeepFromChildren(output_.ReadEnd());
  input_.KeepFromChildren(input_.WriteEnd());

  posix_spawn_file_actions_t actions;
  // The posix_spawn family answers its error instead of setting errno.
  if (const int error = posix_spawn_file_actions_init(&actions)) {
    CloseAll();
    throw Exception("posix_spawn_file_actions_init", static_cast<uint32_t>(error));
  }
  // dup2 clears close-on-exec on the copies, so exactly these reach the child.
  posix_spawn_file_actions_adddup2(&actions, static_cast<int>(input_.ReadEnd()), 0);
  posix_spawn_file_actions_adddup2(&actions, static_cast<int>(output_.WriteEnd()), 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  // A Windows child starts with nothing blocked or ignored; ours too, whatever
  // this process did with its own signals.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t all, none;
  sigfillset(&all);
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  pid_t pid = 0;
  // The child has its own copy of the descriptor table until it executes,
  // so its /proc/self/fd names the same open file.
  const std::string imagePath = "/proc/self/fd/" + std::to_string(image);
  const int rc = image != AnonymousPipe::kNoHandle
                     ? posix_spawn(&pid, imagePath.c_str(), &actions, &attributes, argv.data(), environ)
                     : posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  output_.CloseWrite();
  input_.CloseRead();
  if (rc != 0) {
    CloseAll();
    throw Exception(image != AnonymousPipe::kNoHandle ? "posix_spawn" : "posix_spawnp", static_cast<uint32_t>(rc));
  }
  processId_ = static_cast<uint32_t>(pid);
  reaped_ = false;
  exitCode_ = kStillActive;
}

bool PipedProcess::ReadOutput(void* buffer, size_t size, size_t* got) {
  *got = 0;
  if (output_.ReadEnd() == AnonymousPipe::kNoHandle || size == 0) return false;
  for (;;) {
    const ssize_t n = read(static_cast<int>(output_.ReadEnd()), buffer, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    *got = static_cast<size_t>(n);
    return true;
  }
}

PipedProcess::ReadStatus PipedProcess::ReadOutputFor(void* buffer, size_t size, size_t* got,
                                                  uint32_t milliseconds) {
  *got = 0;
  if (output_.ReadEnd() == AnonymousPipe::kNoHandle || size == 0) return ReadStatus::kEnded;
  struct pollfd one = {static_cast<int>(output_.ReadEnd()), POLLIN, 0};
  const int timeout = milliseconds > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(milliseconds);
  const int ready = poll(&one, 1, timeout);
  if (ready < 0) return errno == EINTR ? ReadStatus::kNothing : ReadStatus::kEnded;
  if (ready == 0) return ReadStatus::kNothing;
  // Readable or hung up: either way read() answers at once.
  return ReadOutput(buffer, size, got) ? ReadStatus::kData : ReadStatus::kEnded;
}

namespace {

uint32_t CodeOf(int status) {
  if (WIFEXITED(status)) return static_cast<uint32_t>(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return 128u + static_cast<uint32_t>(WTERMSIG(status));
  return PipedProcess::kStillActive;
}

}  // namespace

uint32_t PipedProcess::ExitCode() {
  if (processId_ == 0 || reaped_) return exitCode_;
  int status = 0;
  const pid_t r = waitpid(static_cast<pid_t>(processId_), &status, WNOHANG);
  if (r == static_cast<pid_t>(processId_)) {
    reaped_ = true;
    exitCode_ = CodeOf(status);
  }
  return exitCode_;
}

uint32_t PipedProcess::Wait() {
  if (processId_ == 0 || reaped_) return exitCode_;
  int status = 0;
  pid_t r;
  do {
    r = waitpid(static_cast<pid_t>(processId_), &status, 0);
  } while (r < 0 && errno == EINTR);
  if (r == static_cast<pid_t>(processId_)) {
    reaped_ = true;
    exitCode_ = CodeOf(status);
  }
  return exitCode_;
}

bool PipedProcess::WaitFor(uint32_t milliseconds, uint32_t* code) {
  if (processId_ == 0) return false;
  struct timespec start;
  clock_gettime(CLOCK_MONOTONIC, &start);
  for (;;) {
    ExitCode();
    if (reaped_) {
      *code = exitCode_;
      return true;
    }
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    const long long elapsed =
        (now.tv_sec - start.tv_sec) * 1000LL + (now.tv_nsec - start.tv_nsec) / 1000000;
    if (elapsed >= milliseconds) return false;
    struct timespec pause = {0, 5 * 1000 * 1000};
    nanosleep(&pause, nullptr);
  }
}

bool PipedProcess::Terminate() {
  if (processId_ == 0 || reaped_) return false;
  return kill(static_cast<pid_t>(processId_), SIGKILL) == 0;
}

void PipedProcess::CloseAll() {
  output_.Close();
  input_.Close();
}

}  // namespace Utils
