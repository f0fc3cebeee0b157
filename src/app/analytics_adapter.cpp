#include "analytics_adapter.h"

#include <atomic>

namespace analytics_adapter {
namespace {
std::atomic<Observer*> g_observer{nullptr};

template <typename Call>
void Notify(Call call) {
  try {
    if (auto* observer = g_observer.load(std::memory_order_acquire)) call(*observer);
  } catch (...) {
    // A report never changes what the reporting code does.
  }
}
}  // namespace

void SetObserver(Observer* observer) { g_observer.store(observer, std::memory_order_release); }

}  // namespace analytics_adapter

// The tracker behind these is not wired in yet; until then reports reach
// the observers only.
void InitAnalytics() {}
void ShutdownAnalytics() {}

void ReportStep(const std::wstring& step, float elapsedSeconds, const std::wstring& detail,
                AnalyticsProperties extra) {
  analytics_adapter::Notify([&](analytics_adapter::Observer& o) {
    o.OnStep(step, elapsedSeconds, detail, extra);
  });
}

void ReportClick(const std::wstring& control, AnalyticsProperties extra) {
  analytics_adapter::Notify([&](analytics_adapter::Observer& o) { o.OnClick(control, extra); });
}

void ReportView(AnalyticsProperties extra) {
  analytics_adapter::Notify([&](analytics_adapter::Observer& o) { o.OnView(extra); });
}

void ReportCrash() {
  analytics_adapter::Notify([](analytics_adapter::Observer& o) { o.OnCrash(); });
}
