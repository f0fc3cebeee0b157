// The Linux shell actions as real child processes: stand-ins for xdg-open
// and zenity on PATH record what they were given.
#include "ui/shell.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;
using quillon_test::ScratchDir;

class ShellActionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = getenv("PATH");
    oldPath_ = old ? old : "";
    fs::create_directories(scratch_.Path() / "bin");
    setenv("PATH", (scratch_.Path() / "bin").c_str(), 1);
  }
  void TearDown() override { setenv("PATH", oldPath_.c_str(), 1); }

  void Script(const std::string& name, const std::string& body) {
    const fs::path p = scratch_.Path() / "bin" / name;
    quillon_test::WriteBytes(p, "#!/bin/sh\n" + body);
    chmod(p.c_str(), 0755);
  }
  // What a detached child wrote, once it has written it (bounded).
  std::string Eventually(const fs::path& file) {
    for (int i = 0; i < 500; ++i) {
      std::error_code ec;
      if (fs::exists(file, ec) && fs::file_size(file, ec) > 0) return quillon_test::ReadBytes(file);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return "";
  }

  ScratchDir scratch_;
  std::string oldPath_;
};

TEST_F(ShellActionsTest, UrlsGoToXdgOpenProgramsStartInTheirFolder) {
  const fs::path out = scratch_.Path() / "url.txt";
  Script("xdg-open", "printf '%s' \"$1\" > '" + out.string() + "'\n");
  ShellActions::Open(L"https://www.quillon.cloud/terms", L"", true);
  EXPECT_EQ(Eventually(out), "https://www.quillon.cloud/terms");

  const fs::path product = scratch_.Path() / "app" / "velmotranslate";
  fs::create_directories(product.parent_path());
  const fs::path where = scratch_.Path() / "cwd.txt";
  quillon_test::WriteBytes(product, "#!/bin/sh\npwd > '" + where.string() + "'\n");
  chmod(product.c_str(), 0755);
  ShellActions::Open(product.wstring(), product.parent_path().wstring(), false);
  EXPECT_EQ(Eventually(where), product.parent_path().string() + "\n");
}

TEST_F(ShellActionsTest, TheFolderBrowserIsZenityElseKdialogAndTheCallersLoopTurnsMeanwhile) {
  std::wstring folder = L"unchanged";
  int pumped = 0;
  // A caller's loop turn waits a little for events, as the window's does.
  auto pump = [&pumped] {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return ++pumped < 10000;
  };
  EXPECT_FALSE(ShellActions::CanBrowseForFolder());
  EXPECT_FALSE(ShellActions::BrowseForFolder(nullptr, L"Choose a folder", L"/opt", &folder, pump));
  EXPECT_EQ(folder, L"unchanged");

  const fs::path args = scratch_.Path() / "args.txt";
  Script("kdialog", "echo \"$@\" > '" + args.string() + "'\necho /data/dir\n");
  EXPECT_TRUE(ShellActions::CanBrowseForFolder());
  ASSERT_TRUE(ShellActions::BrowseForFolder(nullptr, L"Choose a folder", L"/opt", &folder, pump));
  EXPECT_EQ(folder, L"/data/dir");
  EXPECT_EQ(quillon_test::ReadBytes(args), "--title Choose a folder --getexistingdirectory /opt/\n");

  // zenity first; it answers only once the caller's loop has turned a few
  // times, which a browser that blocked the window could never see.
  const fs::path go = scratch_.Path() / "go";
  Script("zenity", "echo \"$@\" > '" + args.string() + "'\nwhile [ ! -e '" + go.string() +
                       "' ]; do sleep 0.01; done\necho /data/我的软件\n");
  pumped = 0;
  auto pumpThenAnswer = [&] {
    if (++pumped == 3) quillon_test::WriteBytes(go, "1");
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return pumped < 10000;
  };
  ASSERT_TRUE(ShellActions::BrowseForFolder(nullptr, L"選擇資料夾", L"/opt/Quillon", &folder, pumpThenAnswer));
  EXPECT_GE(pumped, 3);
  EXPECT_EQ(folder, L"/data/我的软件");
  EXPECT_EQ(quillon_test::ReadBytes(args), "--file-selection --directory --title=選擇資料夾 --filename=/opt/Quillon/\n");

  // Cancelled; and given up by the caller (the window went), which ends
  // the child rather than leaving it on the screen.
  Script("zenity", "exit 1\n");
  EXPECT_FALSE(ShellActions::BrowseForFolder(nullptr, L"Choose a folder", L"", &folder, pump));
  const fs::path pidFile = scratch_.Path() / "pid";
  Script("zenity", "echo $$ > '" + pidFile.string() + "'\nexec sleep 60\n");
  int turns = 0;
  EXPECT_FALSE(ShellActions::BrowseForFolder(nullptr, L"Choose a folder", L"", &folder, [&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return ++turns < 20 || (turns < 10000 && !fs::exists(pidFile));
  }));
  const std::string pid = Eventually(pidFile);
  ASSERT_FALSE(pid.empty());
  EXPECT_NE(kill(std::stoi(pid), 0), 0) << "the browser was left running";
  EXPECT_EQ(folder, L"/data/我的软件");
}

}  // namespace
