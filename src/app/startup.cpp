#include "app/startup.h"

#include <curl/curl.h>

#include <atomic>

#include "app/analytics_adapter.h"
#include "app/installer_config.h"
#include "utils/cmdline.h"
#include "utils/log.h"
#include "utils/mutex.h"

namespace App {

namespace {
std::atomic<unsigned> g_crashReportSeconds{10};
}  // namespace

unsigned CrashReportSeconds() { return g_crashReportSeconds.load(); }
void SetCrashReportSeconds(unsigned seconds) { g_crashReportSeconds.store(seconds); }

void ReportFatalCrash() {
  // One report per process, whichever thread or signal comes first.
  static std::atomic<bool> reported{false};
  if (reported.exchange(true)) return;
  ReportStep(L"崩溃退出", 0, L"");
  ReportCrash();
}

void ApplyLogSwitch() {
  const CommandLineMap map = BuildCommandLineMap(Utils::ProcessArguments());
  auto it = map.find(L"-log");
  if (it != map.end() && !it->second.empty()) Utils::log::OpenLogFile(it->second);
}

int RunInstaller(const StartupSteps& steps) {
  ApplyLogSwitch();
  HardenLibrarySearch();
  InstallCrashReporter();

  const bool curlFailed = curl_global_init(CURL_GLOBAL_ALL) != 0;
  if (curlFailed) g_InstallerConfig.CurlReady = false;

  Utils::SingleInstanceMutex instance;
  if (!instance.Acquire(kInstanceName)) {
    Utils::log::CloseLogFile();
    return kSecondInstanceExit;
  }

  InitAnalytics();
  // Reported once the tracker exists: made before, the report would reach
  // no tracker and be lost.
  if (curlFailed) ReportStep(L"libcurl初始化失败", 0, L"");
  ApplyCommandLine();
  if (steps.prepareToolkit) steps.prepareToolkit();
  const int result = steps.runMainWindow ? steps.runMainWindow() : 0;

  if (g_InstallerConfig.IsEnableAppSensors) ShutdownAnalytics();
  curl_global_cleanup();
  if (steps.destroyMainWindow) steps.destroyMainWindow();
  instance.Release();
  Utils::log::CloseLogFile();
  return result;
}

}  // namespace App
