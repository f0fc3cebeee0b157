#include "error_log.h"

#include <atomic>
#include <cstdio>

namespace analytics_sdk {
namespace {

std::atomic<ErrorSink*> g_sink{nullptr};

}  // namespace

void SetErrorSink(ErrorSink* sink) { g_sink.store(sink, std::memory_order_release); }

void LogError(const std::string& message) {
  try {
    if (ErrorSink* sink = g_sink.load(std::memory_order_acquire)) {
      sink->Write(message);
      return;
    }
    // stdio rather than std::cerr: one locked call per line, and stderr
    // stays usable from threads that outlive static destruction.
    std::string line = message + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
  } catch (...) {
    // A diagnostic never changes what the caller does.
  }
}

}  // namespace analytics_sdk
