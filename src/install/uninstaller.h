// Removes an installed older version by running a copy of its own
// uninstaller silently and following its status lines.
//
// Ownership: the pipeline owns the UnInstaller; the UnInstaller owns its
// worker thread and, during a run, the child process. Start, the
// destructor and everything else public belong to the owner's thread; the
// run and every notification happen on the "UnInstaller" thread. A second
// Start waits for the earlier run to end (the uninstaller is never
// stopped) before the next one begins; so does the destructor.
//
// Notifications (code, value, text):
//   5002 0.0 ""           the uninstaller is about to start
//   5002 p   ""           a "Progress=p" line
//   5003 0.0 ""           a "State=Success" line
//   5003 1.0 ""           the uninstaller exited and nothing reported a final state
//   5004 1.0 "可执行卸载文件不存在"  the uninstaller copy does not exist
//   5004 2.0 ""           the uninstaller could not be started
//   5005 0.0 "安装包卸载失败"       a "State=Fail" line
//   5005 0.0 value        an "Error=value" line
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "install/pipeline_codes.h"
#include "utils/process.h"
#include "utils/thread.h"

using UninstallNotify = std::function<void(int, double, const wchar_t*)>;

// The name the old uninstaller is copied to in the temp work folder.

// Copies the old version's uninstaller into the temp work folder, replacing
// an earlier copy, and returns the copy's path (empty without a temp work
// folder). An earlier copy is removed first even when the copy fails, so a
// vanished uninstaller is reported as missing instead of a stale one being
// run. On Linux the copy is made executable.
std::wstring CopyUninstaller(const std::wstring& oldUninstallerPath);

// "\"<uninstaller>\" /S -adminact=<true|false> -authorizationact=<true|false>
// -console=show _?=<old folder>". The program is quoted: an elevated
// process must not let the system try the pieces of an unquoted path with
// spaces. "_?=" and the folder stay last and unquoted, as the uninstaller
// takes the rest of the line as the folder.
std::wstring UninstallerCommandLine(const std::wstring& uninstallerPath, bool adminAccount, bool adminToken,
                                    const std::wstring& oldFolder);

// One chunk of the uninstaller's status stream: notifies for the lines it
// knows and returns 0 (no final state), 1 (success) or 1000 (failure).
// "Encode=" lines change *codePage (65001 for "UTF8", else 0).
int ParseUninstallStatus(const std::wstring& chunk, int* codePage, const UninstallNotify& notify);

class UnInstaller {
 public:
  UnInstaller(UninstallNotify notify, std::wstring uninstallerPath, std::wstring oldFolder);
  ~UnInstaller();
  UnInstaller(const UnInstaller&) = delete;
  UnInstaller& operator=(const UnInstaller&) = delete;

  // Builds the command line (asks the rights probes) and starts the run on
  // a new worker; returns at once.
  void Start();
  // Waits for the current run to end; no-op without one.
  void Join();

  // The command line of the latest Start (the owner's thread only).
  const std::wstring& CommandLine() const { return commandLine_; }

  // The parse step of a run (the worker's thread).
  int Parse(const std::wstring& chunk);

 private:
  void Run();

  UninstallNotify notify_;
  std::wstring uninstallerPath_;
  std::wstring oldFolder_;
  std::wstring commandLine_;  // written by Start only while no worker runs
  int codePage_ = 0;
  std::unique_ptr<Utils::Thread> worker_;
  std::unique_ptr<Utils::PipedProcess> process_;
};

namespace uninstaller_platform {

// Copies `from` over `to`; on Linux the result is executable. After a
// failure LastSystemError is the failed step's code (the clean-up only
// makes calls that succeed or leave it alone).
bool CopyExecutable(const std::wstring& from, const std::wstring& to);

}  // namespace uninstaller_platform
