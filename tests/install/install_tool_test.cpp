// tools/install as a child process, as the installer's window would run the
// pipeline: a copy with its own config file (the demo package's switches
// go in through InstCmd), served by the package server on loopback, the
// records written into folders steered into the scratch folder (the real
// registry under Wine, cleared before and after).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cwctype>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "install/records.h"
#include "install_test_platform.h"
#include "support/child_process.h"
#include "support/collector_process.h"
#include "support/piped_output.h"
#include "support/package_server.h"
#include "support/scratch_dir.h"
#include "utils/files.h"
#include "utils/process.h"
#include "utils/profile.h"
#include "utils/utf8.h"

namespace {

namespace fs = std::filesystem;

struct ToolRun {
  uint32_t exitCode = 0;
  bool ended = false;
  std::vector<std::vector<std::string>> lines;  // code, value, text

  const std::vector<std::string>* Find(const std::string& code) const {
    for (const auto& l : lines) {
      if (!l.empty() && l[0] == code) return &l;
    }
    return nullptr;
  }
};

bool IsGuid(const std::wstring& text) {
  if (text.size() != 32) return false;
  for (wchar_t c : text) {
    if (!std::iswxdigit(c)) return false;
  }
  return true;
}

class InstallTool : public ::testing::Test {
 protected:
  void SetUp() override {
    env_.emplace(scratch_.Path(),
                 std::initializer_list<const char*>{"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "APPDATA", "TMPDIR", "TMP"});
    install_test::ClearRegistryRecord();
    const fs::path tool = quillon_test::BuiltProgram(L"tools", L"install");
    tool_ = scratch_.Path() / "bin" / tool.filename();
    fs::create_directories(tool_.parent_path());
    fs::copy_file(tool, tool_);
  }
  void TearDown() override {
    KillLeftovers();
    install_test::ClearRegistryRecord();
    env_.reset();
  }
  void KillLeftovers() {
    const fs::path pid = scratch_.Path() / "package.pid";
    std::error_code ec;
    if (fs::exists(pid, ec)) quillon_test::KillProcessById(std::stoul("0" + quillon_test::ReadBytes(pid)));
  }

  // The config file beside the copy: the demo package's switches.
  void Config(const std::wstring& demoSwitches) {
    std::wstring instCmd = L"-demo-pidfile=" + (scratch_.Path() / "package.pid").wstring();
    if (!demoSwitches.empty()) instCmd += L" " + demoSwitches;
    const std::wstring ini = (tool_.parent_path() / "TarvixInstallerConfig.ini").wstring();
    Utils::StoreProfileString(L"Install", L"InstCmd", instCmd, ini);
    // The run's reports go to a collector of the test's own, never to the
    // built-in one.
    Utils::StoreProfileString(L"Install", L"AnalyticsUrl", Utils::Utf8ToWide(collector_.url()), ini);
  }

  ToolRun Install(const std::wstring& arguments) {
    ToolRun run;
    Utils::PipedProcess child;
    child.Start(quillon_test::Quoted(tool_) + L" " + arguments + L" --time-limit 200");
    const std::string output = quillon_test::ReadUntilEnd(child, std::chrono::seconds(240));
    run.ended = child.WaitFor(30000, &run.exitCode);
    if (!run.ended) {
      child.Terminate();
      KillLeftovers();
    }
    run.lines = quillon_test::TabLines(output);
    return run;
  }

  std::wstring Args(const std::string& url, const fs::path& folder, const std::wstring& more = L"") {
    return L"--url " + Utils::Utf8ToWide(url) + L" --folder " + quillon_test::Quoted(folder) +
           (more.empty() ? L"" : L" " + more);
  }

  static std::string DemoPackage() {
    return quillon_test::ReadBytes(quillon_test::BuiltProgram(L"tools", L"demo-package"));
  }

  quillon_test::ScratchDir scratch_;
  quillon_test::CollectorProcess collector_{quillon_test::CollectorProgram()};
  fs::path tool_;
  std::optional<install_test::SteeredEnvironment> env_;
};

std::wstring Read(const std::wstring& section, const std::wstring& key, const fs::path& file) {
  return Utils::ReadProfileString(section, key, L"<none>", file.wstring());
}

}  // namespace

// A clean machine, each downloader: the package installs, 2003 ends the run,
// the records are in place and the package file is gone.
TEST_F(InstallTool, EachDownloadTypeInstallsOnACleanMachine) {
  Config(L"");
  quillon_test::PackageServer server("velmotranslate.exe", DemoPackage());
  ASSERT_TRUE(server.ready());
  for (int type : {1, 2, 3}) {
    SCOPED_TRACE("DownloadType " + std::to_string(type));
    install_test::ClearRegistryRecord();
    const fs::path folder = scratch_.Path() / ("apps " + std::to_string(type)) / "velmotranslate";
    const std::wstring language = type == 3 ? L"zh-TW" : L"zh-CN";
    const ToolRun run = Install(Args(server.ShortUrl(), folder,
                                 L"--download-type " + std::to_wstring(type) + L" --language " + language));
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_FALSE(run.lines.empty());
    EXPECT_EQ(run.lines.front().at(0), "1001");
    EXPECT_EQ(run.lines.back(), (std::vector<std::string>{"2003", "0", ""}));
    EXPECT_NE(run.Find("1003"), nullptr);
    EXPECT_FALSE(fs::exists(folder / "__Package_velmotranslate.exe"));
    EXPECT_TRUE(fs::exists(folder / "velmotranslate.exe"));

    const Install::RegistryRecords records = Install::ReadRegistryRecords();
    EXPECT_EQ(records.previousInstallPath, folder.wstring());
    EXPECT_EQ(records.oldUninstallerPath, (folder / "uninst.ep").wstring());
    const fs::path setIni = folder / "set.ini";
    EXPECT_EQ(Read(L"Install", L"APPStore", setIni), tool_.filename().wstring());
    EXPECT_EQ(Read(L"Install", L"AppName", setIni), L"velmotranslate");
    EXPECT_TRUE(IsGuid(Read(L"Install", L"DeviceID", setIni)));
    const std::wstring analyticsIni = Install::JoinPath(Install::AnalyticsDataFolder(), L"KXAnalytics.ini");
    EXPECT_EQ(Read(L"Install", L"KXAnalyticsIni", setIni), analyticsIni);
    EXPECT_NE(Read(L"Init", L"UpdateTime", analyticsIni), L"<none>");
    EXPECT_EQ(Read(L"Install", L"Language", folder / "config.ini"), type == 3 ? L"zh-TW" : L"en-US");
  }
  // Each run reported its success (安装成功) as the window does.
  const std::string success = "\"kx_task_name\":\"\xe5\xae\x89\xe8\xa3\x85\xe6\x88\x90\xe5\x8a\x9f\"";
  size_t successes = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (successes < 3 && std::chrono::steady_clock::now() < deadline) {
    successes = 0;
    for (const std::string& record : collector_.WaitForRecords(1, std::chrono::milliseconds(200))) {
      successes += record.find(success) != std::string::npos;
    }
    if (successes < 3) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_EQ(successes, 3u) << collector_.Errors();
}

// An older version whose uninstaller refuses stops the run before the
// download (the order of a successful uninstall is shown in process).
TEST_F(InstallTool, AFailedUninstallStopsTheRunBeforeTheDownload) {
  quillon_test::PackageServer server("velmotranslate.exe", DemoPackage());
  ASSERT_TRUE(server.ready());
  const fs::path old = scratch_.Path() / "Old Version" / "velmotranslate";
  const fs::path folder = scratch_.Path() / "apps" / "velmotranslate";
  {
    Config(L"-demo-uninstall=-demo-fail");
    ASSERT_EQ(Install(Args(server.ShortUrl(), old)).exitCode, 0u);
    Config(L"");
    const size_t downloads = server.Requests("GET").size();
    const ToolRun run = Install(Args(server.ShortUrl(), folder, L"--old-uninstaller " + quillon_test::Quoted(old / "uninst.ep")));
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 3u);
    ASSERT_FALSE(run.lines.empty());
    EXPECT_EQ(run.lines.front(), (std::vector<std::string>{"5002", "0", ""}));
    EXPECT_EQ(run.lines.back(), (std::vector<std::string>{"5005", "0", "\xe5\xae\x89\xe8\xa3\x85\xe5\x8c\x85\xe5\x8d\xb8\xe8\xbd\xbd\xe5\xa4\xb1\xe8\xb4\xa5"}));
    EXPECT_EQ(run.Find("1001"), nullptr);
    EXPECT_EQ(server.Requests("GET").size(), downloads);
    EXPECT_TRUE(fs::exists(old / "velmotranslate.exe"));
  }
}

// How a run ends, told by the exit code and the last line.
TEST_F(InstallTool, FailuresEndTheRunWithTheirCodes) {
  const fs::path folder = scratch_.Path() / "apps" / "velmotranslate";
  const fs::path package = folder / "__Package_velmotranslate.exe";
  {
    SCOPED_TRACE("the server refuses: 1004");
    Config(L"");
    quillon_test::PackageServer server("velmotranslate.exe", DemoPackage(), {"--status", "404"});
    ASSERT_TRUE(server.ready());
    const ToolRun run = Install(Args(server.ShortUrl(), folder));
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 1u);
    ASSERT_FALSE(run.lines.empty());
    EXPECT_EQ(run.lines.back().at(0), "1004");
    EXPECT_FALSE(fs::exists(package));
  }
  quillon_test::PackageServer server("velmotranslate.exe", DemoPackage());
  ASSERT_TRUE(server.ready());
  {
    SCOPED_TRACE("the package sends an error text: 2004 with 1000");
    Config(L"-demo-error");
    const ToolRun run = Install(Args(server.ShortUrl(), folder));
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 2u);
    // 安装目录无法写入, with the CR the line ended in.
    EXPECT_EQ(run.lines.back(),
              (std::vector<std::string>{"2004", "1000", "\xe5\xae\x89\xe8\xa3\x85\xe7\x9b\xae\xe5\xbd\x95\xe6\x97\xa0\xe6\xb3\x95\xe5\x86\x99\xe5\x85\xa5\\r"}));
    EXPECT_FALSE(fs::exists(package));
    // The failure report reached the collector when the run shut down:
    // 安装失败原因 with the code and the package's text.
    bool reported = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!reported && std::chrono::steady_clock::now() < deadline) {
      for (const std::string& record : collector_.WaitForRecords(1, std::chrono::milliseconds(200))) {
        reported = reported ||
                   (record.find("\"kx_task_name\":\"\xe5\xae\x89\xe8\xa3\x85\xe5\xa4\xb1\xe8\xb4\xa5\xe5\x8e\x9f\xe5\x9b\xa0\"") != std::string::npos &&
                    record.find(":1.code=1000\xef\xbc\x9b" "2.msg=\xe5\xae\x89\xe8\xa3\x85") != std::string::npos);
      }
      if (!reported) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_TRUE(reported) << collector_.Errors();
  }
  {
    SCOPED_TRACE("the package crashes without a state: 2003 with 1");
    Config(L"-demo-crash");
    const ToolRun run = Install(Args(server.ShortUrl(), folder));
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.lines.back(), (std::vector<std::string>{"2003", "1", ""}));
    EXPECT_FALSE(fs::exists(package));
  }
  {
    SCOPED_TRACE("a package that cannot start: 2004 with 2");
    Config(L"");
    quillon_test::PackageServer garbage("velmotranslate.exe", quillon_test::PatternBytes(2 << 20));
    ASSERT_TRUE(garbage.ready());
    const ToolRun run = Install(Args(garbage.ShortUrl(), folder));
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_EQ(run.lines.back(), (std::vector<std::string>{"2004", "2", ""}));
    EXPECT_FALSE(fs::exists(package));
  }
  {
    SCOPED_TRACE("usage");
    const ToolRun run = Install(L"--folder " + quillon_test::Quoted(folder));
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 4u);
    EXPECT_TRUE(run.lines.empty() || run.lines == std::vector<std::vector<std::string>>{{""}});
  }
}

