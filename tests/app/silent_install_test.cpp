// The installer's silent mode: the real executable with "-silent=true" as a
// child process, against the package server and the collector.
#include <gtest/gtest.h>

#include "setup_fixture.h"
#include "support/package_server.h"
#include "utils/mutex.h"

namespace {

using setup_test::Field;
using setup_test::SetupRun;
namespace fs = std::filesystem;

class SilentInstall : public setup_test::SetupFixture {
 protected:
  // The folder the run announced on its first line.
  static fs::path AnnouncedFolder(const SetupRun& run) {
    const auto* line = run.Find("folder");
    if (!line || line->size() < 2) return fs::path();
    // The line's text escapes the backslash.
    std::string text;
    for (size_t i = 0; i < line->at(1).size(); ++i) {
      const char c = line->at(1)[i];
      if (c == '\\' && i + 1 < line->at(1).size()) ++i;
      text += line->at(1)[i];
    }
    return fs::path(Utils::Utf8ToWide(text));
  }
};

// No window: on Linux the run has no display at all.
TEST_F(SilentInstall, InstallsIntoTheDefaultFolderWithTheWindowsReports) {
  quillon_test::PackageServer server("velmotranslate.exe", setup_test::DemoPackage());
  ASSERT_TRUE(server.ready());
  Config(server.ShortUrl());
  const char* display = getenv("DISPLAY");
  const std::string savedDisplay = display ? display : "";
  if (quillon_test::ExecutableSuffix().empty()) install_test::SetEnvironment("DISPLAY", nullptr);
  const SetupRun run = RunSetup(L"-silent=true");
  if (!savedDisplay.empty()) install_test::SetEnvironment("DISPLAY", savedDisplay.c_str());

  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 0u);
  const fs::path folder = AnnouncedFolder(run);
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder, fs::path(Install::DefaultInstallFolder(L"", L"").folder));
  ASSERT_GE(run.lines.size(), 3u);
  EXPECT_EQ(run.lines[1].at(0), "1001");
  EXPECT_EQ(run.lines.back(), (std::vector<std::string>{"2003", "0", ""}));
  ExpectInstalledRecords(folder);
  EXPECT_TRUE(CollectorGot({Field("kx_name", "安装中"), Field("kx_task_name", "下载器启动"),
                            Field("kx_task_name", "开始下载大包"), Field("kx_task_name", "大包下载完毕"),
                            Field("kx_task_name", "安装成功")}))
      << collector_.Errors();

  // Run again: the installed copy's folder is the target, and its old
  // version is removed first.
  const SetupRun again = RunSetup(L"-silent=true");
  ASSERT_TRUE(again.ended);
  EXPECT_EQ(again.exitCode, 0u);
  EXPECT_EQ(AnnouncedFolder(again), folder);
  ASSERT_GE(again.lines.size(), 2u);
  EXPECT_EQ(again.lines[1].at(0), "5002");
  EXPECT_NE(again.Find("5003"), nullptr);
  ExpectInstalledRecords(folder);
}

TEST_F(SilentInstall, FailuresEndTheRunWithTheirCodes) {
  {
    quillon_test::PackageServer server("velmotranslate.exe", setup_test::DemoPackage(), {"--status", "404"});
    Config(server.ShortUrl());
    const SetupRun run = RunSetup(L"-silent=true");
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 1u);
    ASSERT_NE(run.Find("1004"), nullptr);
    EXPECT_TRUE(CollectorGot({Field("kx_task_name", "下载失败原因")})) << collector_.Errors();
  }
  {
    quillon_test::PackageServer server("velmotranslate.exe", setup_test::DemoPackage());
    Config(server.ShortUrl(), L"-demo-error");
    const SetupRun run = RunSetup(L"-silent=true");
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 2u);
    ASSERT_NE(run.Find("2004"), nullptr);
    EXPECT_EQ(Install::ReadRegistryRecords().previousInstallPath, L"");
  }
}

