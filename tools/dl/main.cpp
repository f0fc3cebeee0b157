// dl: runs one downloader the way the pipeline does and prints every
// notification as "code<TAB>value<TAB>text". See README.md, "tools/dl".
#include <curl/curl.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>

#include "app/analytics_adapter.h"
#include "download/downloader_factory.h"
#include "utils/text.h"

namespace {

const char kUsage[] = "usage: dl --type N --url URL --out PATH [--time-limit SECONDS]\n";

[[noreturn]] void Usage(const std::string& problem) {
  std::fprintf(stderr, "dl: %s\n%s", problem.c_str(), kUsage);
  std::exit(2);
}

struct Run {
  std::mutex mutex;
  std::condition_variable ended;
  int final = 0;
  std::unique_ptr<CDownloader> downloader;
};

}  // namespace

int main(int argc, char** argv) {
  int type = 1;
  std::string url, out;
  double timeLimit = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (i + 1 >= argc) Usage("missing value after " + a);
    const std::string v = argv[++i];
    if (a == "--type") type = std::atoi(v.c_str());
    else if (a == "--url") url = v;
    else if (a == "--out") out = v;
    else if (a == "--time-limit") timeLimit = std::atof(v.c_str());
    else Usage("unknown flag " + a);
  }
  if (url.empty()) Usage("--url is required");

  curl_global_init(CURL_GLOBAL_ALL);
  // As the installer does: the settings beside this program (read when it
  // started) decide whether and where the download reports go.
  InitAnalytics();
  Run run;
  auto notify = [&run](int code, double value, const wchar_t* text) {
    const std::string utf8 = Utils::WideToMultiByte(text ? text : L"", Utils::kCodePageUtf8);
    std::printf("%d\t%g\t%s\n", code, value, utf8.c_str());
    std::fflush(stdout);
    if (code == kDownloadRetry) run.downloader->Start();  // as the pipeline answers it
    if (code == kDownloadComplete || code == kDownloadFailed) {
      std::lock_guard<std::mutex> lock(run.mutex);
      run.final = code;
      run.ended.notify_all();
    }
  };
  run.downloader = MakeDownloader(type, notify, Utils::MultiByteToWide(url, Utils::kCodePageUtf8),
                                  Utils::MultiByteToWide(out, Utils::kCodePageUtf8));
  run.downloader->Start();
  int final;
  {
    std::unique_lock<std::mutex> lock(run.mutex);
    auto done = [&run] { return run.final != 0; };
    if (timeLimit > 0) {
      run.ended.wait_for(lock, std::chrono::duration<double>(timeLimit), done);
    } else {
      run.ended.wait(lock, done);
    }
    final = run.final;
  }
  run.downloader.reset();
  ShutdownAnalytics();
  curl_global_cleanup();
  if (final == kDownloadComplete) return 0;
  if (final == kDownloadFailed) return 1;
  std::fprintf(stderr, "dl: time limit reached\n");
  return 3;
}
