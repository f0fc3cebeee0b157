// The codes the pipeline's phases send their owner (the window, the silent
// mode, tools/install), beside the downloaders' own (DownloadCode, in
// download/downloader.h). The numbers are what peers and logs know them
// by; code names them only through these.
#pragma once

#include "download/downloader.h"

// The package's run (the installer runner and its status stream).
enum InstallerCode : int {
  kInstallBegun = 2001,      // the run begins
  kInstallProgress = 2002,   // just before the start, then each "Progress=" line
  kInstallSucceeded = 2003,  // "State=Success", or an end without a final state
  kInstallFailed = 2004,     // the cause in the value, the failure text
};

// What the package reports about itself, one line each.
enum PackageReportCode : int {
  kReportInstallPath = 3000,        // "InstPath="
  kReportProductExe = 3001,         // "ExePath=" / "StartExe="
  kReportUninstallerExe = 3002,     // "UninstExePath=" / "UninstExe="
  kReportUninstallerEp = 3003,      // "UninstEp="
  kReportStartUrl = 3004,           // "StartUrl="
  kReportStartupStyle = 3005,       // "StartupStyle="
  kReportTopShowDelay = 3007,       // "TopShowDetention="
  kReportFinishCloseDelay = 3008,   // "FinsihCloseDetention="
  kReportMessage = 3009,            // "Message="
};

// The old version's removal (the uninstaller runner).
enum UninstallerCode : int {
  kUninstallBegun = 5001,      // logged only; never sent
  kUninstallProgress = 5002,
  kUninstallSucceeded = 5003,  // then the download starts
  kUninstallNotStarted = 5004, // no uninstaller copy, or it could not be started
  kUninstallFailed = 5005,     // "State=Fail" or an "Error=" line
};
