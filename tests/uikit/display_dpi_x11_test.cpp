// The display scale as Linux desktops set it: xrdb on the test's own X
// server writes the root window's resources, the toolkit reads them back.
#include <gtest/gtest.h>
#include <X11/Xlib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>

#include <string>
#include <vector>

#include "support/scratch_dir.h"
#include "uikit/display_dpi.h"
#include "uikit/display_dpi_x11.h"

extern char** environ;

namespace {

// Runs xrdb on $DISPLAY; its exit code, or -1 when it could not start or
// did not end within ten seconds (it is killed then).
int RunXrdb(const std::vector<std::string>& args) {
  std::vector<std::string> words{"xrdb", "-nocpp"};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(&w[0]);
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, "xrdb", nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  for (int turn = 0; turn < 1000; ++turn) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (done < 0) return -1;
    const timespec pause{0, 10 * 1000 * 1000};
    nanosleep(&pause, nullptr);
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  return -1;
}

class XResourcesDpi : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(RunXrdb({"-remove"}), 0) << "xrdb (x11-xserver-utils) on " << getenv("DISPLAY"); }
  void TearDown() override { RunXrdb({"-remove"}); }

  void Merge(const std::string& resources) {
    scratch_.Write(L"resources", resources);
    ASSERT_EQ(RunXrdb({"-merge", (scratch_ / "resources").string()}), 0);
  }

  quillon_test::ScratchDir scratch_;
};

TEST_F(XResourcesDpi, WithoutResourcesTheScaleIsOne) {
  EXPECT_EQ(SkinUI::SystemDpi(), SkinUI::kBaseDpi);
  Merge("Xft.antialias: 1\nXcursor.size: 48\n");
  EXPECT_EQ(SkinUI::SystemDpi(), SkinUI::kBaseDpi);
}

TEST_F(XResourcesDpi, MergedXftDpiIsTheSystemDpi) {
  Merge("Xft.dpi: 144\n");
  EXPECT_EQ(SkinUI::SystemDpi(), 144);
  Merge("Xft.dpi: 480\n");
  EXPECT_EQ(SkinUI::SystemDpi(), SkinUI::kMaxDpi);
  Merge("Xft.dpi: 72\n");
  EXPECT_EQ(SkinUI::SystemDpi(), SkinUI::kBaseDpi);
}

TEST_F(XResourcesDpi, AConnectionOpenedBeforeAChangeSeesIt) {
  Merge("Xft.dpi: 144\n");
  Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr);
  EXPECT_EQ(SkinUI::SystemDpi(display), 144);
  Merge("Xft.dpi: 192\n");
  EXPECT_EQ(SkinUI::SystemDpi(display), 192) << "read when asked, not when the display was opened";
  RunXrdb({"-remove"});
  EXPECT_EQ(SkinUI::SystemDpi(display), SkinUI::kBaseDpi);
  XCloseDisplay(display);
}

TEST(XDisplayDpi, NoDisplayIsScaleOne) {
  EXPECT_EQ(SkinUI::SystemDpi(static_cast<Display*>(nullptr)), SkinUI::kBaseDpi);
  const std::string display = getenv("DISPLAY") ? getenv("DISPLAY") : "";
  setenv("DISPLAY", ":32767", 1);  // no server listens there
  EXPECT_EQ(SkinUI::SystemDpi(), SkinUI::kBaseDpi);
  setenv("DISPLAY", display.c_str(), 1);
}

}  // namespace
