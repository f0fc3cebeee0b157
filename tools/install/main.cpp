// install: runs the download-install pipeline the way the installer's
// window does, without the window. See README.md, "tools/install".
//
// Notifications are carried from the phase threads to the main thread, as
// the window posts them to itself; there they are printed, and the main
// thread does what the window does with them: the records on 2001 and 2003,
// the failure reports on 1004, 1006 and 2004.
#include <curl/curl.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/analytics_adapter.h"
#include "app/installer_config.h"
#include "install/download_installer.h"
#include "install/records.h"
#include "utils/cmdline.h"
#include "utils/probe.h"
#include "utils/utf8.h"

namespace {

const char kUsage[] =
    "usage: install --url URL --folder DIR [--old-uninstaller PATH] [--language TAG]\n"
    "               [--dsc true|false] [--ssc true|false] [--admin-account true|false]\n"
    "               [--admin-token true|false] [--download-type N] [--insnew true|false]\n"
    "               [--time-limit SECONDS]\n";

constexpr int kExitUsage = 4;
constexpr int kExitTimeLimit = 5;

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
    else if (flag == L"--time-limit") o.timeLimit = ConfigDouble(v, 0.0);
    else Usage(L"unknown flag " + flag);
  }
  if (o.url.empty()) Usage(L"--url is required");
  if (o.folder.empty()) Usage(L"--folder is required");
  return o;
}

struct Notification {
  int code;
  double value;
  std::wstring text;
};

// The window's message queue, as far as the pipeline's notifications go.
class Inbox {
 public:
  void Post(int code, double value, const wchar_t* text) {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back({code, value, text ? text : L""});
    arrived_.notify_one();
  }
  // False when the deadline passed first.
  bool Next(Notification* n, bool bounded, std::chrono::steady_clock::time_point deadline) {
    std::unique_lock<std::mutex> lock(mutex_);
    auto ready = [this] { return !queue_.empty(); };
    if (bounded) {
      if (!arrived_.wait_until(lock, deadline, ready)) return false;
    } else {
      arrived_.wait(lock, ready);
    }
    *n = std::move(queue_.front());
    queue_.pop_front();
    return true;
  }

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<Notification> queue_;
};

// Control characters and the backslash escaped, so every notification is
// exactly one line.
std::string Escaped(const std::wstring& text) {
  std::string out;
  for (char c : Utils::WideToUtf8(text)) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      default: out += c;
    }
  }
  return out;
}

void Print(const Notification& n) {
  char value[64];
  std::snprintf(value, sizeof value, "%.15g", n.value);
  const std::string line = std::to_string(n.code) + "\t" + value + "\t" + Escaped(n.text) + "\n";
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fflush(stdout);
}

// A path the package reported. Its status lines end in CR LF and the value
// keeps the CR; as a folder or file name it must go.
std::wstring ReportedPath(const std::wstring& text) {
  std::wstring path = text;
  while (!path.empty() && (path.back() == L'\r' || path.back() == L'\n' || path.back() == L' ')) path.pop_back();
  return path;
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
  g_InstallerConfig.LanguageIndex = LanguageIndexOf(options.language, g_InstallerConfig.LanguageIndex);

  // The window passes the rights probes' answers unless told otherwise.
  std::wstring user;
  const bool adminAccount = options.adminAccountGiven
                                ? options.adminAccount
                                : Utils::ConsoleUserName(&user) && Utils::IsUserAdminAccount(user);
  const bool adminToken = options.adminTokenGiven ? options.adminToken : Utils::IsProcessAdmin();

  Inbox inbox;
  auto pipeline = std::make_unique<CDownloadInstaller>(
      [&inbox](int code, double value, const wchar_t* text) { inbox.Post(code, value, text); });
  pipeline->SetUrl(options.url);
  pipeline->SetOldUninstallerPath(options.oldUninstaller);
  pipeline->SetInstallFolder(options.folder);
  pipeline->SetDesktopShortcut(options.dsc);
  pipeline->SetQuickLaunchShortcut(options.ssc);
  pipeline->SetAdminAccount(adminAccount);
  pipeline->SetAdminToken(adminToken);
  pipeline->SetInstallLanguage(options.language);
  // The reports the window makes around the pipeline, so that a run of this
  // program shows at a collector as an installation does.
  const AnalyticsProperties ab{{L"AB", L"IN"}};
  ReportView(ab);
  pipeline->Start();

  std::wstring installFolder = options.folder;
  std::wstring uninstallerPath;
  const bool bounded = options.timeLimit > 0;
  const auto deadline =
      std::chrono::steady_clock::now() +
      std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(options.timeLimit));
  bool downloaderReported = false;
  std::chrono::steady_clock::time_point downloadStarted;
  bool downloadTimed = false;
  int exitCode = -1;
  while (exitCode < 0) {
    Notification n;
    if (!inbox.Next(&n, bounded, deadline)) {
      std::fprintf(stderr, "install: time limit reached\n");
      std::fflush(stdout);
      // The phases may be held by a child that does not end; do not wait.
      std::_Exit(kExitTimeLimit);
    }
    Print(n);
    switch (n.code) {
      case 1001:
        if (!downloaderReported) {
          downloaderReported = true;
          ReportStep(L"下载器启动", 0.0f, L"", ab);
        }
        downloadStarted = std::chrono::steady_clock::now();
        downloadTimed = true;
        ReportStep(L"开始下载大包", 0.0f, L"", ab);
        break;
      case 1003: {
        const float elapsed =
            downloadTimed ? std::chrono::duration<float>(std::chrono::steady_clock::now() - downloadStarted).count()
                          : 0.0f;
        ReportStep(L"大包下载完毕", elapsed, L"", ab);
        break;
      }
      case 1004:
        pipeline->DownloadFailureReport(n.code, n.value, n.text.c_str());
        exitCode = 1;
        break;
      case 1006:
        pipeline->FailureReport(n.code, n.value, n.text.c_str(), true);
        break;
      case 2001:
        Install::WriteInstallRecords(installFolder);
        break;
      case 2003:
        ReportStep(L"安装成功", 0.0f, L"", ab);
        uninstallerPath = Install::WriteRegistryRecords(installFolder, uninstallerPath);
        Install::WriteInstallRecords(installFolder);
        exitCode = 0;
        break;
      case 2004:
        pipeline->FailureReport(n.code, n.value, n.text.c_str(), false);
        exitCode = 2;
        break;
      case 3000:
        installFolder = ReportedPath(n.text);
        break;
      case 3003:
        uninstallerPath = ReportedPath(n.text);
        break;
      case 5004:
      case 5005:
        exitCode = 3;
        break;
      default:
        break;
    }
  }

  // Waits for the phases to end (the package, too), as the window's end does.
  pipeline.reset();
  ShutdownAnalytics();
  curl_global_cleanup();
  return exitCode;
}
