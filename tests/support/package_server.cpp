#include "package_server.h"

#include <chrono>
#include <thread>

namespace quillon_test {
PackageServer::PackageServer(const std::string& fileName, const std::string& bytes, std::vector<std::string> flags) {
  WriteBytes(dir_ / fileName, bytes);
  std::vector<std::string> args = {"--file", (dir_ / fileName).u8string(), "--port-file", (dir_ / "port").u8string(),
                                   "--time-limit", "300"};
  args.insert(args.end(), flags.begin(), flags.end());
  child_ = std::make_unique<ChildProcess>(BuiltProgram(L"tools", L"pkgserver").u8string(), args, (dir_ / "requests.log").u8string());
  if (!child_->started()) return;
  // Bounded: a server that never comes up fails the test, it does not hang it.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < deadline) {
    for (const auto& f : TabLines(ReadBytes(dir_ / "requests.log"))) {
      if (f.size() >= 4 && f[0] == "file") {
        finalPath_ = f[1];
        md5_ = f[3];
      }
    }
    const std::string port = ReadBytes(dir_ / "port");
    if (!port.empty() && port.back() == '\n' && !finalPath_.empty()) {
      port_ = std::stoi(port);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

std::string PackageServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<ServedRequest> PackageServer::Requests() const {
  std::vector<ServedRequest> out;
  for (const auto& f : TabLines(ReadBytes(dir_ / "requests.log"))) {
    if (f.size() >= 5 && f[0] == "request") out.push_back({f[1], f[2], f[3], f[4], f.size() > 5 ? f[5] : "-"});
  }
  return out;
}

std::vector<ServedRequest> PackageServer::Requests(const std::string& method) const {
  std::vector<ServedRequest> out;
  for (const auto& r : Requests()) {
    if (r.method == method) out.push_back(r);
  }
  return out;
}

}  // namespace quillon_test
