#include "download_installer.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>
#include <utility>

#include "app/analytics_adapter.h"
#include "app/installer_config.h"
#include "download/downloader_factory.h"
#include "install/records.h"
#include "install/product_files.h"
#include "utils/file_io.h"
#include "utils/files.h"
#include "utils/log.h"
#include "utils/probe.h"
#include "utils/whole_number.h"

namespace {

const wchar_t kDownloadReason[] = L"下载失败原因";
const wchar_t kInstallReason[] = L"安装失败原因";
const wchar_t kNoPermission[] = L"无权限";
const wchar_t kReadable[] = L"可读";
// The report texts fit a buffer of 200 characters with its terminator.
constexpr size_t kReportTextLimit = 199;

// The package of the last terminal event in this process. The download and
// install handlers run on different threads, and a later pipeline may
// touch it too.
std::mutex g_staleMutex;
std::wstring g_stalePackagePath;

std::wstring CutReportText(std::wstring text) {
  if (text.size() <= kReportTextLimit) return text;
  text.resize(kReportTextLimit);
  // UTF-16: do not leave half a surrogate pair at the end.
  if (sizeof(wchar_t) == 2 && !text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF) text.pop_back();
  return text;
}

}  // namespace

namespace Install {

std::wstring PackagePathIn(const std::wstring& installFolder) {
  return JoinPath(installFolder, kPackageFileName);
}

long TruncatedCode(double value) { return Utils::TruncatedTo<int32_t>(value); }

// Bytes as GiB with two decimals, rounded to the nearest hundredth with
// halves up, in whole numbers: printf's "%.2f" rounds an exact half (such as
// 0.125) up in one C library and to even in another.
std::wstring GigabytesText(uint64_t bytes) {
  constexpr uint64_t kGiB = uint64_t{1} << 30;
  const uint64_t whole = bytes / kGiB;
  const uint64_t hundredths = ((bytes % kGiB) * 100 + kGiB / 2) / kGiB;  // 0..100
  wchar_t text[32];
  swprintf(text, 32, L"%llu.%02llu", static_cast<unsigned long long>(whole + hundredths / 100),
           static_cast<unsigned long long>(hundredths % 100));
  return text;
}

std::wstring DownloadFailureText(double value, const std::wstring& text, uint64_t freeBytes,
                                 const std::wstring& permission, int32_t networkState) {
  // Built piece by piece: the message may be longer than any buffer, and
  // only the cut decides how much of it stays.
  wchar_t head[64];
  swprintf(head, 64, L"1.code=%ld；2.msg=", TruncatedCode(value));
  return CutReportText(head + text + L"；3.缓存磁盘容量=" + GigabytesText(freeBytes) + L"G；4.缓存读写权限=" + permission +
                       L"；5.服务器连接状态code=" + std::to_wstring(networkState));
}

std::wstring FailureText(double value, const std::wstring& text) {
  wchar_t head[64];
  swprintf(head, 64, L":1.code=%ld；2.msg=", TruncatedCode(value));
  return CutReportText(head + text);
}

std::wstring FreeSpaceProbePath(const std::wstring& packagePath) {
  if (packagePath.size() >= 2 && packagePath[1] == L':') return packagePath.substr(0, 2);
  return ParentFolder(packagePath);
}

}  // namespace Install

CDownloadInstaller::CDownloadInstaller(Callback callback) : callback_(std::move(callback)) {}

CDownloadInstaller::~CDownloadInstaller() {
  // The uninstaller may still start the download and the download the
  // package runner: end them in that order.
  uninstaller_.reset();
  downloader_.reset();
  installer_.reset();
  // The package has ended now; a package file that was still in use at
  // its terminal event can go.
  std::lock_guard<std::mutex> lock(g_staleMutex);
  if (!g_stalePackagePath.empty()) Utils::DeleteFileAt(g_stalePackagePath);
}

void CDownloadInstaller::SetInstallFolder(const std::wstring& folder) {
  std::lock_guard<std::mutex> lock(pathsMutex_);
  installFolder_ = folder;
}

std::wstring CDownloadInstaller::InstallFolder() const {
  std::lock_guard<std::mutex> lock(pathsMutex_);
  return installFolder_;
}

std::wstring CDownloadInstaller::PackagePath() const {
  std::lock_guard<std::mutex> lock(pathsMutex_);
  return packagePath_;
}

std::wstring CDownloadInstaller::StalePackagePath() {
  std::lock_guard<std::mutex> lock(g_staleMutex);
  return g_stalePackagePath;
}

