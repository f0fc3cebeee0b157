#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
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

bool CanBrowseForFolder() { return OnPath("zenity") || OnPath("kdialog"); }

bool BrowseForFolder(void* /*owner*/, const std::wstring& title, const std::wstring& start, std::wstring* folder,
                     const std::function<bool()>& pump) {
  // Made before the fork: the child only calls exec.
  const std::string titleText = Utils::WideToUtf8(title);
  std::string startDir = Utils::WideToUtf8(start);
  if (!startDir.empty() && startDir.back() != '/') startDir += '/';
  std::vector<std::string> argv;
  if (OnPath("zenity")) {
    argv = {"zenity", "--file-selection", "--directory", "--title=" + titleText};
    if (!startDir.empty()) argv.push_back("--filename=" + startDir);
  } else if (OnPath("kdialog")) {
    argv = {"kdialog", "--title", titleText, "--getexistingdirectory", startDir.empty() ? std::string("/") : startDir};
  } else {
    return false;
  }
  std::vector<char*> args;
  for (std::string& a : argv) args.push_back(a.data());
  args.push_back(nullptr);
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return false;
  const pid_t child = fork();
  if (child < 0) {
    close(out[0]);
    close(out[1]);
    return false;
  }
  if (child == 0) {
    dup2(out[1], 1);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(out[1]);
  fcntl(out[0], F_SETFL, fcntl(out[0], F_GETFL) | O_NONBLOCK);
  // The window keeps painting and its timers keep running while the
  // chooser is open: the loop turns here until the child ends.
  std::string chosen;
  auto drain = [&] {
    char buffer[4096];
    for (;;) {
      const ssize_t n = read(out[0], buffer, sizeof buffer);
      if (n > 0 && chosen.size() < 65536) chosen.append(buffer, static_cast<size_t>(n));  // no path is longer
      if (n <= 0 && !(n < 0 && errno == EINTR)) break;
    }
  };
  bool exited = false, gaveUp = false;
  int status = 0;
  while (!exited) {
    drain();
    const pid_t done = waitpid(child, &status, WNOHANG);
    if (done == child || (done < 0 && errno != EINTR)) {
      exited = true;
      break;
    }
    if (!pump || !pump()) {
      gaveUp = true;
      kill(child, SIGTERM);
      while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
      }
      exited = true;
    }
  }
  drain();  // what the child wrote just before it ended
  close(out[0]);
  while (!chosen.empty() && (chosen.back() == '\n' || chosen.back() == '\r')) chosen.pop_back();
  if (gaveUp || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || chosen.empty() || chosen[0] != '/') return false;
  *folder = Utils::Utf8ToWide(chosen);
  return true;
}

}  // namespace ShellActions
