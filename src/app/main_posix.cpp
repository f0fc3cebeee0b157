#include <X11/Xlib.h>

#include <cstdio>
#include <string>

#include "app/installer_config.h"
#include "app/main.h"
#include "ui/localization.h"
#include "ui/ui_texts.h"
#include "uikit/package.h"

namespace App {
namespace {

// Said before any window exists, so the language table is loaded here for
// the language the command line chose.
std::string NoDisplayText() {
  const auto read = [](const std::string& path, std::string* bytes) {
    std::string error;
    const SkinUI::SkinPackage* package = SkinUI::OpenEmbeddedSkinPackage(&error);
    return package && package->ReadEntry(path, bytes, &error);
  };
  Localization::LoadLanguage(read, g_InstallerConfig.LanguageIndex, L"");
  return UiTexts::Text(UiTexts::kNoDisplay);
}

}  // namespace

void PrepareToolkitPlatform() {}

bool WindowsCanShow() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "quillon-setup: %s\n", NoDisplayText().c_str());
    return false;
  }
  XCloseDisplay(display);
  return true;
}

}  // namespace App

int main() { return App::RunSetup(); }
