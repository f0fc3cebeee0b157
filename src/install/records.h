// What an installation leaves behind, and where the next one goes.
//
// The records: a registry key under the current user with the install
// folder and the uninstaller's path; "set.ini" and "config.ini" in the
// install folder; "KXAnalytics.ini" in the per-user analytics folder. The
// installed application and the next run of the installer read them.
//
// Every operation ignores failures: a missing record reads as empty, a
// failed write leaves the old value. All of them run on the window's thread
// (WriteInstallRecords changes the process's C locale).
//
// On Linux the registry key is a folder under $XDG_CONFIG_HOME (default
// ~/.config) named after the key, one file per value holding its UTF-8
// text; the other folders follow $XDG_DATA_HOME (default ~/.local/share).
#pragma once

#include <ctime>
#include <string>

namespace Install {

// The key under HKEY_CURRENT_USER.
extern const wchar_t kRecordKey[];
extern const wchar_t kInstallPathValue[];   // "InstallPath"
extern const wchar_t kUnInstallEpValue[];   // "UnInstallEp"
// The uninstaller file an installation is assumed to have when none is named.
extern const wchar_t kDefaultUninstallerName[];  // "uninst.ep"

struct RegistryRecords {
  std::wstring previousInstallPath;
  std::wstring oldUninstallerPath;
};

// Both values of the key; a missing uninstaller value is derived from the
// install folder ("<folder>\uninst.ep").
RegistryRecords ReadRegistryRecords();
// "InstallPath", then "UnInstallEp" when that file exists. The uninstaller
// path is the one the package reported, else "<folder>\uninst.ep"; the
// path used is returned (the window keeps it).
std::wstring WriteRegistryRecords(const std::wstring& installFolder, const std::wstring& reportedUninstaller);
// set.ini (APPStore, AppName, a fresh DeviceID, KXAnalyticsIni), the
// analytics ini's UpdateTime and config.ini's Language.
void WriteInstallRecords(const std::wstring& installFolder);

// "<APPDATA>\TarVixData\velmotranslate" (the shared documents folder when
// APPDATA is not set). Linux: the data home instead of APPDATA.
std::wstring AnalyticsDataFolder();

// The facts the default folder depends on.
struct FolderFacts {
  bool adminAccount = false;  // the console user has administrator rights
  bool adminToken = false;    // this process runs elevated
  bool hasAppData = false;
  std::wstring appData;        // APPDATA (Linux: the data home)
  std::wstring programFilesX86;  // empty when the system has none
  std::wstring programFiles;
};
// The running system's facts (asks the rights probes and the shell).
FolderFacts SystemFolderFacts();

struct DefaultFolder {
  std::wstring folder;
  bool adminAccount = false;
  bool adminToken = false;
};
// The previous installation's folder when its uninstaller still exists;
// otherwise "<APPDATA>\tarvix\velmotranslate" for an administrator running
// elevated, else "<Program Files (x86) or Program Files>\velmotranslate".
DefaultFolder DefaultInstallFolder(const std::wstring& previousInstallPath, const std::wstring& oldUninstallerPath);
// The same rule over given facts.
std::wstring ChooseDefaultInstallFolder(const std::wstring& previousInstallPath, bool oldUninstallerExists,
                                        const FolderFacts& facts);

// The relative path from folder `a` to folder `b` is ".". Windows asks the
// shell (case-insensitive); Linux compares the paths' components
// (case-sensitive, empty and "." components ignored).
bool IsSameFolder(const std::wstring& a, const std::wstring& b);
// The Linux rule, on any platform.
bool SameFolderComponents(const std::wstring& a, const std::wstring& b, wchar_t separator);

// The default folder when the choice is that folder; otherwise the choice
// with "/" made "\" (Linux: kept) and "\velmotranslate" appended.
std::wstring EffectiveInstallFolder(const std::wstring& chosen);
std::wstring EffectiveInstallFolder(const std::wstring& chosen, const std::wstring& defaultFolder);

// The target is the previous installation's folder and its set.ini says
// "IsOverride=false" (exactly): the installation stays, nothing is removed.
bool KeepPreviousInstallation(const std::wstring& previousInstallPath, const std::wstring& target);

// Folder and name with one separator between them.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);
// The path without its last component (and the separator before it).
std::wstring ParentFolder(const std::wstring& path);

namespace records_platform {

bool ReadValue(const std::wstring& name, std::wstring* value);
bool WriteValue(const std::wstring& name, const std::wstring& value);
bool AppDataFolder(std::wstring* folder);
std::wstring SharedDocumentsFolder();
std::wstring ProgramFilesX86Folder();
std::wstring ProgramFilesFolder();
// "/" -> "\" on Windows; Linux paths keep their separator.
std::wstring NativeSeparators(const std::wstring& path);
std::tm LocalTime();

}  // namespace records_platform
}  // namespace Install
