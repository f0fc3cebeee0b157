// The installer's start-up and shutdown sequence around a stand-in window,
// for the start-up tests. Reports are printed, one per line, as they are
// made ("step NAME" / "crash"), and so are the sequence's own steps.
//
//   startup_run hold DIR    the window writes DIR/ready, then waits (at most
//                           a minute) for DIR/go
//   startup_run crash       the window executes an illegal instruction
//   startup_run crash-held  the same while another thread holds the lock
//                           every report takes (as a report stopped half-way
//                           would), with a crash-report limit of 1 second
//   startup_run trace       the window writes one trace line
#include <cstdio>
#include <filesystem>
#include <future>
#include <mutex>
#include <string>
#include <thread>

#include "app/analytics_adapter.h"
#include "app/startup.h"
#include "utils/cmdline.h"
#include "utils/log.h"
#include "utils/utf8.h"

namespace {

// Stands for the locks of the reporting path (the tracker's queue, the
// flush): every report takes it.
std::mutex g_reportLock;

class Printer : public analytics_adapter::Observer {
 public:
  void OnStep(const std::wstring& step, float, const std::wstring&, const AnalyticsProperties&) override {
    std::lock_guard<std::mutex> lock(g_reportLock);
    std::printf("step %s\n", Utils::WideToUtf8(step).c_str());
    std::fflush(stdout);
  }
  void OnCrash() override {
    std::printf("crash\n");
    std::fflush(stdout);
  }
};

int Hold(const std::filesystem::path& dir) {
  { std::FILE* f = std::fopen((dir / "ready").string().c_str(), "w"); if (f) std::fclose(f); }
  for (int i = 0; i < 6000 && !std::filesystem::exists(dir / "go"); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return 0;
}

// A real fault on both targets and in the sanitizer builds (which stop at
// a null store themselves; and Wine may have the zero page mapped): an
// illegal instruction.
[[noreturn]] __attribute__((noinline)) void Fault() { __builtin_trap(); }

}  // namespace

int main() {
  static Printer printer;
  analytics_adapter::SetObserver(&printer);
  const std::vector<std::wstring> args = Utils::ProcessArguments();
  const std::wstring mode = args.size() > 1 ? args[1] : L"";
  const std::wstring dir = args.size() > 2 ? args[2] : L"";
  App::StartupSteps steps;
  steps.prepareToolkit = [] { std::printf("toolkit\n"); };
  steps.runMainWindow = [&]() -> int {
    std::printf("window\n");
    std::fflush(stdout);
    if (mode == L"hold") return Hold(std::filesystem::path(dir));
    if (mode == L"crash") Fault();
    if (mode == L"crash-held") {
      App::SetCrashReportSeconds(1);
      std::promise<void> held;
      std::thread([&held] {
        std::lock_guard<std::mutex> hold(g_reportLock);
        held.set_value();
        std::this_thread::sleep_for(std::chrono::hours(1));
      }).detach();
      held.get_future().wait();
      Fault();
    }
    if (mode == L"trace") UTILS_LOG(L"window %s", L"\u5b89\u88c5");
    return 0;
  };
  steps.destroyMainWindow = [] { std::printf("destroyed\n"); };
  const int code = App::RunInstaller(steps);
  std::printf("exit %d\n", code);
  return code;
}
