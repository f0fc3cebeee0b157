// The installer executable as a user meets it, on a display (scripts/bench
// --app runs it on an Xvfb of its own):
//  - StartToFirstFrame: from the process's start to its main window shown
//    with its page drawn on the screen (read back from the X server, so a
//    few milliseconds of polling are included); StartToFirstFrameAt2x the
//    same on a screen whose Xft.dpi is 192 (a 1200 x 800 window with the 2x
//    art);
//  - SpinnerCpu: the installer's CPU time (all threads) over 5 s on the
//    installing page, the download held by the server, as % of one core;
//  - PeakRssDownload: the installer's peak resident memory (VmHWM) while it
//    downloads QUILLON_BENCH_FILE (scripts/bench: 512 MiB) with its window.
//
// The installer's copy runs from a scratch folder with its own config file;
// the user's folders are moved there too.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>
#include <filesystem>
#include <memory>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "support/collector_process.h"
#include "support/package_server.h"
#include "support/scratch_dir.h"
#include "support/setup_pilot.h"
#include "support/system_dpi.h"
#include "utils/profile.h"
#include "utils/utf8.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
namespace qt = quillon_test;
using Clock = std::chrono::steady_clock;

class Installer {
 public:
  explicit Installer(const std::string& url, const std::wstring& instCmd = L"-demo-startup=NonStartup") {
    // The child's environment: ours, with the user's folders moved.
    static const char* const kMoved[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR", "TMPDIR"};
    for (char** e = environ; *e; ++e) {
      bool moved = false;
      for (const char* name : kMoved) {
        moved = moved || (std::strncmp(*e, name, std::strlen(name)) == 0 && (*e)[std::strlen(name)] == '=');
      }
      if (!moved) env_.push_back(*e);
    }
    for (const char* name : kMoved) {
      const fs::path folder = dir_.Path() / "env" / name;
      fs::create_directories(folder);
      env_.push_back(std::string(name) + "=" + folder.string());
    }
    const fs::path program = qt::BuiltProgram(L"bin", L"quillon-setup");
    copy_ = dir_.Path() / "bin" / "quillon-setup";
    fs::create_directories(copy_.parent_path());
    fs::copy_file(program, copy_);
    const std::wstring ini = (copy_.parent_path() / "TarvixInstallerConfig.ini").wstring();
    Utils::StoreProfileString(L"Install", L"DownloadUrl", Utils::Utf8ToWide(url), ini);
    Utils::StoreProfileString(L"Install", L"IsCheckNet", L"false", ini);
    Utils::StoreProfileString(L"Install", L"InstCmd", instCmd, ini);
    Utils::StoreProfileString(L"Install", L"IsEnableAppSensors", L"false", ini);
  }
  ~Installer() { Stop(); }

  void Start() {
    char* argv[] = {const_cast<char*>(copy_.c_str()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> envp;
    for (std::string& e : env_) envp.push_back(&e[0]);
    envp.push_back(nullptr);
    posix_spawn(&pid_, copy_.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
  }
  void Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = 0;
  }
  pid_t pid() const { return pid_; }

  // utime + stime of every thread, in seconds.
  double CpuSeconds() const {
    std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
    std::string line;
    std::getline(stat, line);
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string f;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> f; ++i) {
      if (i == 14) utime = std::stoull(f);
      if (i == 15) stime = std::stoull(f);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
  }
  // VmHWM in KiB.
  long PeakResidentKiB() const {
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    std::string key;
    long value = 0;
    while (status >> key) {
      if (key == "VmHWM:") {
        status >> value;
        return value;
      }
      status.ignore(4096, '\n');
    }
    return value;
  }

 private:
  qt::ScratchDir dir_;
  fs::path copy_;
  std::vector<std::string> env_;
  pid_t pid_ = 0;
};

bool WaitForMainWindow(qt::ScreenRect* rect, int timeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (Clock::now() < deadline) {
    if (qt::FindTopLevelWindow(qt::kMainTitle, qt::kMainClass, rect) && qt::ScreenColours(*rect, 8) >= 8) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

void FirstFrameAt(benchmark::State& state, int systemDpi) {
  std::unique_ptr<qt::ScopedSystemDpi> dpi;
  if (systemDpi) dpi = std::make_unique<qt::ScopedSystemDpi>(systemDpi);
  qt::PackageServer server("velmotranslate.exe", "x");
  Installer installer(server.ShortUrl());
  for (auto _ : state) {
    const auto begun = Clock::now();
    installer.Start();
    qt::ScreenRect rect;
    const bool shown = WaitForMainWindow(&rect, 20000);
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - begun).count());
    installer.Stop();
    if (!shown) {
      state.SkipWithError("the window did not show");
      break;
    }
    // The next start must not meet this window still on the screen.
    qt::WaitForNoWindow(qt::kMainTitle, qt::kMainClass, 5000);
  }
}
void StartToFirstFrame(benchmark::State& state) { FirstFrameAt(state, 0); }
BENCHMARK(StartToFirstFrame)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
void StartToFirstFrameAt2x(benchmark::State& state) { FirstFrameAt(state, 192); }
BENCHMARK(StartToFirstFrameAt2x)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

// Starts the installer and clicks "立即安装"; true once the window showed.
bool StartInstalling(Installer& installer) {
  installer.Start();
  qt::ScreenRect rect;
  if (!WaitForMainWindow(&rect, 20000)) return false;
  return qt::ClickControl(rect, qt::kMainLayout, "defaultInstallBtn", 0);
}

void SpinnerCpu(benchmark::State& state) {
  // The download stops after its first bytes and stays open: the page
  // keeps spinning with nothing else to do.
  qt::PackageServer server("velmotranslate.exe", qt::PatternBytes(4 << 20), {"--stall-after", "1024"});
  for (auto _ : state) {
    Installer installer(server.ShortUrl());
    if (!StartInstalling(installer)) {
      state.SkipWithError("the window did not show");
      break;
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const double before = installer.CpuSeconds();
    std::this_thread::sleep_for(std::chrono::seconds(5));
    const double used = installer.CpuSeconds() - before;
    state.counters["cpu_percent_of_a_core"] = used / 5.0 * 100.0;
  }
}
BENCHMARK(SpinnerCpu)->Iterations(1)->Unit(benchmark::kSecond);

void PeakRssDownload(benchmark::State& state) {
  const char* file = getenv("QUILLON_BENCH_FILE");
  if (!file || !fs::exists(file)) {
    state.SkipWithError("QUILLON_BENCH_FILE names no file");
    return;
  }
  // The server reads the file itself: no copy of it in this process.
  qt::ScratchDir serverDir;
  qt::ChildProcess server(qt::BuiltProgram(L"tools", L"pkgserver").u8string(),
                          {"--file", file, "--port-file", (serverDir / "port").u8string(), "--time-limit", "600"},
                          (serverDir / "requests.log").u8string());
  std::string port;
  for (int i = 0; i < 3000 && (port.empty() || port.back() != '\n'); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    port = qt::ReadBytes(serverDir / "port");
  }
  if (port.empty()) {
    state.SkipWithError("the package server did not start");
    return;
  }
  const std::string url = "http://127.0.0.1:" + port.substr(0, port.size() - 1) + "/software/381";
  for (auto _ : state) {
    Installer installer(url);
    if (!StartInstalling(installer)) {
      state.SkipWithError("the window did not show");
      break;
    }
    // Until the package (random bytes) fails to run and its prompt shows.
    long peak = 0;
    qt::ScreenRect prompt;
    const auto deadline = Clock::now() + std::chrono::minutes(5);
    while (Clock::now() < deadline && !qt::FindTopLevelWindow(qt::kPromptTitle, "", &prompt)) {
      peak = std::max(peak, installer.PeakResidentKiB());
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    peak = std::max(peak, installer.PeakResidentKiB());
    state.counters["peak_rss_MiB"] = static_cast<double>(peak) / 1024.0;
  }
}
BENCHMARK(PeakRssDownload)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
