// Analytics SDK: records tracked per second (one thread, four threads), and
// the time to flush 1024 queued records to the loopback collector.
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <memory>
#include <string>

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

}  // namespace

int main(int argc, char** argv) {
  curl_global_init(CURL_GLOBAL_ALL);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
