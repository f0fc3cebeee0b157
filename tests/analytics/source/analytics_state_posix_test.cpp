#include <stdlib.h>

#include <gtest/gtest.h>

#include "analytics_state.h"
#include "support/scratch_dir.h"

namespace tarvix {
namespace analytics {
namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    const char* old = getenv(name);
    had_ = old != nullptr;
    if (had_) old_ = old;
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (had_) {
      setenv(name_, old_.c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  bool had_ = false;
  std::string old_;
};

TEST(LinuxBaseFolder, XdgDataHomeThenTheHomeThenVarTmp) {
  quillon_test::ScratchDir dir;
  const std::string data = dir.Path().string();
  {
    ScopedEnv xdg("XDG_DATA_HOME", data.c_str());
    EXPECT_EQ(state_platform::BaseFolder(), data);
    const AnalyticsPaths paths = ResolveAnalyticsPaths("velmo");
    EXPECT_EQ(paths.configFile, data + "/KXLocal/velmo/velmo_KXSConfigure.ini");
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "KXLocal" / "velmo"));
  }
  {
    ScopedEnv xdg("XDG_DATA_HOME", "relative/ignored");
    ScopedEnv home("HOME", "/home/someone");
    EXPECT_EQ(state_platform::BaseFolder(), "/home/someone/.local/share");
  }
  ScopedEnv xdg("XDG_DATA_HOME", nullptr);
  ScopedEnv home("HOME", nullptr);
  EXPECT_EQ(state_platform::BaseFolder(), "/var/tmp");
}

TEST(LinuxBaseFolder, TheExecutableDirectoryEndsWithASeparator) {
  const std::string exe = state_platform::ExecutableDirectory();
  ASSERT_FALSE(exe.empty());
  EXPECT_EQ(exe.back(), '/');
  EXPECT_TRUE(std::filesystem::is_directory(exe));
}

}  // namespace
}  // namespace analytics
}  // namespace tarvix
