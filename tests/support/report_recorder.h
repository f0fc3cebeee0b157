// Captures the installer's step reports for the lifetime of the object.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "app/analytics_adapter.h"

namespace quillon_test {

struct StepReport {
  std::wstring step;
  float elapsed;
  std::wstring detail;
  AnalyticsProperties extra;
};

class ReportRecorder : public analytics_adapter::Observer {
 public:
  ReportRecorder() { analytics_adapter::SetObserver(this); }
  ~ReportRecorder() override { analytics_adapter::SetObserver(nullptr); }
  void OnStep(const std::wstring& step, float elapsed, const std::wstring& detail,
              const AnalyticsProperties& extra) override {
    std::lock_guard<std::mutex> lock(mutex_);
    steps_.push_back({step, elapsed, detail, extra});
  }
  std::vector<StepReport> Steps() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return steps_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<StepReport> steps_;
};

}  // namespace quillon_test
