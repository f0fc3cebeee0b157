// The tracker the installer holds: typed events in, SDK records out.
//
// AnalyticsTracker is the interface; AnalyticsTrackerWrapper (what the rest
// of the program holds) swallows every exception of the implementation, so
// that analytics can never stop the installer. CreateAnalyticsTracker makes
// the whole stack.
//
// Threads: the track operations may be called from any thread; the
// tracker is created and destroyed on one thread while no other calls in.
#pragma once

#include <memory>
#include <string>

#include "kx_context_properties.h"
#include "kx_events.h"
#include "kx_tracker_params.h"

namespace tarvix {
namespace analytics {

// The tracker's own log file. The installer writes no lines to it.
class TrackLogger {
 public:
  virtual ~TrackLogger() = default;
  virtual bool open(const std::string& path) = 0;
  virtual void close() = 0;
};

// Events this installer never sends carry only a name; the tracker accepts
// and ignores them.
struct KxEventOther {
  std::string name;
};

class AnalyticsTracker {
 public:
  virtual ~AnalyticsTracker() = default;
  virtual void trackActivity(const KxEventOther& event, const KxContextProperties& context) = 0;
  virtual void trackLaunch(const KxEventOther& event, const KxContextProperties& context) = 0;
  virtual void trackLogin(const KxEventOther& event, const KxContextProperties& context) = 0;
  virtual void trackClick(const KxEventClick& click, const KxContextProperties& context) = 0;
  virtual void trackView(const KxEventView& view, const KxContextProperties& context) = 0;
  virtual void trackCashier(const KxEventOther& event, const KxContextProperties& context) = 0;
  virtual void trackShare(const KxEventOther& event, const KxContextProperties& context) = 0;
  virtual void trackTask(const KxEventTask& task, const KxContextProperties& context) = 0;
  virtual void trackFile(const KxEventOther& event, const KxContextProperties& context) = 0;
  virtual void trackOrder(const KxEventOther& event, const KxContextProperties& context) = 0;
  virtual void trackPayment(const KxEventOther& event, const KxContextProperties& context) = 0;
  virtual void trackUninstall(const KxEventOther& event, const KxContextProperties& context) = 0;
  virtual void trackCrash(const std::string& reason) = 0;
  virtual void trackUpdate(const KxEventOther& event, const KxContextProperties& context) = 0;
  virtual void trackAppOpenNotification(const KxEventOther& event,
                                        const KxContextProperties& context) = 0;
  virtual void setLocale(const std::string& locale) = 0;
  virtual std::string getPrimaryDistinctId() = 0;
  virtual TrackLogger* getLogger() = 0;
};

// Forwards to the implementation inside a catch-all; a swallowed failure
// prints "Failed to <operation>" on standard output when the
// implementation has a logger.
class AnalyticsTrackerWrapper : public AnalyticsTracker {
 public:
  explicit AnalyticsTrackerWrapper(std::unique_ptr<AnalyticsTracker> impl);
  ~AnalyticsTrackerWrapper() override;

  void trackActivity(const KxEventOther& event, const KxContextProperties& context) override;
  void trackLaunch(const KxEventOther& event, const KxContextProperties& context) override;
  void trackLogin(const KxEventOther& event, const KxContextProperties& context) override;
  void trackClick(const KxEventClick& click, const KxContextProperties& context) override;
  void trackView(const KxEventView& view, const KxContextProperties& context) override;
  void trackCashier(const KxEventOther& event, const KxContextProperties& context) override;
  void trackShare(const KxEventOther& event, const KxContextProperties& context) override;
  void trackTask(const KxEventTask& task, const KxContextProperties& context) override;
  void trackFile(const KxEventOther& event, const KxContextProperties& context) override;
  void trackOrder(const KxEventOther& event, const KxContextProperties& context) override;
  void trackPayment(const KxEventOther& event, const KxContextProperties& context) override;
  void trackUninstall(const KxEventOther& event, const KxContextProperties& context) override;
  void trackCrash(const std::string& reason) override;
  void trackUpdate(const KxEventOther& event, const KxContextProperties& context) override;
  void trackAppOpenNotification(const KxEventOther& event,
                                const KxContextProperties& context) override;
  void setLocale(const std::string& locale) override;
  std::string getPrimaryDistinctId() override;
  TrackLogger* getLogger() override { return nullptr; }

 private:
  template <typename Call>
  void Guard(const char* operation, Call call);

  std::unique_ptr<AnalyticsTracker> impl_;
};

// The implementation from `params`, initialised (a failed init is ignored:
// the tracker stays usable and its records go nowhere), wrapped. Never
// throws KxException.
std::shared_ptr<AnalyticsTracker> CreateAnalyticsTracker(const KxTrackerParams& params);

// The collector used when the params name none.
extern const char kDefaultServerUrl[];

}  // namespace analytics
}  // namespace tarvix
