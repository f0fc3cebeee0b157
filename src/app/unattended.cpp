#include "app/unattended.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>

#include "app/analytics_adapter.h"
#include "app/installer_config.h"
#include "install/download_installer.h"
#include "install/product_files.h"
#include "install/records.h"
#include "utils/cmdline.h"
#include "utils/files.h"
#include "utils/probe.h"
#include "utils/profile.h"
#include "utils/utf8.h"

namespace App {
namespace {

struct Notification {
  int code = 0;
  double value = 0;
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

// A path the package reported. Its status lines end in CR LF and the value
// keeps the CR; as a folder or file name it must go.
std::wstring ReportedPath(const std::wstring& text) {
  std::wstring path = text;
  while (!path.empty() && (path.back() == L'\r' || path.back() == L'\n' || path.back() == L' ')) path.pop_back();
  return path;
}

constexpr wchar_t kProductRunningText[] = L"安装程序检测到Quillon\r\n正在运行，请退出程序后再安装";
constexpr wchar_t kFolderUnusableText[] = L"无效路径";
// Text 104 of the language table; the silent mode loads no table.
constexpr wchar_t kTooLittleSpaceText[] = L"磁盘剩余空间不足，安装 Quillon 至少需要 1 GB，请选择其他安装位置。";
constexpr wchar_t kNetworkText[] = L"当前网络环境较差，请在网络通畅时进行安装";

int Stop(int code, const std::wstring& text) {
  unattended_platform::WriteConsoleLine("error\t" + std::to_string(code) + "\t" +
                                        EscapedText(text));
  return code;
}

// The language the window would have selected: the installed copy's, else
// the settings record's.
std::wstring SilentLanguage(const std::wstring& previousInstallPath) {
  static const wchar_t* const kTags[] = {L"en-US", L"zh-CN", L"zh-TW"};
  if (!previousInstallPath.empty()) {
    const std::wstring tag = Utils::ReadProfileString(
        L"Install", L"Language", L"en-US", Install::JoinPath(previousInstallPath, L"config.ini"));
    for (int i = 0; i < 3; ++i) {
      if (tag == kTags[i]) {
        g_InstallerConfig.LanguageIndex = i;
        return tag;
      }
    }
  }
  const int32_t index = g_InstallerConfig.LanguageIndex;
  return index >= 0 && index < 3 ? kTags[index] : L"";
}

}  // namespace

std::string EscapedText(const std::wstring& text) {
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

std::string NotificationLine(int code, double value, const std::wstring& text) {
  char number[64];
  std::snprintf(number, sizeof number, "%.15g", value);
  return std::to_string(code) + "\t" + number + "\t" + EscapedText(text);
}

int RunUnattended(const UnattendedJob& job, const std::function<void(const std::string& line)>& line) {
  Inbox inbox;
  auto pipeline = std::make_unique<CDownloadInstaller>(
      [&inbox](int code, double value, const wchar_t* text) { inbox.Post(code, value, text); });
  pipeline->SetUrl(job.url);
  pipeline->SetPreviousInstallPath(job.previousInstallPath);
  pipeline->SetOldUninstallerPath(job.oldUninstaller);
  pipeline->SetInstallFolder(job.folder);
  pipeline->SetDesktopShortcut(job.desktopShortcut);
  pipeline->SetQuickLaunchShortcut(job.quickLaunchShortcut);
  pipeline->SetAdminAccount(job.adminAccount);
  pipeline->SetAdminToken(job.adminToken);
  pipeline->SetInstallLanguage(job.language);
  ReportView();
  pipeline->Start();

  std::wstring installFolder = job.folder;
  std::wstring uninstallerPath;
  const bool bounded = job.timeLimit > 0;
  const auto deadline =
      std::chrono::steady_clock::now() +
      std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(job.timeLimit));
  bool downloaderReported = false;
  std::chrono::steady_clock::time_point downloadStarted;
  bool downloadTimed = false;
  int exitCode = -1;
  while (exitCode < 0) {
    Notification n;
    if (!inbox.Next(&n, bounded, deadline)) {
      // The phases may be held by a child that does not end: never wait
      // for them.
      pipeline.release();
      return kExitTimeLimit;
    }
    line(NotificationLine(n.code, n.value, n.text));
    switch (n.code) {
      case kDownloadBegun:
        if (!downloaderReported) {
          downloaderReported = true;
          ReportStep(L"下载器启动", 0.0f, L"");
        }
        // A retry restarts the stopwatch: the step measures one download.
        downloadStarted = std::chrono::steady_clock::now();
        downloadTimed = true;
        ReportStep(L"开始下载大包", 0.0f, L"");
        break;
      case kDownloadComplete: {
        const float elapsed =
            downloadTimed ? std::chrono::duration<float>(std::chrono::steady_clock::now() - downloadStarted).count()
                          : 0.0f;
        ReportStep(L"大包下载完毕", elapsed, L"");
        break;
      }
      case kDownloadFailed:
        pipeline->DownloadFailureReport(n.code, n.value, n.text.c_str());
        exitCode = kExitDownloadFailed;
        break;
      case kDownloadMd5Notice:
        pipeline->FailureReport(n.code, n.value, n.text.c_str(), true);
        break;
      case kInstallBegun:
        Install::WriteInstallRecords(installFolder);
        break;
      case kInstallSucceeded:
        ReportStep(L"安装成功", 0.0f, L"");
        uninstallerPath = Install::WriteRegistryRecords(installFolder, uninstallerPath);
        Install::WriteInstallRecords(installFolder);
        exitCode = kExitInstalled;
        break;
      case kInstallFailed:
        pipeline->FailureReport(n.code, n.value, n.text.c_str(), false);
        exitCode = kExitPackageFailed;
        break;
      case kReportInstallPath:
        installFolder = ReportedPath(n.text);
        break;
      case kReportUninstallerEp:
        uninstallerPath = ReportedPath(n.text);
        break;
      case kUninstallNotStarted:
      case kUninstallFailed:
        exitCode = kExitOldVersionKept;
        break;
      default:
        break;
    }
  }
  // Waits for the phases to end (the package, too), as the window's end does.
  pipeline.reset();
  return exitCode;
}

bool SilentSwitchOn() {
  const CommandLineMap map = BuildCommandLineMap(Utils::ProcessArguments());
  auto it = map.find(L"-silent");
  return it != map.end() && it->second == L"true";
}

int RunSilentInstall() {
  const Install::RegistryRecords records = Install::ReadRegistryRecords();
  const Install::DefaultFolder target =
      Install::DefaultInstallFolder(records.previousInstallPath, records.oldUninstallerPath);
  const bool installed = !records.previousInstallPath.empty();
  const bool insNew = g_InstallerConfig.InsNew;

  // The window's checks, in its order.
  if (!insNew && (Utils::FindProcessByName(Install::kUninstallerCopyName) != 0 ||
                  Utils::FindProcessByName(Install::kProductExe) != 0)) {
    return Stop(kExitProductRunning, kProductRunningText);
  }
  if (!Utils::CreateDirectoryTree(target.folder)) return Stop(kExitFolderUnusable, kFolderUnusableText);
  Utils::HardDiskManager disk;
  const bool probed = disk.CheckFreeSpace(Install::FreeSpaceProbePath(Install::JoinPath(target.folder, L"x")));
  if (!probed || disk.FreeBytesAvailable() < Install::kRequiredFreeBytes) {
    return Stop(kExitTooLittleSpace, kTooLittleSpaceText);
  }
  if (g_InstallerConfig.IsCheckNet && Utils::NetworkVerdict(unattended_platform::CheckNetworkNow()) != 0) {
    return Stop(kExitNetworkUnusable, kNetworkText);
  }

  UnattendedJob job;
  job.url = g_InstallerConfig.DownloadUrl;
  job.folder = target.folder;
  job.previousInstallPath = records.previousInstallPath;
  job.oldUninstaller = Install::KeepPreviousInstallation(records.previousInstallPath, target.folder)
                           ? std::wstring()
                           : records.oldUninstallerPath;
  job.adminAccount = target.adminAccount;
  job.adminToken = target.adminToken;
  job.language = SilentLanguage(installed ? records.previousInstallPath : std::wstring());
  unattended_platform::WriteConsoleLine("folder\t" + EscapedText(target.folder));
  return RunUnattended(job, [](const std::string& line) { unattended_platform::WriteConsoleLine(line); });
}

}  // namespace App
