// The real system behind MainController's seams.
#include <chrono>
#include <utility>

#include "app/installer_config.h"
#include "install/records.h"
#include "ui/localization.h"
#include "ui/main_controller.h"
#include "ui/shell.h"
#include "uikit/package.h"
#include "utils/file_io.h"
#include "utils/files.h"
#include "utils/probe.h"

namespace {

bool ReadSkinEntry(const std::string& path, std::string* bytes) {
  std::string error;
  const SkinUI::SkinPackage* package = SkinUI::OpenEmbeddedSkinPackage(&error);
  return package && package->ReadEntry(path, bytes, &error);
}

template <class F>
void Fill(F* member, const F& real) {
  if (!*member) *member = real;
}

}  // namespace

MainSystem MainSystem::Real() {
  MainSystem s;
  s.processRunning = [](const std::wstring& name) { return Utils::FindProcessByName(name) != 0; };
  s.createFolder = [](const std::wstring& folder) { return Utils::CreateDirectoryTree(folder); };
  s.freeSpace = [](const std::wstring& probe, uint64_t* freeBytes) {
    Utils::HardDiskManager disk;
    if (!disk.CheckFreeSpace(probe)) return false;
    *freeBytes = disk.FreeBytesAvailable();
    return true;
  };
  s.startNetworkCheck = [] {};
  s.nowMs = [] {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
  };
  s.fileExists = [](const std::wstring& path) { return Utils::FileExists(path); };
  s.shellOpen = [](const std::wstring& target, const std::wstring& folder, bool maximised) {
    ShellActions::Open(target, folder, maximised);
  };
  s.readRegistry = [] { return Install::ReadRegistryRecords(); };
  s.defaultFolder = [](const std::wstring& previous, const std::wstring& uninstaller) {
    return Install::DefaultInstallFolder(previous, uninstaller);
  };
  s.installedLanguage = [](const std::wstring& folder) {
    return Localization::InstalledLanguage(ReadSkinEntry, folder);
  };
  s.loadLanguage = [](int number) { return Localization::LoadLanguage(ReadSkinEntry, number, L""); };
  s.languageChanged = [](int number) { g_InstallerConfig.LanguageIndex = number; };
  s.resourceFolder = Install::ParentFolder(Utils::ExecutablePath());
  return s;
}

MainSystem MainSystem::Completed(MainSystem system) {
  const MainSystem real = Real();
  Fill(&system.processRunning, real.processRunning);
  Fill(&system.createFolder, real.createFolder);
  Fill(&system.freeSpace, real.freeSpace);
  Fill(&system.startNetworkCheck, real.startNetworkCheck);
  Fill(&system.nowMs, real.nowMs);
  Fill(&system.fileExists, real.fileExists);
  Fill(&system.shellOpen, real.shellOpen);
  Fill(&system.readRegistry, real.readRegistry);
  Fill(&system.defaultFolder, real.defaultFolder);
  Fill(&system.installedLanguage, real.installedLanguage);
  Fill(&system.loadLanguage, real.loadLanguage);
  Fill(&system.languageChanged, real.languageChanged);
  if (system.resourceFolder.empty()) system.resourceFolder = real.resourceFolder;
  return system;
}
