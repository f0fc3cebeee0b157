// setup_pilot: the installer's windows driven from a shell (scripts/demo,
// scripts/bench), with the same operations as the end-to-end tests.
//
//   setup_pilot display                  exit 0 when the display can be used
//   setup_pilot wait main|prompt MS      waits for the window; prints its rect
//   setup_pilot gone main|prompt MS      waits until it is gone
//   setup_pilot click main|prompt LAYOUT CONTROL PAGE
//   setup_pilot shot main|prompt FILE.png
//   setup_pilot snap LEFT TOP RIGHT BOTTOM FILE.png   any part of the screen
//
// Exit codes: 0 done, 1 not found in time (or the click's control is not in
// the layout), 2 bad arguments.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/display_probe.h"
#include "support/setup_pilot.h"

namespace {

namespace qt = quillon_test;

int Usage() {
  std::fprintf(stderr,
               "usage: setup_pilot display | wait|gone main|prompt MS | click main|prompt LAYOUT CONTROL PAGE |"
               " shot main|prompt FILE | snap LEFT TOP RIGHT BOTTOM FILE\n");
  return 2;
}

bool Which(const std::string& kind, std::wstring* title, std::string* cls) {
  if (kind == "main") {
    *title = qt::kMainTitle;
    *cls = qt::kMainClass;
    return true;
  }
  if (kind == "prompt") {
    *title = qt::kPromptTitle;
    cls->clear();
    return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  if (command == "display") return qt::OpenScreen().width > 0 ? 0 : 1;
  if (command == "snap" && argc == 7) {
    qt::ScreenRect area;
    area.left = std::atoi(argv[2]);
    area.top = std::atoi(argv[3]);
    area.right = std::atoi(argv[4]);
    area.bottom = std::atoi(argv[5]);
    return qt::SaveScreenPng(area, argv[6]) ? 0 : 1;
  }
  std::wstring title;
  std::string cls;
  if (argc < 4 || !Which(argv[2], &title, &cls)) return Usage();
  qt::ScreenRect rect;
  if (command == "wait") {
    if (!qt::WaitForWindow(title, cls, std::atoi(argv[3]), &rect)) return 1;
    std::printf("%d,%d,%d,%d\n", rect.left, rect.top, rect.right, rect.bottom);
    return 0;
  }
  if (command == "gone") return qt::WaitForNoWindow(title, cls, std::atoi(argv[3])) ? 0 : 1;
  if (!qt::FindTopLevelWindow(title, cls, &rect)) return 1;
  if (command == "click" && argc == 6) return qt::ClickControl(rect, argv[3], argv[4], std::atoi(argv[5])) ? 0 : 1;
  if (command == "shot") return qt::SaveScreenPng(rect, argv[3]) ? 0 : 1;
  return Usage();
}
