// The installer process from its first step to its exit code: hardening,
// the crash reporter, libcurl, the single-instance guard, analytics, the
// command line, the toolkit, the main window, then shutdown in reverse.
//
// The window is passed in, so that the same sequence runs the real window,
// the silent install, or a test's stand-in.
#pragma once

#include <functional>
#include <string>

namespace App {

constexpr wchar_t kInstanceName[] = L"Installer_velmotranslate";
// The exit code of a second copy: -1 on Windows, which Linux sees as 255.
constexpr int kSecondInstanceExit = -1;

struct StartupSteps {
  // Step 7: the toolkit's set-up (instance, package kind, shadow class).
  std::function<void()> prepareToolkit;
  // Step 8: creates, centres and runs the main window modally (or the
  // silent install) and returns the exit code the process ends with; the
  // window's own result is not used by the GUI, so it returns 0 there.
  std::function<int()> runMainWindow;
  // After shutdown step 2, the window object is destroyed (and with it the
  // pipeline): the caller's owner of the window is released here.
  std::function<void()> destroyMainWindow;
};

// Runs every start-up step in order, the window, and the shutdown steps.
int RunInstaller(const StartupSteps& steps);

// Step 1: only the system directory is searched for libraries, and the
// libraries later loaded by name are loaded from there now. Nothing to do
// on Linux, where the loader never searches the current folder.
void HardenLibrarySearch();

// Step 2: the last-chance reporter. Reports the step "崩溃退出" and the
// crash, then lets the system end the process as it would have. Reports
// that cannot finish (a lock held by a thread that stopped, a collector
// that does not answer) never keep the dying process alive: they get
// CrashReportSeconds(), then the process ends anyway. On Windows the
// unhandled-exception filter runs them on a thread of its own and waits
// that long; on Linux a handler of the fatal signals, on its own stack,
// arms an alarm.
void InstallCrashReporter();
// What the reporter does (also called by tests in a child process).
void ReportFatalCrash();
// 10 unless a test program has set another limit before a crash.
unsigned CrashReportSeconds();
void SetCrashReportSeconds(unsigned seconds);

// The "-log=PATH" switch of the process's command line, applied before
// anything writes a trace line worth keeping.
void ApplyLogSwitch();

}  // namespace App
