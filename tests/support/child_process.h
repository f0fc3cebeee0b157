// A program that a test starts and always ends: the destructor kills the
// child by its id and reaps it. Standard output goes to a file the test
// can read while the child runs.
#pragma once

#include <string>
#include <vector>

namespace quillon_test {

class ChildProcess {
 public:
  // Standard error goes to `stderrPath` when one is given, else to ours.
  ChildProcess(const std::string& program, const std::vector<std::string>& args, const std::string& stdoutPath,
               const std::string& stderrPath = "");
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return id_ != 0; }
  unsigned long id() const { return id_; }
  // Kills and reaps the child now (idempotent).
  void Kill();

 private:
  unsigned long id_ = 0;
  void* handle_ = nullptr;  // the process handle on Windows
};

// Ends a process the test did not start itself (a package's descendant,
// say) by its id. Not reaped here: it is not this process's child.
void KillProcessById(unsigned long id);

}  // namespace quillon_test
