#include "records.h"

#include <clocale>
#include <vector>

#include "app/installer_config.h"
#include "utils/file_io.h"
#include "utils/files.h"
#include "utils/probe.h"
#include "utils/profile.h"
#include "utils/text.h"

namespace Install {

const wchar_t kRecordKey[] = L"Software\\TarVixSoft\\velmotranslate";
const wchar_t kInstallPathValue[] = L"InstallPath";
const wchar_t kUnInstallEpValue[] = L"UnInstallEp";
const wchar_t kDefaultUninstallerName[] = L"uninst.ep";

namespace {

const wchar_t kAppName[] = L"velmotranslate";

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

std::wstring FileNameOf(const std::wstring& path) {
  std::wstring::size_type at = path.size();
  while (at > 0 && !IsSeparator(path[at - 1])) --at;
  return path.substr(at);
}

std::wstring LocalTimeText() {
  std::tm t = records_platform::LocalTime();
  wchar_t text[64];
  swprintf(text, 64, L"%d-%02d-%02d %02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour,
           t.tm_min, t.tm_sec);
  return text;
}

std::vector<std::wstring> Components(const std::wstring& path, wchar_t separator) {
  std::vector<std::wstring> parts;
  std::wstring part;
  for (wchar_t c : path + separator) {
    if (c != separator) {
      part += c;
      continue;
    }
    if (!part.empty() && part != L".") parts.push_back(part);
    part.clear();
  }
  return parts;
}

}  // namespace

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty()) return name;
  if (IsSeparator(folder.back())) return folder + name;
  return folder + Utils::PathSeparator() + name;
}

std::wstring ParentFolder(const std::wstring& path) {
  std::wstring::size_type at = path.size();
  while (at > 0 && !IsSeparator(path[at - 1])) --at;
  if (at == 0) return std::wstring();
  // Keep a root ("/" or "C:\") whole.
  if (at == 1 || (at == 3 && path[1] == L':')) return path.substr(0, at);
  return path.substr(0, at - 1);
}

RegistryRecords ReadRegistryRecords() {
  RegistryRecords records;
  if (!records_platform::ReadValue(kInstallPathValue, &records.previousInstallPath)) {
    records.previousInstallPath.clear();
  }
  if (!records_platform::ReadValue(kUnInstallEpValue, &records.oldUninstallerPath)) {
    records.oldUninstallerPath.clear();
  }
  if (records.oldUninstallerPath.empty() && !records.previousInstallPath.empty()) {
    records.oldUninstallerPath = JoinPath(records.previousInstallPath, kDefaultUninstallerName);
  }
  return records;
}

std::wstring WriteRegistryRecords(const std::wstring& installFolder, const std::wstring& reportedUninstaller) {
  records_platform::WriteValue(kInstallPathValue, installFolder);
  const std::wstring uninstaller =
      reportedUninstaller.empty() ? JoinPath(installFolder, kDefaultUninstallerName) : reportedUninstaller;
  if (Utils::FileExists(uninstaller)) records_platform::WriteValue(kUnInstallEpValue, uninstaller);
  return uninstaller;
}

std::wstring AnalyticsDataFolder() {
  std::wstring base;
  if (!records_platform::AppDataFolder(&base)) base = records_platform::SharedDocumentsFolder();
  return JoinPath(JoinPath(base, L"TarVixData"), kAppName);
}

void WriteInstallRecords(const std::wstring& installFolder) {
  // The installed application expects the records written under this
  // locale; it stays for the rest of the process.
  std::setlocale(LC_ALL, "en_GB.UTF-8");

  const std::wstring setIni = JoinPath(installFolder, L"set.ini");
  Utils::StoreProfileString(L"Install", L"APPStore", FileNameOf(Utils::ExecutablePath()), setIni);
  Utils::StoreProfileString(L"Install", L"AppName", kAppName, setIni);
  Utils::StoreProfileString(L"Install", L"DeviceID", Utils::MakeGuidString(), setIni);

  const std::wstring dataFolder = AnalyticsDataFolder();
  if (Utils::CreateDirectoryTree(dataFolder)) {
    const std::wstring analyticsIni = JoinPath(dataFolder, L"KXAnalytics.ini");
    Utils::StoreProfileString(L"Install", L"KXAnalyticsIni", analyticsIni, setIni);
    Utils::StoreProfileString(L"Init", L"UpdateTime", LocalTimeText(), analyticsIni);
  }

  const wchar_t* language = g_InstallerConfig.LanguageIndex == 2 ? L"zh-TW" : L"en-US";
  Utils::StoreProfileString(L"Install", L"Language", language, JoinPath(installFolder, L"config.ini"));
}

FolderFacts SystemFolderFacts() {
  FolderFacts facts;
  std::wstring user;
  facts.adminAccount = Utils::ConsoleUserName(&user) && Utils::IsUserAdminAccount(user);
  facts.adminToken = Utils::IsProcessAdmin();
  facts.hasAppData = records_platform::AppDataFolder(&facts.appData);
  facts.programFilesX86 = records_platform::ProgramFilesX86Folder();
  facts.programFiles = records_platform::ProgramFilesFolder();
  return facts;
}

std::wstring ChooseDefaultInstallFolder(const std::wstring& previousInstallPath, bool oldUninstallerExists,
                                        const FolderFacts& facts) {
  if (!previousInstallPath.empty() && oldUninstallerExists) return previousInstallPath;
  std::wstring base;
  if (facts.adminAccount && facts.adminToken && facts.hasAppData) {
    base = JoinPath(facts.appData, L"tarvix");
  } else if (!facts.programFilesX86.empty()) {
    base = facts.programFilesX86;
  } else {
    base = facts.programFiles;
  }
  return JoinPath(base, kAppName);
}

DefaultFolder DefaultInstallFolder(const std::wstring& previousInstallPath, const std::wstring& oldUninstallerPath) {
  const FolderFacts facts = SystemFolderFacts();
  DefaultFolder result;
  result.adminAccount = facts.adminAccount;
  result.adminToken = facts.adminToken;
  const bool exists = !oldUninstallerPath.empty() && Utils::FileExists(oldUninstallerPath);
  result.folder = ChooseDefaultInstallFolder(previousInstallPath, exists, facts);
  return result;
}

bool SameFolderComponents(const std::wstring& a, const std::wstring& b, wchar_t separator) {
  if (a.empty() || b.empty()) return false;
  // An absolute path never names the same folder as a relative one.
  if ((a[0] == separator) != (b[0] == separator)) return false;
  return Components(a, separator) == Components(b, separator);
}

std::wstring EffectiveInstallFolder(const std::wstring& chosen, const std::wstring& defaultFolder) {
  if (IsSameFolder(defaultFolder, chosen)) return defaultFolder;
  return JoinPath(records_platform::NativeSeparators(chosen), kAppName);
}

std::wstring EffectiveInstallFolder(const std::wstring& chosen) {
  const RegistryRecords records = ReadRegistryRecords();
  return EffectiveInstallFolder(chosen,
                                DefaultInstallFolder(records.previousInstallPath, records.oldUninstallerPath).folder);
}

bool KeepPreviousInstallation(const std::wstring& previousInstallPath, const std::wstring& target) {
  if (!IsSameFolder(previousInstallPath, target)) return false;
  const std::wstring value =
      Utils::ReadProfileString(L"Uninstall", L"IsOverride", L"true", JoinPath(target, L"set.ini"), 20);
  return value == L"false";
}

}  // namespace Install