namespace {

fs::path SignedPackage(const char* name) {
  return quillon_test::BuiltProgram(L"tests", L"x").parent_path() / "signed" / name;
}

}  // namespace

// "PublisherKey" in the config file: each spoiled package is downloaded,
// passes its MD5, and is refused with its reason before anything runs;
// the file is gone afterwards. The signed demo package (Windows) installs.
TEST_F(InstallTool, APinnedPublisherKeyRefusesEveryOtherPackage) {
  Config(L"");
  std::string key = quillon_test::ReadBytes(SignedPackage("publisher.key.txt"));
  while (!key.empty() && (key.back() == '\n' || key.back() == '\r')) key.pop_back();
  ASSERT_EQ(key.size(), 64u);
  Utils::StoreProfileString(L"Install", L"PublisherKey", Utils::Utf8ToWide(key),
                            (tool_.parent_path() / "TarvixInstallerConfig.ini").wstring());
  const bool windows = quillon_test::ExecutableSuffix() == L".exe";
  const std::string refused = "\xe5\xae\x89\xe8\xa3\x85\xe5\x8c\x85\xe6\x9c\xaa\xe9\x80\x9a\xe8\xbf\x87\xe7\xad\xbe"
                              "\xe5\x90\x8d\xe6\xa0\xa1\xe9\xaa\x8c\xef\xbc\x9a";  // 安装包未通过签名校验：
  struct Case {
    const char* file;
    const char* reason;  // empty: passes the check
  } cases[] = {
      {"unsigned.exe", "\xe6\x9c\xaa\xe7\xad\xbe\xe5\x90\x8d"},                              // 未签名
      {"other-key.exe", "\xe5\x8f\x91\xe5\xb8\x83\xe8\x80\x85\xe4\xb8\x8d\xe7\xac\xa6"},      // 发布者不符
      {"flipped.exe", "\xe6\x96\x87\xe4\xbb\xb6\xe6\x91\x98\xe8\xa6\x81\xe4\xb8\x8d\xe7\xac\xa6"},  // 文件摘要不符
      {"cut.exe", "\xe7\xad\xbe\xe5\x90\x8d\xe6\x97\xa0\xe6\x95\x88"},                      // 签名无效
      {"bad-signature.exe", "\xe7\xad\xbe\xe5\x90\x8d\xe6\x97\xa0\xe6\x95\x88"},
      {"expired.exe", "\xe8\xaf\x81\xe4\xb9\xa6\xe5\xb7\xb2\xe8\xbf\x87\xe6\x9c\x9f"},      // 证书已过期
      {"signed.exe", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const fs::path folder = scratch_.Path() / "apps" / c.file / "velmotranslate";
    fs::remove(scratch_.Path() / "package.pid");
    quillon_test::PackageServer server("velmotranslate.exe", quillon_test::ReadBytes(SignedPackage(c.file)));
    ASSERT_TRUE(server.ready());
    const ToolRun run = Install(Args(server.ShortUrl(), folder));
    ASSERT_TRUE(run.ended);
    ASSERT_FALSE(run.lines.empty());
    EXPECT_NE(run.Find("1003"), nullptr);
    EXPECT_FALSE(fs::exists(folder / "__Package_velmotranslate.exe"));
    if (*c.reason) {
      EXPECT_EQ(run.exitCode, 2u);
      EXPECT_EQ(run.lines.back(), (std::vector<std::string>{"2004", "3", refused + c.reason}));
      EXPECT_EQ(run.Find("2002"), nullptr);
      EXPECT_FALSE(fs::exists(scratch_.Path() / "package.pid"));
      EXPECT_FALSE(fs::exists(folder / "velmotranslate.exe"));
    } else if (windows) {
      EXPECT_EQ(run.exitCode, 0u);
      EXPECT_EQ(run.lines.back(), (std::vector<std::string>{"2003", "0", ""}));
      EXPECT_TRUE(fs::exists(folder / "velmotranslate.exe"));
    } else {
      // Passes the check; a PE image does not run on Linux.
      EXPECT_EQ(run.lines.back(), (std::vector<std::string>{"2004", "2", ""}));
    }
  }
  {
    SCOPED_TRACE("the Linux or Windows demo package as built, unsigned");
    const fs::path folder = scratch_.Path() / "apps" / "plain" / "velmotranslate";
    quillon_test::PackageServer server("velmotranslate.exe", DemoPackage());
    ASSERT_TRUE(server.ready());
    const ToolRun run = Install(Args(server.ShortUrl(), folder));
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 2u);
    ASSERT_FALSE(run.lines.empty());
    EXPECT_EQ(run.lines.back(), (std::vector<std::string>{"2004", "3", refused + "\xe6\x9c\xaa\xe7\xad\xbe\xe5\x90\x8d"}));
    EXPECT_FALSE(fs::exists(folder / "velmotranslate.exe"));
  }
}
