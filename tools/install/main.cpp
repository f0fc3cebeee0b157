// install: runs the download-install pipeline the way the installer's
// window does, without the window. See README.md, "tools/install".
//
// The run itself is the installer's silent mode's (App::RunUnattended): the
// notifications are carried to the main thread, printed there, and the main
// thread does what the window does with them.
#include <curl/curl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/analytics_adapter.h"
#include "app/installer_config.h"
#include "app/unattended.h"
#include "utils/cmdline.h"
#include "utils/probe.h"
#include "utils/utf8.h"

namespace {

const char kUsage[] =
    "usage: install --url URL --folder DIR [--old-uninstaller PATH] [--language TAG]\n"
    "               [--dsc true|false] [--ssc true|false] [--admin-account true|false]\n"
    "               [--admin-token true|false] [--download-type N] [--insnew true|false]\n"
    "               [--publisher-key HEX[,HEX...]] [--time-limit SECONDS]\n";

constexpr int kExitUsage = 4;
constexpr int kExitTimeLimit = App::kExitTimeLimit;

[[noreturn]] void Usage(const std::wstring& problem) {
  std::fprintf(stderr, "install: %s\n%s", Utils::WideToUtf8(problem).c_str(), kUsage);
  std::exit(kExitUsage);
}

bool Boolean(const std::wstring& flag, const std::wstring& value) {
  if (value == L"true") return true;
  if (value == L"false") return false;
  Usage(flag + L" takes true or false, not \"" + value + L"\"");
}

struct Options {
  std::wstring url, folder, oldUninstaller, language;
  bool dsc = true, ssc = true;  // the one-click install's choices
  bool adminAccountGiven = false, adminAccount = false;
  bool adminTokenGiven = false, adminToken = false;
  bool downloadTypeGiven = false;
  int32_t downloadType = 1;
  bool insNewGiven = false, insNew = false;
  bool publisherKeyGiven = false;
  std::wstring publisherKey;
  double timeLimit = 0;
};

Options ParseOptions(const std::vector<std::wstring>& args) {
  Options o;
  for (size_t i = 1; i < args.size(); i += 2) {
    const std::wstring& flag = args[i];
    if (i + 1 >= args.size()) Usage(L"missing value after " + flag);
    const std::wstring& v = args[i + 1];
    if (flag == L"--url") o.url = v;
    else if (flag == L"--folder") o.folder = v;
    else if (flag == L"--old-uninstaller") o.oldUninstaller = v;
    else if (flag == L"--language") o.language = v;
    else if (flag == L"--dsc") o.dsc = Boolean(flag, v);
    else if (flag == L"--ssc") o.ssc = Boolean(flag, v);
    else if (flag == L"--admin-account") o.adminAccountGiven = true, o.adminAccount = Boolean(flag, v);
    else if (flag == L"--admin-token") o.adminTokenGiven = true, o.adminToken = Boolean(flag, v);
    else if (flag == L"--download-type") o.downloadTypeGiven = true, o.downloadType = ConfigInteger(v);
    else if (flag == L"--insnew") o.insNewGiven = true, o.insNew = Boolean(flag, v);
    else if (flag == L"--publisher-key") o.publisherKeyGiven = true, o.publisherKey = v;
    else if (flag == L"--time-limit") o.timeLimit = ConfigDouble(v, 0.0);
    else Usage(L"unknown flag " + flag);
  }
  if (o.url.empty()) Usage(L"--url is required");
  if (o.folder.empty()) Usage(L"--folder is required");
  return o;
}

int32_t LanguageIndexOf(const std::wstring& tag, int32_t current) {
  if (tag == L"en-US") return 0;
  if (tag == L"zh-CN") return 1;
  if (tag == L"zh-TW") return 2;
  return current;
}

}  // namespace

int main() {
  // g_InstallerConfig already holds the defaults and the config file beside
  // this program: the record reads it while the program initialises, as in
  // the installer.
  const Options options = ParseOptions(Utils::ProcessArguments());

  if (curl_global_init(CURL_GLOBAL_ALL) != CURLE_OK) g_InstallerConfig.CurlReady = false;
  InitAnalytics();
  if (options.downloadTypeGiven) g_InstallerConfig.DownloadType = options.downloadType;
  if (options.insNewGiven) g_InstallerConfig.InsNew = options.insNew;
  if (options.publisherKeyGiven) g_InstallerConfig.PublisherKey = options.publisherKey;
  g_InstallerConfig.LanguageIndex = LanguageIndexOf(options.language, g_InstallerConfig.LanguageIndex);

  // The window passes the rights probes' answers unless told otherwise.
  std::wstring user;
  const bool adminAccount = options.adminAccountGiven
                                ? options.adminAccount
                                : Utils::ConsoleUserName(&user) && Utils::IsUserAdminAccount(user);
  const bool adminToken = options.adminTokenGiven ? options.adminToken : Utils::IsProcessAdmin();

  App::UnattendedJob job;
  job.url = options.url;
  job.oldUninstaller = options.oldUninstaller;
  job.folder = options.folder;
  job.desktopShortcut = options.dsc;
  job.quickLaunchShortcut = options.ssc;
  job.adminAccount = adminAccount;
  job.adminToken = adminToken;
  job.language = options.language;
  job.timeLimit = options.timeLimit;
  const int exitCode = App::RunUnattended(job, [](const std::string& line) {
    // Text mode: LF becomes CR LF on Windows.
    const std::string text = line + "\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
  });
  if (exitCode == App::kExitTimeLimit) {
    std::fprintf(stderr, "install: time limit reached\n");
    std::fflush(stdout);
    std::_Exit(kExitTimeLimit);
  }
  ShutdownAnalytics();
  curl_global_cleanup();
  return exitCode;
}
