#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "child_process.h"

extern char** environ;

namespace quillon_test {

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::string& stdoutPath, const std::string& stderrPath) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (!stderrPath.empty()) {
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  }
  pid_t pid = 0;
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) id_ = static_cast<unsigned long>(pid);
  posix_spawn_file_actions_destroy(&actions);
}

ChildProcess::~ChildProcess() { Kill(); }

void ChildProcess::Kill() {
  if (!id_) return;
  kill(static_cast<pid_t>(id_), SIGKILL);
  int status = 0;
  waitpid(static_cast<pid_t>(id_), &status, 0);
  id_ = 0;
}

void KillProcessById(unsigned long id) {
  if (id != 0) kill(static_cast<pid_t>(id), SIGKILL);
}

}  // namespace quillon_test
