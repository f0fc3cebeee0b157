#include "collector_process.h"

#include <cstdlib>
#include <sstream>
#include <thread>

namespace quillon_test {

CollectorProcess::CollectorProcess(const std::string& program, const std::vector<std::string>& flags) {
  const std::string portFile = (folder_ / "port").u8string();
  std::vector<std::string> args = {"--port", "0", "--port-file", portFile, "--time-limit", "120"};
  args.insert(args.end(), flags.begin(), flags.end());
  child_ = std::make_unique<ChildProcess>(program, args, (folder_ / "stdout").u8string(),
                                          (folder_ / "stderr").u8string());
  if (!child_->started()) return;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    const std::string text = ReadBytes(folder_ / "port");
    if (!text.empty() && text.back() == '\n') {
      port_ = std::atoi(text.c_str());
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

CollectorProcess::~CollectorProcess() { child_.reset(); }

std::string CollectorProcess::url() const {
  return "http://127.0.0.1:" + std::to_string(port_) + "/sa?project=pc";
}

std::vector<std::string> CollectorProcess::Records() const {
  std::vector<std::string> lines;
  std::istringstream in(ReadBytes(folder_ / "stdout"));
  std::string line;
  // Only whole lines: the last one may still be on its way.
  while (std::getline(in, line)) {
    if (in.eof()) break;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> CollectorProcess::WaitForRecords(size_t count, std::chrono::milliseconds limit) const {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  std::vector<std::string> lines = Records();
  while (lines.size() < count && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    lines = Records();
  }
  return lines;
}

std::string CollectorProcess::Errors() const {
  if (!child_ || !child_->started()) return "the collector program could not be started";
  return ReadBytes(folder_ / "stderr");
}

}  // namespace quillon_test
