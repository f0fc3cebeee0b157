// The installation without a window: the pipeline driven the way the main
// window drives it, with its records and reports, and its notifications
// handed to the caller as lines. tools/install and the installer's
// "-silent=true" mode both run it.
//
// Threads: the caller's thread is the "window" thread; notifications cross
// from the phase workers to it through a queue, and every record and
// report is made there.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace App {

// Exit codes of a run without a window. tools/install uses the first four
// and two of its own (4 bad flags, 5 time limit); the installer's silent
// mode the rest as well.
enum UnattendedExit : int {
  kExitInstalled = 0,
  kExitDownloadFailed = 1,   // 1004
  kExitPackageFailed = 2,    // 2004
  kExitOldVersionKept = 3,   // 5004, 5005: the old version was not removed
  kExitTimeLimit = 5,        // tools/install's --time-limit passed first
  kExitProductRunning = 6,   // the product or its old uninstaller runs
  kExitFolderUnusable = 7,   // the install folder cannot be created
  kExitTooLittleSpace = 8,   // less than 1 GiB free for the folder
  kExitNetworkUnusable = 9,  // IsCheckNet and the network check says no
};

// One installation's parameters, as the window hands them to the pipeline.
struct UnattendedJob {
  std::wstring url;
  std::wstring folder;
  std::wstring oldUninstaller;  // empty: nothing to remove
  std::wstring previousInstallPath;
  std::wstring language;  // the package's "-inslang"
  bool desktopShortcut = true;
  bool quickLaunchShortcut = true;
  bool adminAccount = false;
  bool adminToken = false;
  // Seconds until RunUnattended gives up with kExitTimeLimit; 0: no limit.
  double timeLimit = 0;
};

// "code<TAB>value<TAB>text": the value with %.15g, the text in UTF-8 with
// backslash, CR, LF and TAB escaped, so every notification is one line.
std::string NotificationLine(int code, double value, const std::wstring& text);
// The text part of such a line.
std::string EscapedText(const std::wstring& text);

// Runs the phases until the pipeline has ended (the package, too) and
// returns kExitInstalled, kExitDownloadFailed, kExitPackageFailed or
// kExitOldVersionKept. Every notification goes to `line` first, in the
// order received. Reports as the window: the view "安装中" before Start,
// "下载器启动" once, "开始下载大包", "大包下载完毕", "安装成功", the failure
// reasons; records on 2001 and 2003. When the time limit passes first it
// returns kExitTimeLimit at once and leaves the phases running (a child
// that never ends would hold the pipeline's end): the caller then leaves
// the process without destructors.
int RunUnattended(const UnattendedJob& job, const std::function<void(const std::string& line)>& line);

// The silent mode ("-silent=true"): the window's one-click path without the
// window. The installed copy's folder (from the records) or the default
// folder, the window's checks in its order, the network check when
// IsCheckNet, then RunUnattended. Lines go to the console the installer was
// started from (Windows: its standard output when it has one, else the
// parent's console); a check that stops the run prints "error<TAB>CODE<TAB>
// TEXT" with the text the window would have shown. Returns an
// UnattendedExit. Called in place of the main window, after the command
// line has been applied.
int RunSilentInstall();

// The "-silent" switch of the process's command line is "true".
bool SilentSwitchOn();

namespace unattended_platform {

// Makes the console reachable and writes one line (a line end added).
void WriteConsoleLine(const std::string& utf8);
// Utils::CheckNetwork with what it needs on this thread (COM on Windows).
int32_t CheckNetworkNow();

}  // namespace unattended_platform
}  // namespace App
