// CDownloadInstaller: the uninstall -> download -> install sequence.
//
// Start runs on the owner's (the window's) thread and sets the first phase
// going: the old version's uninstaller when one exists, else the download.
// Each phase starts the next from its own notification handler, on that
// phase's worker thread: 5003 starts the download, 1003 the package.
// Every notification goes first, unchanged and on the thread that produced
// it, to the window callback; then the pipeline acts on it.
//
// Ownership: the owner creates the pipeline with its callback, sets the
// parameters and calls Start, all on one thread. The pipeline owns the
// downloader and the package runner (created on the first Start, kept
// afterwards) and the uninstaller runner (one per Start that needs it).
// The destructor waits, without time limit, for every phase worker, so no
// notification arrives after it returns.
//
// Threads: the paths the handlers read (install folder, package path) are
// locked; the stale package path is one locked value for the process.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "download/downloader.h"
#include "install/installer.h"
#include "install/uninstaller.h"

class CDownloadInstaller {
 public:
  using Callback = std::function<void(int code, double value, const wchar_t* text)>;

  explicit CDownloadInstaller(Callback callback);
  ~CDownloadInstaller();
  CDownloadInstaller(const CDownloadInstaller&) = delete;
  CDownloadInstaller& operator=(const CDownloadInstaller&) = delete;

  // Parameters, set by the owner before Start.
  void SetUrl(const std::wstring& url) { url_ = url; }
  void SetOldUninstallerPath(const std::wstring& path) { oldUninstallerPath_ = path; }
  void SetInstallFolder(const std::wstring& folder);
  void SetDesktopShortcut(bool on) { desktopShortcut_ = on; }
  void SetQuickLaunchShortcut(bool on) { quickLaunchShortcut_ = on; }
  void SetAdminAccount(bool on) { adminAccount_ = on; }
  void SetAdminToken(bool on) { adminToken_ = on; }
  void SetInstallLanguage(const std::wstring& language) { installLanguage_ = language; }
  // The window hands it over; the pipeline has no use for it.
  void SetPreviousInstallPath(const std::wstring&) {}

  // Sets the first phase going and returns. With the InsNew setting and an
  // old version to remove, first waits (without time limit) until no
  // copy of the product (kProductExe) runs.
  void Start();

  // Failure texts for analytics, reported under "下载失败原因" (download) or
  // "安装失败原因" (install). The window calls them on its thread: the
  // first for 1004, the second for 1006 (download true) and 2004.
  void DownloadFailureReport(int code, double value, const wchar_t* text);
  void FailureReport(int code, double value, const wchar_t* text, bool download);

  // The package path of the latest Start.
  std::wstring PackagePath() const;
  // The package of the last terminal event of this process (its deletion is
  // tried again at the next one).
  static std::wstring StalePackagePath();

 private:
  void DownloadHandler(int code, double value, const wchar_t* text);
  void UninstallHandler(int code, double value, const wchar_t* text);
  void InstallHandler(int code, double value, const wchar_t* text);
  void TerminalCleanUp();
  std::wstring InstallFolder() const;

  Callback callback_;
  // Read by Start only (the owner's thread).
  std::wstring url_;
  std::wstring oldUninstallerPath_;
  bool desktopShortcut_ = true;
  bool quickLaunchShortcut_ = true;
  bool adminAccount_ = true;
  bool adminToken_ = false;
  std::wstring installLanguage_;
  // Also read by the handlers on the phase threads.
  mutable std::mutex pathsMutex_;
  std::wstring installFolder_;
  std::wstring packagePath_;
  // Created by Start before the phase that uses them begins; the handlers
  // only call them.
  std::unique_ptr<CDownloader> downloader_;
  std::unique_ptr<CInstaller> installer_;
  std::unique_ptr<UnInstaller> uninstaller_;
};

namespace Install {

// The package file (kPackageFileName) directly inside the install folder.
std::wstring PackagePathIn(const std::wstring& installFolder);

// The texts the failure reports send, cut to 199 characters. The free
// space is given in bytes and sent in GiB with two decimals.
std::wstring DownloadFailureText(double value, const std::wstring& text, uint64_t freeBytes,
                                 const std::wstring& permission, int32_t networkState);
std::wstring FailureText(double value, const std::wstring& text);
// A notification's value as the reports print it: truncated toward zero,
// limited to the 32-bit range (NaN gives 0).
long TruncatedCode(double value);
// Bytes in GiB with two decimals ("12.35"), rounded to the nearest
// hundredth, halves up.
std::wstring GigabytesText(uint64_t bytes);
// Bytes of free space an installation needs before it starts.
constexpr uint64_t kRequiredFreeBytes = uint64_t{1} << 30;
// What the free-space probe is asked about for a package path: its drive
// ("C:") when it has one, else its folder.
std::wstring FreeSpaceProbePath(const std::wstring& packagePath);

}  // namespace Install
