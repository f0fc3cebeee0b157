#include "analytics_adapter.h"

#include <atomic>
#include <memory>
#include <mutex>

#include "analytics_tracker.h"
#include "app/installer_config.h"
#include "utils/log.h"
#include "utils/utf8.h"

namespace ta = tarvix::analytics;

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

// The one tracker of the process. Reports may come from any thread (the
// crash filter among them), so they take their own reference under the
// lock and report outside it; never destroyed, as a report may still come
// while the process exits.
struct Holder {
  std::mutex lock;
  std::shared_ptr<ta::AnalyticsTracker> tracker;  // lock
};
Holder& H() {
  static Holder* holder = new Holder;
  return *holder;
}

// The tracker, when the switch is on and one is held.
std::shared_ptr<ta::AnalyticsTracker> ActiveTracker() {
  if (!g_InstallerConfig.IsEnableAppSensors) return nullptr;
  std::lock_guard<std::mutex> lock(H().lock);
  return H().tracker;
}

// The caller's A/B value, attached to records of `type` when it is one.
// A malformed value is left out: the report itself still counts.
void ApplyAB(const AnalyticsProperties& extra, ta::KxEventType type,
             ta::KxContextProperties* context) {
  const auto it = extra.find(L"AB");
  if (it == extra.end()) return;
  const std::string value = Utils::WideToUtf8(it->second);
  try {
    if (ta::isValidABValue(value)) context->setProperty(ta::kABKey, value, {type});
  } catch (const std::exception& e) {
    UTILS_LOG(L"A/B value refused: %s", Utils::Utf8ToWide(e.what()).c_str());
  }
}

template <typename Call>
void WithTracker(Call call) {
  try {
    if (auto tracker = ActiveTracker()) call(*tracker);
  } catch (...) {
    // Analytics never stops the installer.
  }
}

}  // namespace

void SetObserver(Observer* observer) { g_observer.store(observer, std::memory_order_release); }

}  // namespace analytics_adapter

AnalyticsProperties ProductReportExtra() { return {{L"AB", L"IN"}}; }

using analytics_adapter::Notify;
using analytics_adapter::WithTracker;

void InitAnalytics() {
  try {
    const InstallerConfig& c = g_InstallerConfig;
    if (!c.IsEnableAppSensors) return;
    // A second call replaces the tracker: the old one must be gone before
    // the new one starts, as both share the process's one SDK.
    ShutdownAnalytics();
    ta::KxTrackerParams params;
    params.appName = Utils::WideToUtf8(c.AppName + c.DlAppNameSuffix);
    params.appVersion = Utils::WideToUtf8(c.AppVersion);
    params.appStore = Utils::WideToUtf8(c.ExeName);
    params.dlAppId = Utils::WideToUtf8(c.AppName);
    params.dlAppVersion = Utils::WideToUtf8(c.DlAppVersion);
    params.edition = 0;
    params.serverUrl = Utils::WideToUtf8(c.AnalyticsUrl);
    std::shared_ptr<ta::AnalyticsTracker> tracker = ta::CreateAnalyticsTracker(params);
    std::lock_guard<std::mutex> lock(analytics_adapter::H().lock);
    analytics_adapter::H().tracker = std::move(tracker);
  } catch (...) {
    // Without a tracker every report does nothing.
  }
}

void ShutdownAnalytics() {
  std::shared_ptr<ta::AnalyticsTracker> last;
  {
    std::lock_guard<std::mutex> lock(analytics_adapter::H().lock);
    last.swap(analytics_adapter::H().tracker);
  }
  // The shutdown sequence runs here, outside the lock, once the last
  // report in progress has let go of its reference.
  last.reset();
}

void ReportStep(const std::wstring& step, float elapsedSeconds, const std::wstring& detail,
                AnalyticsProperties extra) {
  Notify([&](analytics_adapter::Observer& o) { o.OnStep(step, elapsedSeconds, detail, extra); });
  WithTracker([&](ta::AnalyticsTracker& tracker) {
    ta::KxEventTask task;
    task.name = Utils::WideToUtf8(step);
    task.reason = Utils::WideToUtf8(detail);
    task.elapsed = std::make_shared<float>(elapsedSeconds);
    task.result = std::make_shared<ta::KxResult>(ta::Success);
    ta::KxContextProperties context;
    analytics_adapter::ApplyAB(extra, ta::Task, &context);
    tracker.trackTask(task, context);
  });
}

void ReportClick(const std::wstring& control, AnalyticsProperties extra) {
  Notify([&](analytics_adapter::Observer& o) { o.OnClick(control, extra); });
  WithTracker([&](ta::AnalyticsTracker& tracker) {
    ta::KxEventClick click;
    click.name = Utils::WideToUtf8(control);
    click.clickType = ta::Button;
    ta::KxContextProperties context;
    analytics_adapter::ApplyAB(extra, ta::Click, &context);
    tracker.trackClick(click, context);
  });
}

void ReportView(AnalyticsProperties extra) {
  Notify([&](analytics_adapter::Observer& o) { o.OnView(extra); });
  WithTracker([&](ta::AnalyticsTracker& tracker) {
    ta::KxEventView view;
    view.name = Utils::WideToUtf8(L"\u5b89\u88c5\u4e2d");  // 安装中
    ta::KxContextProperties context;
    analytics_adapter::ApplyAB(extra, ta::View, &context);
    tracker.trackView(view, context);
  });
}

void ReportCrash() {
  Notify([](analytics_adapter::Observer& o) { o.OnCrash(); });
  WithTracker([](ta::AnalyticsTracker& tracker) {
    tracker.trackCrash(Utils::WideToUtf8(L"\u5d29\u6e83"));  // 崩溃
  });
}
