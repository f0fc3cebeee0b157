#include "analytics_tracker_impl.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "common_properties.h"
#include "kx_exception.h"
#include "sdk/http_sender.h"
#include "sdk/sdk.h"
#include "utils/log.h"
#include "utils/thread.h"

namespace tarvix {
namespace analytics {

const char kDefaultServerUrl[] = "https://collect.tarvixsoft.com/sa?project=pc";

namespace {

constexpr char kFile[] = "AnalyticsTrackerImpl";
constexpr int kFlushAttempts = 3;
// How long shutdown waits for submissions still running on their own
// threads. They are safe to leave behind; waiting only lets their counts
// reach the final flush.
constexpr auto kOutstandingWait = std::chrono::seconds(2);

// Serialises counting and flushing across every tracker of the process.
// Never destroyed: detached submission threads may take it while the
// process exits.
std::mutex& SubmissionMutex() {
  static std::mutex* mutex = new std::mutex;
  return *mutex;
}

}  // namespace

// What a submission touches, shared with the threads that run them.
struct SubmissionState {
  std::atomic<int32_t> pending{0};
  std::mutex lock;
  std::condition_variable idle;
  int outstanding = 0;  // lock

  void Step(int mode) {
    std::lock_guard<std::mutex> serial(SubmissionMutex());
    if (mode == 0) {
      // Counting only orders this record after a flush in progress; a pause
      // here would hold every tracking thread of the process behind it.
      pending.fetch_add(1);
      return;
    }
    for (int attempt = 0; attempt < kFlushAttempts; ++attempt) {
      if (pending.load() <= 0) return;
      if (analytics_sdk::Sdk::Flush()) {
        pending.store(0);
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  void Begin() {
    std::lock_guard<std::mutex> guard(lock);
    ++outstanding;
  }
  void End() {
    std::lock_guard<std::mutex> guard(lock);
    if (--outstanding == 0) idle.notify_all();
  }
  void WaitIdle() {
    std::unique_lock<std::mutex> guard(lock);
    idle.wait_for(guard, kOutstandingWait, [this] { return outstanding == 0; });
  }
};

NativeTrackLogger::~NativeTrackLogger() { close(); }

bool NativeTrackLogger::open(const std::string& path) {
  close();
  file_ = std::fopen(path.c_str(), "ab");
  return file_ != nullptr;
}

void NativeTrackLogger::close() {
  if (file_) std::fclose(static_cast<FILE*>(file_));
  file_ = nullptr;
}

AnalyticsTrackerImpl::AnalyticsTrackerImpl(KxTrackerParams params, PathResolver resolvePaths)
    : params_(std::move(params)),
      resolvePaths_(resolvePaths ? std::move(resolvePaths)
                                 : PathResolver([](const std::string& appName) {
                                     return ResolveAnalyticsPaths(appName);
                                   })),
      context_(new TrackerContext),
      submission_(std::make_shared<SubmissionState>()) {}

void AnalyticsTrackerImpl::init() {
  if (params_.appName.empty()) KX_THROW(kFile, "init", "appName is empty");
  if (params_.appVersion.empty()) KX_THROW(kFile, "init", "appVersion is empty");
  if (params_.appStore.empty()) KX_THROW(kFile, "init", "appStore is empty");
  submission_->pending.store(0);

  paths_ = resolvePaths_(params_.appName);
  const std::string url = params_.serverUrl.empty() ? kDefaultServerUrl : params_.serverUrl;

  AnalyticsIdentity identity = LoadIdentity(paths_.configFile);
  if (identity.url != url) {
    // Ids belong to one collector: a new one starts logged out, as the
    // machine's first anonymous id.
    identity.userId.clear();
    identity.isLogined = false;
    if (identity.primaryDistinctId.empty()) {
      identity.distinctId = GenerateDistinctId();
      identity.primaryDistinctId = identity.distinctId;
    } else {
      identity.distinctId = identity.primaryDistinctId;
    }
    identity.url = url;
    SaveIdentity(paths_.configFile, identity);
  }
  if (identity.userId.empty()) identity.isLogined = false;
  context_->isLogined = identity.isLogined;
  context_->userId = identity.userId;
  context_->distinctId = identity.distinctId;
  context_->primaryDistinctId = identity.primaryDistinctId;
  context_->userVipLevel = identity.userVipLevel;
  context_->url = identity.url;

  context_->logPath = params_.logPath.empty() ? paths_.defaultLogPath : params_.logPath;
  logger_.reset(new NativeTrackLogger);
  logger_->open(context_->logPath);

  // The directory (ending with its separator) gives the staging file a
  // name of its own there, so that what one run could not send reaches
  // the next run.
  const bool started = context_->isLogined
                           ? analytics_sdk::Sdk::Init(paths_.directory, url, context_->userId, true)
                           : analytics_sdk::Sdk::Init(paths_.directory, url, context_->distinctId, false);
  if (!started) KX_THROW(kFile, "init", "analytics_sdk::Sdk::Init is failed");

  analytics_sdk::Sdk::RegisterSuperProperties(
      BuildCommonProperties(params_, context_->userId, ReadDeviceFacts()));
  WriteUninstallInfo(paths_.configFile, params_.appStore, params_.appName, params_.appVersion);
}

AnalyticsIdentity AnalyticsTrackerImpl::Identity() const {
  AnalyticsIdentity identity;
  identity.distinctId = context_->distinctId;
  identity.primaryDistinctId = context_->primaryDistinctId;
  identity.userId = context_->userId;
  identity.userVipLevel = context_->userVipLevel;
  identity.url = context_->url;
  identity.isLogined = context_->isLogined;
  return identity;
}

AnalyticsTrackerImpl::~AnalyticsTrackerImpl() {
  // A tracker whose init stopped before the paths were known has nothing
  // of its own to save.
  if (!paths_.configFile.empty() && !context_->distinctId.empty()) {
    SaveIdentity(paths_.configFile, Identity());
  }
  submission_->WaitIdle();
  if (submission_->pending.load() > 0) {
    for (int attempt = 0; attempt < kFlushAttempts; ++attempt) {
      if (analytics_sdk::Sdk::Flush()) {
        submission_->pending.store(0);
        break;
      }
    }
  }
  analytics_sdk::Sdk::Shutdown();
  context_.reset();
  if (logger_) logger_->close();
  logger_.reset();
}

void AnalyticsTrackerImpl::Submit(Mode mode) {
  if (analytics_sdk::LastSendOk()) {
    submission_->Step(mode);
    return;
  }
  UTILS_LOG(L"[Analytics] Sending messages asynchronously");
  std::shared_ptr<SubmissionState> state = submission_;
  state->Begin();
  const bool started = Utils::RunDetached([state, mode] {
    state->Step(mode);
    state->End();
  });
  if (!started) {
    // No thread to be had: the caller waits instead.
    state->Step(mode);
    state->End();
  }
}

void AnalyticsTrackerImpl::trackClick(const KxEventClick& click, const KxContextProperties& context) {
  analytics_sdk::Sdk::Track(kClickEvent, ClickProperties(click, context));
  submission_->pending.fetch_add(1);
  Submit(kCount);
}

void AnalyticsTrackerImpl::trackView(const KxEventView& view, const KxContextProperties& context) {
  analytics_sdk::Sdk::Track(kViewEvent, ViewProperties(view, context));
  submission_->pending.fetch_add(1);
  Submit(kCount);
}

void AnalyticsTrackerImpl::trackTask(const KxEventTask& task, const KxContextProperties& context) {
  analytics_sdk::Sdk::Track(kTaskEvent, TaskProperties(task, context));
  Submit(kCount);
}

void AnalyticsTrackerImpl::trackCrash(const std::string& reason) {
  analytics_sdk::Sdk::Track(kCrashEvent, CrashProperties(reason));
  Submit(kFlush);
}

void AnalyticsTrackerImpl::setLocale(const std::string& locale) {
  analytics_sdk::utils::PropertiesNode node;
  node.SetString("kx_l10n_locale", ToUtf8(locale));
  analytics_sdk::Sdk::RegisterSuperProperties(node);
}

std::string AnalyticsTrackerImpl::getPrimaryDistinctId() {
  return context_ ? context_->primaryDistinctId : std::string();
}

int AnalyticsTrackerImpl::pendingForTest() const { return submission_->pending.load(); }

void AnalyticsTrackerImpl::waitIdleForTest() const { submission_->WaitIdle(); }

std::shared_ptr<AnalyticsTracker> CreateAnalyticsTracker(const KxTrackerParams& params) {
  try {
    std::unique_ptr<AnalyticsTrackerImpl> impl(new AnalyticsTrackerImpl(params));
    try {
      impl->init();
    } catch (...) {
      // A tracker that could not start still takes every call.
    }
    return std::make_shared<AnalyticsTrackerWrapper>(std::move(impl));
  } catch (...) {
    return nullptr;
  }
}

}  // namespace analytics
}  // namespace tarvix
