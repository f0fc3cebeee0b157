// Captures trace lines for the lifetime of the object (a test seam of
// src/utils/log.h). Thread safe; install it before the threads under test
// start and let it go after they are joined.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "utils/log.h"

namespace quillon_test {

class LogCapture : public Utils::log::Sink {
 public:
  LogCapture() { Utils::log::SetSink(this); }
  ~LogCapture() override { Utils::log::SetSink(nullptr); }

  void Write(const std::wstring& line) override {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.push_back(line);
  }
  std::vector<std::wstring> Lines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
  }
  // The message part of each line: what follows the prefix's ": ", without "\r\n".
  std::vector<std::wstring> Messages() const {
    std::vector<std::wstring> out;
    for (const std::wstring& line : Lines()) {
      std::wstring::size_type at = line.find(L">: ");
      std::wstring m = at == std::wstring::npos ? line : line.substr(at + 3);
      if (m.size() >= 2 && m.compare(m.size() - 2, 2, L"\r\n") == 0) m.resize(m.size() - 2);
      out.push_back(m);
    }
    return out;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::wstring> lines_;
};

class FixedOrigin : public Utils::log::OriginSource {
 public:
  explicit FixedOrigin(Utils::LogOrigin origin) : origin_(origin) {
    Utils::log::SetOriginSource(this);
  }
  ~FixedOrigin() override { Utils::log::SetOriginSource(nullptr); }
  Utils::LogOrigin Now() override { return origin_; }

 private:
  Utils::LogOrigin origin_;
};

}  // namespace quillon_test
