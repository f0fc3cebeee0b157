#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "ui/shell.h"
#include "utils/utf8.h"

namespace ShellActions {
namespace {

// Starts argv detached (grandchild of a child that is reaped at once), so
// no zombie remains and the installer never waits for what it started.
void SpawnDetached(const std::vector<std::string>& argv, const std::string& folder) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const pid_t child = fork();
  if (child < 0) return;
  if (child == 0) {
    setsid();
    if (fork() == 0) {
      const int null = open("/dev/null", O_RDWR);
      if (null >= 0) {
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
      }
      if (!folder.empty() && chdir(folder.c_str()) != 0) _exit(127);
      execvp(args[0], args.data());
      _exit(127);
    }
    _exit(0);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
}

bool OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  if (!path) return false;
  std::string all = path;
  size_t start = 0;
  while (start <= all.size()) {
    const size_t end = all.find(':', start);
    const std::string dir = all.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0) return true;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return false;
}

}  // namespace

void Open(const std::wstring& target, const std::wstring& folder, bool /*maximised*/) {
  const std::string t = Utils::WideToUtf8(target);
  if (IsUrl(target))
    SpawnDetached({"xdg-open", t}, "");
  else
    SpawnDetached({t}, Utils::WideToUtf8(folder));
}

bool BrowseForFolder(void* /*owner*/, const std::wstring& title, std::wstring* folder) {
  if (!OnPath("zenity")) return false;
  // Made before the fork: the child only calls exec.
  const std::string titleArg = "--title=" + Utils::WideToUtf8(title);
  int out[2];
  if (pipe(out) != 0) return false;
  const pid_t child = fork();
  if (child < 0) {
    close(out[0]);
    close(out[1]);
    return false;
  }
  if (child == 0) {
    dup2(out[1], 1);
    close(out[0]);
    close(out[1]);
    execlp("zenity", "zenity", "--file-selection", "--directory", titleArg.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  std::string chosen;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(out[0], buffer, sizeof buffer);
    if (n > 0) {
      chosen.append(buffer, static_cast<size_t>(n));
      if (chosen.size() > 65536) break;  // no folder path is that long
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    break;
  }
  close(out[0]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  while (!chosen.empty() && (chosen.back() == '\n' || chosen.back() == '\r')) chosen.pop_back();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || chosen.empty() || chosen[0] != '/') return false;
  *folder = Utils::Utf8ToWide(chosen);
  return true;
}

}  // namespace ShellActions
