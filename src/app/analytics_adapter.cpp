#include "analytics_adapter.h"

#include <atomic>

namespace analytics_adapter {
namespace {
std::atomic<Observer*> g_observer{nullptr};
}  // namespace

void SetObserver(Observer* observer) { g_observer.store(observer, std::memory_order_release); }

}  // namespace analytics_adapter

void ReportStep(const std::wstring& step, float elapsedSeconds, const std::wstring& detail,
                AnalyticsProperties extra) {
  try {
    if (auto* observer = analytics_adapter::g_observer.load(std::memory_order_acquire)) {
      observer->OnStep(step, elapsedSeconds, detail, extra);
    }
  } catch (...) {
    // A report never changes what the reporting code does.
  }
}
