// One installer run as far as analytics goes, for the adapter's tests:
// the settings beside this program (read when it starts), InitAnalytics,
// the reports the first argument names, ShutdownAnalytics. Copied into a
// scratch folder with its "TarvixInstallerConfig.ini" and "Set.ini".
//
//   analytics_run install    the reports of one installation, then a crash
//   analytics_run odd-ab     reports with a malformed, an empty and no A/B value
//   analytics_run twice      InitAnalytics once more, then as "install"
#include <cstdio>
#include <string>

#include "app/analytics_adapter.h"
#include "app/installer_config.h"
#include "utils/cmdline.h"
#include "utils/files.h"
#include "utils/utf8.h"

int main() {
  // The test reads what went wrong from the folder this copy runs in.
  const std::string self = Utils::WideToUtf8(Utils::ExecutablePath());
  std::freopen((self + ".stderr.txt").c_str(), "w", stderr);
  const std::vector<std::wstring> args = Utils::ProcessArguments();
  const std::wstring mode = args.size() > 1 ? args[1] : L"";
  const AnalyticsProperties ab{{L"AB", L"IN"}};
  InitAnalytics();
  ApplyCommandLine();
  if (mode == L"twice") InitAnalytics();
  if (mode == L"install" || mode == L"twice") {
    ReportStep(L"\u5f00\u59cb\u4e0b\u8f7d\u5927\u5305", 0, L"", ab);  // 开始下载大包
    ReportClick(L"\u7acb\u5373\u5b89\u88c5", ab);                      // 立即安装
    ReportView(ab);
    ReportStep(L"\u4e0b\u8f7d\u5931\u8d25\u539f\u56e0", 2.5f, L"HTTP 404", ab);  // 下载失败原因
    ReportCrash();
  } else if (mode == L"odd-ab") {
    ReportStep(L"lower", 0, L"", {{L"AB", L"in"}});
    ReportClick(L"toolong", {{L"AB", L"ABCD"}});
    ReportView({{L"AB", L""}});
    ReportStep(L"none", 0, L"", {});
    ReportCrash();
  } else {
    std::fprintf(stderr, "analytics_run: unknown mode\n");
    return 2;
  }
  if (g_InstallerConfig.IsEnableAppSensors) ShutdownAnalytics();
  return 0;
}