// The folder under a plain file cannot be created: the run stops before
// any download with the window's text.
TEST_F(SilentInstall, AnUnusableFolderStopsBeforeTheDownload) {
  quillon_test::PackageServer server("velmotranslate.exe", setup_test::DemoPackage());
  Config(server.ShortUrl());
  const fs::path blocker = scratch_.Path() / "not-a-folder";
  quillon_test::WriteBytes(blocker, "x");
  for (const char* name : {"XDG_DATA_HOME", "APPDATA"}) {
    install_test::SetEnvironment(name, (blocker / "data").string().c_str());
  }
  // Where the default folder is not below APPDATA (no administrator), a
  // plain file takes the folder's own name.
  const fs::path folder = Install::DefaultInstallFolder(L"", L"").folder;
  std::error_code ec;
  const bool ownBlocker = folder.wstring().find(blocker.wstring()) != 0;
  const fs::path kept = folder.wstring() + L".kept";
  if (ownBlocker) {
    // An earlier run's installation there is put aside and back.
    if (fs::exists(folder, ec)) fs::rename(folder, kept, ec);
    quillon_test::WriteBytes(folder, "x");
  }
  const SetupRun run = RunSetup(L"-silent=true");
  if (ownBlocker) {
    fs::remove(folder, ec);
    if (fs::exists(kept, ec)) fs::rename(kept, folder, ec);
  }
  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 7u);
  ASSERT_NE(run.Find("error"), nullptr);
  EXPECT_EQ(*run.Find("error"), (std::vector<std::string>{"error", "7", "无效路径"}));
  EXPECT_TRUE(server.Requests().empty());
}

TEST_F(SilentInstall, ASecondInstanceLeavesAtOnceAndSilently) {
  quillon_test::PackageServer server("velmotranslate.exe", setup_test::DemoPackage());
  Config(server.ShortUrl());
  // The first installer, as far as the guard goes: this process holds it.
  Utils::SingleInstanceMutex first;
  ASSERT_TRUE(first.Acquire(L"Installer_velmotranslate"));
  const SetupRun run = RunSetup(L"-silent=true");
  ASSERT_TRUE(run.ended);
  EXPECT_TRUE(setup_test::IsMinusOne(run.exitCode)) << run.exitCode;
  EXPECT_TRUE(run.lines.empty());
  EXPECT_TRUE(server.Requests().empty());
  first.Release();
}

}  // namespace

namespace {

// Without a display and without -silent=true there is nothing to show: the
// run ends with 10 at once instead of a window nobody sees.
TEST_F(SilentInstall, WithoutADisplayTheWindowRunEndsAtOnce) {
  if (!quillon_test::ExecutableSuffix().empty()) GTEST_SKIP() << "Windows always has its desktop";
  quillon_test::PackageServer server("velmotranslate.exe", setup_test::DemoPackage());
  Config(server.ShortUrl());
  const char* display = getenv("DISPLAY");
  const std::string savedDisplay = display ? display : "";
  install_test::SetEnvironment("DISPLAY", nullptr);
  const SetupRun run = RunSetup(L"", std::chrono::seconds(60));
  // What it says on its standard error, in the language the command line
  // asks for (a shell hands that error to the test's pipe).
  std::vector<std::pair<uint32_t, std::string>> said;
  for (const wchar_t* language : {L"0", L"2"}) {
    Utils::PipedProcess child;
    child.Start(L"/bin/sh -c \"exec '" + setup_.wstring() + L"' -language=" + language + L" 2>&1\"");
    const std::string output = quillon_test::ReadUntilEnd(child, std::chrono::seconds(60));
    uint32_t code = 0;
    if (!child.WaitFor(30000, &code)) child.Terminate();
    said.emplace_back(code, output);
  }
  if (!savedDisplay.empty()) install_test::SetEnvironment("DISPLAY", savedDisplay.c_str());
  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 10u);
  EXPECT_TRUE(server.Requests().empty());
  ASSERT_EQ(said.size(), 2u);
  EXPECT_EQ(said[0].first, 10u);
  EXPECT_NE(said[0].second.find("quillon-setup: Quillon Setup needs a display."), std::string::npos) << said[0].second;
  EXPECT_EQ(said[1].first, 10u);
  EXPECT_NE(said[1].second.find("quillon-setup: Quillon \u5b89\u88dd\u7a0b\u5f0f"), std::string::npos) << said[1].second;
}

}  // namespace
