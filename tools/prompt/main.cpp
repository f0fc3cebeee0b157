// prompt: shows one of the skin's prompts as a real modal window and
// reports which button closed it.
//
//   prompt LAYOUT [--text T] [--caption C]
//
// Prints the result on standard output and exits with it: 0 "okBtn",
// 1 "cancelBtn" or closed without a click, 2 any other click ("closebtn").
// Bad arguments or a layout the embedded skin does not hold: a message on
// standard error, nothing on standard output, exit code 1.
#include <cstdio>
#include <optional>
#include <string>

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
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "--text" || arg == "--caption") && i + 1 < argc) {
      (arg == "--text" ? text : caption) = std::string(argv[++i]);
    } else if (!arg.empty() && arg[0] != '-' && layout.empty()) {
      layout = arg;
    } else {
      return Fail("usage: prompt LAYOUT [--text T] [--caption C]");
    }
  }
  if (layout.empty()) return Fail("usage: prompt LAYOUT [--text T] [--caption C]");

  std::string error;
  const SkinUI::SkinPackage* package = SkinUI::OpenEmbeddedSkinPackage(&error);
  if (!package) return Fail("the embedded skin cannot be opened: " + error);
  if (!package->Find(layout)) return Fail("no layout \"" + layout + "\" in the skin");

  SkinUI::CWndShadow::Initialize();  // without it (or a compositor) the prompt has no shadow
  const int result = SkinUI::ShowPrompt(nullptr, layout, text, caption);
  std::printf("%d\n", result);
  std::fflush(stdout);
  return result;
}
