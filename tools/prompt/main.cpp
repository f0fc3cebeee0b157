// prompt: shows one of the skin's prompts as a real modal window and
// reports which button closed it.
//
//   prompt LAYOUT [--text T] [--caption C] [--language 0|1|2]
//
// The layout's texts are the language table's in the language given
// (0 en-US, the installer's default; 1 zh-CN; 2 zh-TW).
// Prints the result on standard output and exits with it: 0 "okBtn",
// 1 "cancelBtn" or closed without a click, 2 any other click ("closebtn").
// Bad arguments or a layout the embedded skin does not hold: a message on
// standard error, nothing on standard output, exit code 1.
#include <cstdio>
#include <optional>
#include <string>

#include "ui/localization.h"
#include "ui/message_box.h"
#include "uikit/package.h"

namespace {

int Fail(const std::string& text) {
  std::fprintf(stderr, "prompt: %s\n", text.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::string layout;
  std::optional<std::string> text, caption;
  int language = 0;
  const char kUsage[] = "usage: prompt LAYOUT [--text T] [--caption C] [--language 0|1|2]";
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "--text" || arg == "--caption") && i + 1 < argc) {
      (arg == "--text" ? text : caption) = std::string(argv[++i]);
    } else if (arg == "--language" && i + 1 < argc) {
      const std::string v = argv[++i];
      if (v != "0" && v != "1" && v != "2") return Fail(kUsage);
      language = v[0] - '0';
    } else if (!arg.empty() && arg[0] != '-' && layout.empty()) {
      layout = arg;
    } else {
      return Fail(kUsage);
    }
  }
  if (layout.empty()) return Fail(kUsage);

  std::string error;
  const SkinUI::SkinPackage* package = SkinUI::OpenEmbeddedSkinPackage(&error);
  if (!package) return Fail("the embedded skin cannot be opened: " + error);
  if (!package->Find(layout)) return Fail("no layout \"" + layout + "\" in the skin");
  Localization::LoadLanguage(
      [package](const std::string& name, std::string* bytes) {
        std::string ignored;
        return package->ReadEntry(name, bytes, &ignored);
      },
      language, L"");

  SkinUI::CWndShadow::Initialize();  // without it (or a compositor) the prompt has no shadow
  const int result = SkinUI::ShowPrompt(nullptr, layout, text, caption);
  std::printf("%d\n", result);
  std::fflush(stdout);
  return result;
}
