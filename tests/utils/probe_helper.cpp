// A child for the process tests. Usage: probe_helper MODE [ARG...]
//   emit N      writes N bytes (a counting pattern) to standard output, exits 7
//   flood N     writes N bytes to standard error, then "done" to standard output
//   args ...    writes each argument as the system split it, each followed by a zero byte
//   mutex NAME  tries the single-instance guard NAME: prints "held" (exit 0) or "refused" (exit 1)
//   sleep MS    sleeps, exits 0
//   exit CODE   exits with CODE
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "utils/cmdline.h"
#include "utils/mutex.h"
#include "utils/utf8.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string mode = argv[1];
  const long n = argc > 2 ? std::atol(argv[2]) : 0;
  if (mode == "emit") {
    std::vector<char> block(65536);
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>('a' + i % 26);
    long left = n;
    long at = 0;
    while (left > 0) {
      const long chunk = left < 65536 ? left : 65536;
      // Keep the pattern continuous across chunks.
      std::vector<char> out(static_cast<size_t>(chunk));
      for (long i = 0; i < chunk; ++i) out[static_cast<size_t>(i)] = static_cast<char>('a' + (at + i) % 26);
      if (fwrite(out.data(), 1, out.size(), stdout) != out.size()) return 3;
      left -= chunk;
      at += chunk;
    }
    fflush(stdout);
    return 7;
  }
  if (mode == "flood") {
    std::string junk(static_cast<size_t>(n), 'e');
    fwrite(junk.data(), 1, junk.size(), stderr);
    fflush(stderr);
    fputs("done", stdout);
    return 0;
  }
  if (mode == "args") {
    const std::vector<std::wstring> args = Utils::ProcessArguments();
    for (size_t i = 2; i < args.size(); ++i) {
      const std::string bytes = Utils::WideToUtf8(args[i]);
      fwrite(bytes.data(), 1, bytes.size() + 1, stdout);
    }
    return 0;
  }
  if (mode == "mutex" && argc > 2) {
    Utils::SingleInstanceMutex guard;
    const bool held = guard.Acquire(Utils::Utf8ToWide(argv[2]));
    fputs(held ? "held" : "refused", stdout);
    return held ? 0 : 1;
  }
  if (mode == "sleep") {
    std::this_thread::sleep_for(std::chrono::milliseconds(n));
    return 0;
  }
  if (mode == "exit") return static_cast<int>(n);
  return 2;
}
