// Throughput of our MD5: on a buffer in memory, and over a file with the
// downloaders' own reader (PackageMd5). scripts/bench prints md5sum's time
// on the same file beside it; MD5_BENCH_FILE names the file (by default
// build/bench-data/package-512M.bin when it exists).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "download/downloader.h"
#include "utils/md5.h"
#include "utils/utf8.h"

namespace {

void Md5Memory(benchmark::State& state) {
  std::vector<unsigned char> data(static_cast<size_t>(state.range(0)));
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(i * 131 + 7);
  for (auto _ : state) {
    Utils::Md5 md5;
    md5.Update(data.data(), data.size());
    benchmark::DoNotOptimize(md5.FinalHex());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(Md5Memory)->Arg(64 << 20)->Unit(benchmark::kMillisecond);

void Md5File(benchmark::State& state) {
  const char* named = std::getenv("MD5_BENCH_FILE");
  const std::string path = named ? named : "build/bench-data/package-512M.bin";
  FILE* probe = std::fopen(path.c_str(), "rb");
  if (!probe) {
    state.SkipWithError(("no file " + path).c_str());
    return;
  }
  std::fseek(probe, 0, SEEK_END);
  const long long size = std::ftell(probe);
  std::fclose(probe);
  const std::wstring wide = Utils::Utf8ToWide(path);
  for (auto _ : state) benchmark::DoNotOptimize(PackageMd5(wide));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * size);
}
BENCHMARK(Md5File)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
