// Throughput of our MD5: on a buffer in memory, and over a file with the
// downloaders' own reader (PackageMd5), beside md5sum on the same file (run
// as a child, so its figure includes starting it, a millisecond or two).
// MD5_BENCH_FILE names the file (by default build/bench-data/package-512M.bin
// when it exists); the file figures are wall-clock times.
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

std::string BenchFile() {
  const char* named = std::getenv("MD5_BENCH_FILE");
  return named ? named : "build/bench-data/package-512M.bin";
}

// The file's size, or -1 (and the benchmark skipped) when it is missing.
long long BenchFileSize(benchmark::State& state, const std::string& path) {
  FILE* probe = std::fopen(path.c_str(), "rb");
  if (!probe) {
    state.SkipWithError(("no file " + path).c_str());
    return -1;
  }
  std::fseek(probe, 0, SEEK_END);
  const long long size = std::ftell(probe);
  std::fclose(probe);
  return size;
}

void Md5File(benchmark::State& state) {
  const std::string path = BenchFile();
  const long long size = BenchFileSize(state, path);
  if (size < 0) return;
  const std::wstring wide = Utils::Utf8ToWide(path);
  for (auto _ : state) benchmark::DoNotOptimize(PackageMd5(wide));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * size);
}

void Md5sumFile(benchmark::State& state) {
  const std::string path = BenchFile();
  const long long size = BenchFileSize(state, path);
  if (size < 0) return;
  const std::string command = "md5sum '" + path + "' >/dev/null";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("md5sum failed");
      return;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * size);
}

// Side by side, alternating, so that the shared machine's load falls on both.
BENCHMARK(Md5sumFile)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(Md5File)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(Md5sumFile)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(Md5File)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
