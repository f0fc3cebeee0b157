// Analytics: records tracked per second (one thread, four threads) and the
// time to flush 1024 queued records to the loopback collector, for the SDK
// alone and through the tracker the installer holds.
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <memory>
#include <string>

#include "analytics_state.h"
#include "analytics_tracker_impl.h"
#include "sdk/http_sender.h"
#include "sdk/record_consumer.h"
#include "sdk/sdk.h"
#include "support/collector_process.h"
#include "support/scratch_dir.h"

namespace {

using analytics_sdk::Sdk;
using analytics_sdk::utils::PropertiesNode;

PropertiesNode TypicalProperties() {
  PropertiesNode p;
  p.SetString("kx_task_name", "\xe5\xbc\x80\xe5\xa7\x8b\xe4\xb8\x8b\xe8\xbd\xbd\xe5\xa4\xa7\xe5\x8c\x85");
  p.SetString("kx_task_result", "Success");
  p.SetNumber("kx_task_elapsed", 12.5);
  p.SetString("kxc_ab", "IN");
  return p;
}

// Tracking only: the queue stays at its limit and drops the oldest.
void Track(benchmark::State& state) {
  if (state.thread_index() == 0) {
    Sdk::Init("", "http://127.0.0.1:1/sa", "bench-device", false);
    PropertiesNode super;
    for (int i = 0; i < 20; ++i) super.SetString("kx_common_" + std::to_string(i), "value");
    Sdk::RegisterSuperProperties(super);
  }
  const PropertiesNode p = TypicalProperties();
  for (auto _ : state) benchmark::DoNotOptimize(Sdk::Track("kx_task", p));
  state.SetItemsProcessed(state.iterations());
  if (state.thread_index() == 0) Sdk::Shutdown();
}
BENCHMARK(Track)->Threads(1)->Threads(4)->UseRealTime();

void Flush1024ToLoopbackCollector(benchmark::State& state) {
  quillon_test::CollectorProcess collector(quillon_test::BuiltProgram(L"tools", L"collector").u8string());
  if (!collector.started()) {
    state.SkipWithError("collector did not start");
    return;
  }
  Sdk::Init("", collector.url(), "bench-device", false);
  const PropertiesNode p = TypicalProperties();
  for (auto _ : state) {
    state.PauseTiming();
    for (size_t i = 0; i < analytics_sdk::kMaxQueueLength; ++i) Sdk::Track("kx_task", p);
    state.ResumeTiming();
    if (!Sdk::Flush()) state.SkipWithError("flush failed");
  }
  state.SetItemsProcessed(state.iterations() * analytics_sdk::kMaxQueueLength);
  Sdk::Shutdown();
}
BENCHMARK(Flush1024ToLoopbackCollector)->Unit(benchmark::kMillisecond)->UseRealTime();

// The tracker with its files in a scratch folder, sending to `url`.
std::shared_ptr<tarvix::analytics::AnalyticsTracker> MakeTracker(const quillon_test::ScratchDir& dir,
                                                                 const std::string& url) {
  namespace ta = tarvix::analytics;
  ta::KxTrackerParams params;
  params.appName = "velmotranslate.downloader";
  params.appVersion = "1.7.9";
  params.appStore = "bench";
  params.serverUrl = url;
  const std::string base = dir.Path().string();
  std::unique_ptr<ta::AnalyticsTrackerImpl> impl(new ta::AnalyticsTrackerImpl(
      params, [base](const std::string& app) { return ta::ResolveAnalyticsPaths(app, base, base); }));
  impl->init();
  return std::make_shared<ta::AnalyticsTrackerWrapper>(std::move(impl));
}

tarvix::analytics::KxContextProperties ABContext(tarvix::analytics::KxEventType type) {
  tarvix::analytics::KxContextProperties context;
  context.setProperty(tarvix::analytics::kABKey, "IN", {type});
  return context;
}

// Step reports through the tracker once a post has succeeded, so that each
// submission runs on the calling thread (counting includes its 1 ms pause).
std::shared_ptr<tarvix::analytics::AnalyticsTracker> g_tracker;
void TrackerTrackTask(benchmark::State& state) {
  static quillon_test::ScratchDir* dir = nullptr;
  if (state.thread_index() == 0) {
    dir = new quillon_test::ScratchDir;
    g_tracker = MakeTracker(*dir, "http://127.0.0.1:1/sa?project=pc");
    analytics_sdk::SetLastSendOk(true);
  }
  tarvix::analytics::KxEventTask task;
  task.name = "\xe5\xbc\x80\xe5\xa7\x8b\xe4\xb8\x8b\xe8\xbd\xbd\xe5\xa4\xa7\xe5\x8c\x85";
  task.elapsed = std::make_shared<float>(0.0f);
  task.result = std::make_shared<tarvix::analytics::KxResult>(tarvix::analytics::Success);
  const auto context = ABContext(tarvix::analytics::Task);
  for (auto _ : state) g_tracker->trackTask(task, context);
  state.SetItemsProcessed(state.iterations());
  if (state.thread_index() == 0) {
    analytics_sdk::SetLastSendOk(false);
    g_tracker.reset();  // nothing listens there: the queue is staged
    delete dir;
  }
}
BENCHMARK(TrackerTrackTask)->Threads(1)->Threads(4)->UseRealTime();

// A crash report's flush of 1024 queued click records (plus its own).
void TrackerFlush1024ToLoopbackCollector(benchmark::State& state) {
  quillon_test::CollectorProcess collector(quillon_test::BuiltProgram(L"tools", L"collector").u8string());
  if (!collector.started()) {
    state.SkipWithError("collector did not start");
    return;
  }
  quillon_test::ScratchDir dir;
  auto tracker = MakeTracker(dir, collector.url());
  tarvix::analytics::KxEventClick click;
  click.name = "\xe7\xab\x8b\xe5\x8d\xb3\xe5\xae\x89\xe8\xa3\x85";
  click.clickType = tarvix::analytics::Button;
  const auto context = ABContext(tarvix::analytics::Click);
  analytics_sdk::SetLastSendOk(true);  // the flush runs on this thread
  for (auto _ : state) {
    state.PauseTiming();
    // The tracker's own records, queued without its per-record pause.
    tracker->trackClick(click, context);
    const auto p = tarvix::analytics::ClickProperties(click, context);
    for (size_t i = 1; i < analytics_sdk::kMaxQueueLength; ++i) Sdk::Track("KxEventClick", p);
    state.ResumeTiming();
    tracker->trackCrash("bench");
    if (Sdk::QueueLengthForTest() != 0) state.SkipWithError("flush failed");
  }
  state.SetItemsProcessed(state.iterations() * analytics_sdk::kMaxQueueLength);
  tracker.reset();
}
BENCHMARK(TrackerFlush1024ToLoopbackCollector)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  curl_global_init(CURL_GLOBAL_ALL);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
