#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "analytics_state.h"

namespace tarvix {
namespace analytics {
namespace {

std::string ShortForm(const std::string& path) {
  char buffer[MAX_PATH] = {};
  const DWORD n = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::string(buffer, n) : std::string();
}

TEST(WindowsBaseFolder, TheShortLocalAppDataFolderOnWindows7AndLater) {
  const char* local = std::getenv("LOCALAPPDATA");
  ASSERT_NE(local, nullptr);
  const std::string base = state_platform::BaseFolder();
  EXPECT_EQ(lstrcmpiA(base.c_str(), ShortForm(local).c_str()), 0) << base << " vs " << local;

  // No Set.ini beside the test program: the default file under that folder.
  const std::string app = "quillon-analytics-test";
  const AnalyticsPaths paths = ResolveAnalyticsPaths(app);
  const std::string directory = base + "\\KXLocal\\" + app + "\\";
  EXPECT_EQ(paths.directory, directory);
  EXPECT_EQ(paths.configFile, directory + app + "_KXSConfigure.ini");
  EXPECT_TRUE(std::filesystem::is_directory(directory));
  std::error_code ignored;
  std::filesystem::remove_all(directory, ignored);
}

TEST(WindowsBaseFolder, TheExecutableDirectoryEndsWithABackslash) {
  const std::string exe = state_platform::ExecutableDirectory();
  ASSERT_FALSE(exe.empty());
  EXPECT_EQ(exe.back(), '\\');
  EXPECT_TRUE(std::filesystem::is_directory(exe));
}

}  // namespace
}  // namespace analytics
}  // namespace tarvix
