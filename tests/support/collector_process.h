// Runs the collector (tests/fixtures/collector) as a child process on a
// loopback port it picks, for tests and benchmarks. The child's standard output and error go to
// files in a private folder, read back on request.
//
// Ownership: the object owns the child; the destructor ends it by its id
// and waits for it. One thread uses the object.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "child_process.h"
#include "scratch_dir.h"

namespace quillon_test {

// A loopback address where nothing listens: posts fail at once.
inline constexpr char kUnreachableCollector[] = "http://127.0.0.1:1/sa?project=pc";

inline std::string CollectorProgram() { return BuiltProgram(L"tools", L"collector").u8string(); }

class CollectorProcess {
 public:
  // `program` is the collector's path; `flags` are added to
  // --port 0 --port-file F --time-limit 120. Waits up to ten seconds for the
  // port; started() tells whether it came.
  CollectorProcess(const std::string& program, const std::vector<std::string>& flags = {});
  ~CollectorProcess();
  CollectorProcess(const CollectorProcess&) = delete;
  CollectorProcess& operator=(const CollectorProcess&) = delete;

  bool started() const { return port_ > 0; }
  int port() const { return port_; }
  std::string url() const;  // http://127.0.0.1:PORT/sa?project=pc

  // The record lines printed so far.
  std::vector<std::string> Records() const;
  // Waits until at least `count` record lines were printed or `limit`
  // passed; returns the lines printed by then.
  std::vector<std::string> WaitForRecords(size_t count,
                                          std::chrono::milliseconds limit = std::chrono::seconds(10)) const;
  std::string Errors() const;

 private:
  ScratchDir folder_;
  std::unique_ptr<ChildProcess> child_;
  int port_ = 0;
};

}  // namespace quillon_test
