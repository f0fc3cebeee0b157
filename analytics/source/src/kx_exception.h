// The one error type inside the tracker. It never leaves analytics: the
// wrapper and the factory swallow it, so a fault in reporting can never
// stop an installation.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace tarvix {
namespace analytics {

class KxException : public std::exception {
 public:
  KxException(std::string message, std::string file, std::string function, int line)
      : message_(std::move(message)),
        file_(std::move(file)),
        function_(std::move(function)),
        line_(line) {}

  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& message() const { return message_; }
  // The implementing source ("AnalyticsTrackerImpl", "KxContextProperties", ...).
  const std::string& file() const { return file_; }
  const std::string& function() const { return function_; }
  int line() const { return line_; }
  int code() const { return code_; }
  int subCode() const { return subCode_; }

 private:
  std::string message_;
  std::string file_;
  std::string function_;
  int line_;
  int code_ = -1;
  int subCode_ = -1;
};

}  // namespace analytics
}  // namespace tarvix

#define KX_THROW(file, function, message) \
  throw ::tarvix::analytics::KxException((message), (file), (function), __LINE__)
