// The SDK's error stream: one message per call, to standard error unless a
// sink is installed. In the installer (a GUI process) standard error goes
// nowhere, so nothing may depend on these messages; they are for developers
// and tests.
#pragma once

#include <string>

namespace analytics_sdk {

class ErrorSink {
 public:
  virtual ~ErrorSink() = default;
  // Called from any thread, possibly concurrently.
  virtual void Write(const std::string& message) = 0;
};

// Test seam: install before the threads under test start, remove (nullptr)
// after they are done; the sink must outlive its installation.
void SetErrorSink(ErrorSink* sink);

// Writes `message` and a line feed as one unit, so lines from different
// threads do not mix.
void LogError(const std::string& message);

}  // namespace analytics_sdk
