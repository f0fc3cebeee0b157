// CInstaller: runs the downloaded installation package silently and turns
// its status stream into notifications (2001-2004, 3000-3009).
//
// Ownership and threads: the owner (the download-install pipeline) creates
// the runner, sets the options, and calls Start, all from one thread at a
// time; the runner owns its worker thread and, inside a run, the package's
// PipedProcess. Every notification comes from the worker. Start and the
// destructor wait, without time limit, for a previous run to end; a run
// ends when the package has exited (not its descendants).
//
// Reading never blocks once the package has exited: a descendant that
// inherited the output pipe cannot hold the runner. After a final status
// line the runner keeps draining the pipe while it waits, so a package
// that goes on writing never blocks on a full pipe.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "install/pipeline_codes.h"
#include "install/status_stream.h"
#include "utils/process.h"
#include "utils/thread.h"

class CInstaller {
 public:
  // The 2004 values of a run that never started the package.
  static constexpr double kNoPackage = 1.0;
  static constexpr double kStartFailed = 2.0;
  static constexpr double kSignatureRefused = 3.0;

  using Notify = std::function<void(int code, double value, const wchar_t* text)>;

  // `packageArgument` is the package's path already in double quotes.
  CInstaller(Notify notify, const std::wstring& packageArgument, const std::wstring& installFolder);
  ~CInstaller();
  CInstaller(const CInstaller&) = delete;
  CInstaller& operator=(const CInstaller&) = delete;

  // Options; set them between runs, on the owner's thread.
  void SetInstallFolder(const std::wstring& folder) { installFolder_ = folder; }
  void SetDesktopShortcut(bool on) { desktopShortcut_ = on; }
  void SetQuickLaunchShortcut(bool on) { quickLaunchShortcut_ = on; }
  void SetAdminAccount(bool on) { adminAccount_ = on; }
  void SetAdminToken(bool on) { adminToken_ = on; }
  void SetInstallLanguage(const std::wstring& language) { installLanguage_ = language; }
  // Called on the worker after the package passed the publisher check and
  // before it starts, with the package's path (tests try to swap it here).
  void SetAfterCheckHook(std::function<void(const std::wstring& path)> hook) { afterCheck_ = std::move(hook); }

  // Waits for a previous run to end, builds the command line and starts a
  // run on a new worker named "ABDEF". Returns at once otherwise.
  //
  // With a PublisherKey set, the run checks the package's signature first
  // (signature.h) and starts it only when it passes; otherwise it ends
  // with 2004, value kSignatureRefused and the reason as text. The checked
  // package stays held until its process exists.
  void Start();

  // One chunk of the status stream: sends what it asks for and returns 0
  // (no final state), 1 (success) or 1000 (failure). Called by the worker;
  // tests may call it while no run is going.
  int Parse(const std::wstring& text);
  // One read's bytes: up to the first zero byte, converted with the code
  // page the stream has named so far, then parsed.
  int ParseBytes(const std::string& bytes);

  // The command line of the last Start.
  const std::wstring& CommandLine() const { return commandLine_; }
  int32_t CodePage() const { return stream_.codePage; }
  // major, minor, patch from "InstallVersion=".
  const int32_t* InstallVersion() const { return stream_.version; }

 private:
  void Run();
  void ReadUntilExit(Utils::PipedProcess& process, bool* stoppedByStatus);

  Notify notify_;
  std::wstring packageArgument_;
  std::wstring installFolder_;
  std::wstring commandLine_;
  bool desktopShortcut_ = false;
  bool quickLaunchShortcut_ = false;
  bool adminAccount_ = false;
  bool adminToken_ = true;
  std::wstring installLanguage_;
  std::wstring publisherKey_;
  std::function<void(const std::wstring&)> afterCheck_;
  Install::PackageStreamState stream_;  // the worker's while a run goes
  std::unique_ptr<Utils::Thread> worker_;
};

namespace Install {

struct PackageOptions {
  std::wstring packageArgument;  // quoted path
  std::wstring installFolder;
  bool adminAccount = false;
  bool adminToken = true;
  bool desktopShortcut = false;
  bool quickLaunchShortcut = false;
  std::wstring installLanguage;
  std::wstring instCmd;  // the InstCmd setting, appended unchanged
};

// The package's command line: path, " /S -console=show -version=1.0.0",
// the four flags, the language, InstCmd, then -instdir="..." and /D=...
// (always last, unquoted, the way the package reads the rest of the line).
std::wstring PackageCommandLine(const PackageOptions& options);

// The path inside a quoted argument: one pair of enclosing quotes removed.
std::wstring UnquotedPath(const std::wstring& argument);

// Makes the package file runnable before it is started: on Linux a
// downloaded file has no execute bit. Nothing to do on Windows.
void PreparePackageFile(const std::wstring& path);

}  // namespace Install
