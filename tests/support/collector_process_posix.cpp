#include "collector_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace quillon_test {
namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

CollectorProcess::CollectorProcess(const std::string& program, const std::vector<std::string>& flags) {
  char pattern[] = "/tmp/quillon-collector-XXXXXX";
  if (!mkdtemp(pattern)) return;
  folder_ = pattern;
  const std::string portFile = folder_ + "/port";
  std::vector<std::string> args = {program, "--port", "0", "--port-file", portFile, "--time-limit", "120"};
  args.insert(args.end(), flags.begin(), flags.end());
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, (folder_ + "/stdout").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, (folder_ + "/stderr").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return;
  pid_ = pid;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    const std::string text = ReadFile(portFile);
    if (!text.empty()) {
      port_ = std::atoi(text.c_str());
      return;
    }
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

CollectorProcess::~CollectorProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (!folder_.empty()) {
    for (const char* name : {"/port", "/stdout", "/stderr"}) unlink((folder_ + name).c_str());
    rmdir(folder_.c_str());
  }
}

std::string CollectorProcess::url() const {
  return "http://127.0.0.1:" + std::to_string(port_) + "/sa?project=pc";
}

std::vector<std::string> CollectorProcess::Records() const {
  std::vector<std::string> lines;
  std::istringstream in(ReadFile(folder_ + "/stdout"));
  std::string line;
  // Only whole lines: the last one may still be on its way.
  while (std::getline(in, line)) {
    if (in.eof()) break;
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> CollectorProcess::WaitForRecords(size_t count,
                                                          std::chrono::milliseconds limit) const {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  std::vector<std::string> lines = Records();
  while (lines.size() < count && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    lines = Records();
  }
  return lines;
}

std::string CollectorProcess::Errors() const { return ReadFile(folder_ + "/stderr"); }

}  // namespace quillon_test
