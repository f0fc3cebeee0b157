#include "app/main.h"

#include <memory>
#include <string>

#include "app/startup.h"
#include "app/unattended.h"
#include "ui/main_wnd.h"
#include "ui/wnd_shadow.h"
#include "uikit/package.h"
#include "utils/log.h"
#include "utils/utf8.h"

namespace App {
namespace {

void PrepareToolkit() {
  PrepareToolkitPlatform();
  // The skin package is a 7z archive in resource "ZIPRES" 147: opened once
  // here, every window reads it from then on.
  std::string error;
  if (!SkinUI::OpenEmbeddedSkinPackage(&error)) {
    UTILS_LOG(L"skin package: %s", Utils::Utf8ToWide(error).c_str());
  }
  // The window-shadow class, once per process before the first window.
  SkinUI::CWndShadow::Initialize();
}

}  // namespace

int RunSetup() {
  if (SilentSwitchOn()) {
    StartupSteps steps;
    steps.runMainWindow = [] { return RunSilentInstall(); };
    return RunInstaller(steps);
  }
  std::unique_ptr<CMainWnd> window;
  StartupSteps steps;
  steps.prepareToolkit = PrepareToolkit;
  steps.runMainWindow = [&window]() -> int {
    if (!WindowsCanShow()) {
      UTILS_LOG(L"no display for the main window");
      return kExitNoWindow;
    }
    window = std::make_unique<CMainWnd>();
    if (!window->Create(nullptr, L"Quillon")) {
      // No window at all (no display, say) is no installation that ran.
      UTILS_LOG(L"the main window cannot be created");
      return kExitNoWindow;
    }
    window->CenterWindow();
    window->ShowModal();
    // The window's own result is not the process's.
    return 0;
  };
  steps.destroyMainWindow = [&window] { window.reset(); };
  return RunInstaller(steps);
}

}  // namespace App
