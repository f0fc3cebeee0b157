// Cost of one trace line, formatted and handed to a sink (no system call),
// and the tag normalisation alone.
#include <benchmark/benchmark.h>

#include "support/log_capture.h"
#include "utils/log.h"

namespace {

class NullSink : public Utils::log::Sink {
 public:
  void Write(const std::wstring& line) override { benchmark::DoNotOptimize(line.data()); }
};

void TraceLine(benchmark::State& state) {
  NullSink sink;
  Utils::log::SetSink(&sink);
  for (auto _ : state) UTILS_LOG(L"CurlClient progress %d%% of %lld", 42, 123456789LL);
  Utils::log::SetSink(nullptr);
}
BENCHMARK(TraceLine);

void FunctionTag(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(Utils::log::FunctionTag("virtual int CMTCurlDownloader::downloadExe(int) const"));
  }
}
BENCHMARK(FunctionTag);

}  // namespace

BENCHMARK_MAIN();
