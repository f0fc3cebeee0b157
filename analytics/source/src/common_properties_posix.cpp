#include <dlfcn.h>
#include <sys/utsname.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "common_properties.h"

namespace tarvix {
namespace analytics {
namespace {

std::string FileText(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::string();
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

// The locale that messages would be shown in, by the POSIX precedence.
std::string MessagesLocaleName() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value && *value) return value;
  }
  return std::string();
}

// The default screen of the X display, when there is one. libX11 is
// opened at run time so that the program neither links nor needs it.
void ReadScreenSize(int* width, int* height) {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) return;
  void* x11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
  if (!x11) return;
  using Open = void* (*)(const char*);
  using Close = int (*)(void*);
  using Default = int (*)(void*);
  using Size = int (*)(void*, int);
  auto open = reinterpret_cast<Open>(dlsym(x11, "XOpenDisplay"));
  auto close = reinterpret_cast<Close>(dlsym(x11, "XCloseDisplay"));
  auto screen = reinterpret_cast<Default>(dlsym(x11, "XDefaultScreen"));
  auto displayWidth = reinterpret_cast<Size>(dlsym(x11, "XDisplayWidth"));
  auto displayHeight = reinterpret_cast<Size>(dlsym(x11, "XDisplayHeight"));
  if (open && close && screen && displayWidth && displayHeight) {
    if (void* connection = open(nullptr)) {
      const int number = screen(connection);
      *width = displayWidth(connection, number);
      *height = displayHeight(connection, number);
      close(connection);
    }
  }
  dlclose(x11);
}

}  // namespace

DeviceFacts ReadDeviceFacts() {
  DeviceFacts facts;
  struct utsname names = {};
  const bool haveNames = uname(&names) == 0;
  facts.os = haveNames ? names.sysname : "Linux";
  facts.platform = facts.os;
  // The distribution says more than the kernel; the kernel release when
  // there is no os-release file.
  std::string pretty = OsReleasePrettyName(FileText("/etc/os-release"));
  if (pretty.empty()) pretty = OsReleasePrettyName(FileText("/usr/lib/os-release"));
  facts.osVersion = !pretty.empty() ? pretty : haveNames ? names.release : "";
  LocaleCodes(MessagesLocaleName(), &facts.language, &facts.country);
  ReadScreenSize(&facts.screenWidth, &facts.screenHeight);
  return facts;
}

}  // namespace analytics
}  // namespace tarvix
