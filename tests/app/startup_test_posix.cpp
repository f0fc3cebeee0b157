// On Linux the single-instance guard is a lock file in $XDG_RUNTIME_DIR.
// Every case of these tests is its own process and ctest runs them side by
// side: each gets a runtime folder of its own, so the children of one case
// never meet the lock of another's (or a real installer's).
#include <stdlib.h>
#include <unistd.h>

#include <string>

namespace {

struct OwnRuntimeFolder {
  OwnRuntimeFolder() {
    std::string pattern = std::string(getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp") + "/startup-test.XXXXXX";
    if (mkdtemp(&pattern[0])) {
      folder = pattern;
      setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    }
  }
  ~OwnRuntimeFolder() {
    if (folder.empty()) return;
    unlink((folder + "/D1A547DB89C0BC61_Installer_velmotranslate").c_str());
    rmdir(folder.c_str());
  }
  std::string folder;
} ownRuntimeFolder;

}  // namespace
