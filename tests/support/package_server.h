// The package server (tests/fixtures/pkgserver) started for one test on a
// file the test wrote, with the faults the test asks for. Ended (killed by id) with the object.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "child_process.h"
#include "scratch_dir.h"

namespace quillon_test {

struct ServedRequest {
  std::string method;
  std::string path;
  std::string range;  // the Range header, "-" when absent
  std::string target;  // the request target as sent, before any decoding
  std::string ifRange = "-";  // the If-Range header, "-" when absent
};

class PackageServer {
 public:
  // Serves `bytes` as `fileName` with pkgserver's `flags`.
  PackageServer(const std::string& fileName, const std::string& bytes, std::vector<std::string> flags = {});

  bool ready() const { return port_ > 0; }
  int port() const { return port_; }
  // "http://127.0.0.1:<port>" + path
  std::string Url(const std::string& path) const;
  // The short address that redirects to FinalPath().
  std::string ShortUrl() const { return Url("/software/381"); }
  const std::string& FinalPath() const { return finalPath_; }
  const std::string& Md5() const { return md5_; }
  // Every request so far, in arrival order.
  std::vector<ServedRequest> Requests() const;
  std::vector<ServedRequest> Requests(const std::string& method) const;

 private:
  ScratchDir dir_;
  std::unique_ptr<ChildProcess> child_;
  int port_ = 0;
  std::string finalPath_;
  std::string md5_;
};

}  // namespace quillon_test