void CDownloadInstaller::Start() {
  std::wstring folder, packagePath;
  {
    std::lock_guard<std::mutex> lock(pathsMutex_);
    packagePath_ = Install::PackagePathIn(installFolder_);
    folder = installFolder_;
    packagePath = packagePath_;
  }
  UTILS_LOG(L"DL_TYPE=%d\r\n", static_cast<int>(g_InstallerConfig.DownloadType));

  if (!downloader_) {
    downloader_ = MakeDownloader(
        g_InstallerConfig.DownloadType,
        [this](int code, double value, const wchar_t* text) { DownloadHandler(code, value, text); }, url_,
        packagePath);
  }
  if (!installer_) {
    installer_ = std::make_unique<CInstaller>(
        [this](int code, double value, const wchar_t* text) { InstallHandler(code, value, text); },
        L"\"" + packagePath + L"\"", folder);
  }
  installer_->SetInstallFolder(folder);
  installer_->SetDesktopShortcut(desktopShortcut_);
  installer_->SetQuickLaunchShortcut(quickLaunchShortcut_);
  installer_->SetAdminAccount(adminAccount_);
  installer_->SetAdminToken(adminToken_);
  installer_->SetInstallLanguage(installLanguage_);

  if (!oldUninstallerPath_.empty() && Utils::FileExists(oldUninstallerPath_)) {
    // An earlier uninstall still running is let finish, then freed.
    uninstaller_.reset();
    const std::wstring copy = CopyUninstaller(oldUninstallerPath_);
    uninstaller_ = std::make_unique<UnInstaller>(
        [this](int code, double value, const wchar_t* text) { UninstallHandler(code, value, text); }, copy,
        Install::ParentFolder(oldUninstallerPath_));
    if (g_InstallerConfig.InsNew) {
      while (Utils::FindProcessByName(Install::kProductExe) != 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
      }
    }
    uninstaller_->Start();
  } else {
    downloader_->Start();
  }
}

void CDownloadInstaller::TerminalCleanUp() {
  const std::wstring packagePath = PackagePath();
  Utils::DeleteFileAt(packagePath);
  std::lock_guard<std::mutex> lock(g_staleMutex);
  if (!g_stalePackagePath.empty()) Utils::DeleteFileAt(g_stalePackagePath);
  g_stalePackagePath = packagePath;
}

void CDownloadInstaller::DownloadHandler(int code, double value, const wchar_t* text) {
  callback_(code, value, text);
  switch (code) {
    case kDownloadBegun:
      Utils::CreateDirectoryTree(InstallFolder());
      UTILS_LOG(L"DL_CODE_START\r\n");
      break;
    case kDownloadProgress:
      UTILS_LOG(L"DL_CODE_PROGRESS\r\n");
      break;
    case kDownloadComplete:
      UTILS_LOG(L"DOWNLOAD_SUCCESS\r\n");
      installer_->Start();
      UTILS_LOG(L"DL_CODE_SUCCESS\r\n");
      break;
    case kDownloadFailed:
      TerminalCleanUp();
      UTILS_LOG(L"DL_CODE_FAIL\r\n");
      break;
    case kDownloadRetry:
      UTILS_LOG(L"DL_CODE_RETRY\r\n");
      downloader_->Start();
      break;
    default:
      break;
  }
}

void CDownloadInstaller::UninstallHandler(int code, double value, const wchar_t* text) {
  callback_(code, value, text);
  switch (code) {
    case kUninstallBegun:
      UTILS_LOG(L"UNIST_CODE_START\r\n");
      break;
    case kUninstallProgress:
      UTILS_LOG(L"UNIST_CODE_PROGRESS\r\n");
      break;
    case kUninstallSucceeded:
      UTILS_LOG(L"UNIST_CODE_SUCCESS\r\n");
      downloader_->Start();
      break;
    case kUninstallNotStarted:
      UTILS_LOG(L"UNIST_CODE_FAIL\r\n");
      break;
    case kUninstallFailed:
      UTILS_LOG(L"UNIST_CODE_ERROR\r\n");
      break;
    default:
      break;
  }
}

void CDownloadInstaller::InstallHandler(int code, double value, const wchar_t* text) {
  callback_(code, value, text);
  switch (code) {
    case kInstallBegun:
      UTILS_LOG(L"IST_CODE_START\r\n");
      break;
    case kInstallSucceeded:
      TerminalCleanUp();
      UTILS_LOG(L"INSTALL_SUCCESS\r\n");
      break;
    case kInstallFailed:
      TerminalCleanUp();
      UTILS_LOG(L"IST_CODE_FAIL\r\n");
      break;
    default:
      break;
  }
}

void CDownloadInstaller::DownloadFailureReport(int code, double value, const wchar_t* text) {
  const std::wstring packagePath = Install::PackagePathIn(InstallFolder());
  const int32_t network = Utils::CheckNetwork();

  const wchar_t* permission = kReadable;
  if (Utils::FileExists(packagePath) && !Utils::DeleteFileAt(packagePath)) {
    permission = kNoPermission;
  } else if (FILE* probe = Utils::OpenFile(packagePath, "w+b")) {
    std::fclose(probe);
    Utils::DeleteFileAt(packagePath);
  } else {
    permission = kNoPermission;
  }

  Utils::HardDiskManager disk;
  const uint64_t freeBytes =
      disk.CheckFreeSpace(Install::FreeSpaceProbePath(packagePath)) ? disk.FreeBytesAvailable() : 0;
  const std::wstring report =
      Install::DownloadFailureText(value, text ? text : L"", freeBytes, permission, network);
  ReportStep(kDownloadReason, 0.0f, report);
}

void CDownloadInstaller::FailureReport(int code, double value, const wchar_t* text, bool download) {
  ReportStep(download ? kDownloadReason : kInstallReason, 0.0f, Install::FailureText(value, text ? text : L""));
}
