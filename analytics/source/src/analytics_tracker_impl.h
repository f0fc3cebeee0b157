// The tracker itself: init (checks, identity, SDK, common properties),
// the track operations and the submissions that decide when queued records
// are posted, and the shutdown sequence in the destructor.
//
// Ownership and threads: owns its logger and context. Track operations run
// on any thread. A submission that cannot run on the caller's thread runs
// on a detached thread that holds a shared reference to the submission
// state and touches nothing else of the tracker, so it may outlive the
// tracker (and run while the process exits) safely; the destructor waits
// a bounded time for such threads before it flushes.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "analytics_state.h"
#include "analytics_tracker.h"

namespace tarvix {
namespace analytics {

class NativeTrackLogger : public TrackLogger {
 public:
  NativeTrackLogger() = default;
  ~NativeTrackLogger() override;
  NativeTrackLogger(const NativeTrackLogger&) = delete;
  NativeTrackLogger& operator=(const NativeTrackLogger&) = delete;
  // Opens (creating it empty when missing) the log file for appending.
  bool open(const std::string& path) override;
  void close() override;

 private:
  void* file_ = nullptr;  // FILE*
};

struct SubmissionState;

class AnalyticsTrackerImpl : public AnalyticsTracker {
 public:
  // Where the analytics files go for an appName; tests point it elsewhere.
  using PathResolver = std::function<AnalyticsPaths(const std::string& appName)>;

  explicit AnalyticsTrackerImpl(KxTrackerParams params, PathResolver resolvePaths = nullptr);
  ~AnalyticsTrackerImpl() override;
  AnalyticsTrackerImpl(const AnalyticsTrackerImpl&) = delete;
  AnalyticsTrackerImpl& operator=(const AnalyticsTrackerImpl&) = delete;

  // Raises KxException when a required param is empty or the SDK refuses.
  void init();

  void trackActivity(const KxEventOther&, const KxContextProperties&) override {}
  void trackLaunch(const KxEventOther&, const KxContextProperties&) override {}
  void trackLogin(const KxEventOther&, const KxContextProperties&) override {}
  void trackClick(const KxEventClick& click, const KxContextProperties& context) override;
  void trackView(const KxEventView& view, const KxContextProperties& context) override;
  void trackCashier(const KxEventOther&, const KxContextProperties&) override {}
  void trackShare(const KxEventOther&, const KxContextProperties&) override {}
  void trackTask(const KxEventTask& task, const KxContextProperties& context) override;
  void trackFile(const KxEventOther&, const KxContextProperties&) override {}
  void trackOrder(const KxEventOther&, const KxContextProperties&) override {}
  void trackPayment(const KxEventOther&, const KxContextProperties&) override {}
  void trackUninstall(const KxEventOther&, const KxContextProperties&) override {}
  void trackCrash(const std::string& reason) override;
  void trackUpdate(const KxEventOther&, const KxContextProperties&) override {}
  void trackAppOpenNotification(const KxEventOther&, const KxContextProperties&) override {}
  // Replaces kx_l10n_locale on later records.
  void setLocale(const std::string& locale) override;
  std::string getPrimaryDistinctId() override;
  TrackLogger* getLogger() override { return logger_.get(); }

  // Tests: submissions since the last successful flush.
  int pendingForTest() const;
  // Tests: returns once the submissions running on their own threads have
  // ended (bounded as the destructor's wait is).
  void waitIdleForTest() const;
  const AnalyticsPaths& pathsForTest() const { return paths_; }

 private:
  struct TrackerContext {
    bool isLogined = false;
    std::string userId;
    std::string distinctId;
    std::string primaryDistinctId;
    int userVipLevel = 0;
    std::string logPath;
    std::string url;  // the collector these ids belong to
  };
  enum Mode { kCount = 0, kFlush = 1 };
  void Submit(Mode mode);
  AnalyticsIdentity Identity() const;

  const KxTrackerParams params_;
  const PathResolver resolvePaths_;
  AnalyticsPaths paths_;  // set by init
  std::unique_ptr<TrackerContext> context_;
  std::unique_ptr<NativeTrackLogger> logger_;
  const std::shared_ptr<SubmissionState> submission_;
};

}  // namespace analytics
}  // namespace tarvix
