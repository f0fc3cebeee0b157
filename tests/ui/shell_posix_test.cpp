// The Linux shell actions as real child processes: stand-ins for xdg-open
// and zenity on PATH record what they were given.
#include "ui/shell.h"

#include <gtest/gtest.h>
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

TEST_F(ShellActionsTest, FolderBrowserIsZenityWhenInstalled) {
  std::wstring folder = L"unchanged";
  EXPECT_FALSE(ShellActions::BrowseForFolder(nullptr, L"Choose a folder", &folder));  // no zenity on PATH
  EXPECT_EQ(folder, L"unchanged");

  const fs::path args = scratch_.Path() / "args.txt";
  Script("zenity", "echo \"$@\" > '" + args.string() + "'\necho /data/我的软件\n");
  ASSERT_TRUE(ShellActions::BrowseForFolder(nullptr, L"選擇資料夾", &folder));
  EXPECT_EQ(folder, L"/data/我的软件");
  EXPECT_EQ(quillon_test::ReadBytes(args), "--file-selection --directory --title=選擇資料夾\n");

  Script("zenity", "exit 1\n");  // cancelled
  EXPECT_FALSE(ShellActions::BrowseForFolder(nullptr, L"Choose a folder", &folder));
}

}  // namespace
