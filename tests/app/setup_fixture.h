// The real installer executable as a test's child: a copy of it in a
// scratch folder with "TarvixInstallerConfig.ini" beside it, the user's
// folders (home, config, data, APPDATA, temp, the lock folder) moved into
// the scratch folder, a collector of the test's own, the installation
// record cleared before and after (the real registry under Wine).
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "install/records.h"
#include "install_test_platform.h"
#include "support/child_process.h"
#include "support/collector_process.h"
#include "support/piped_output.h"
#include "support/scratch_dir.h"
#include "utils/process.h"
#include "utils/profile.h"
#include "utils/utf8.h"

namespace setup_test {

namespace fs = std::filesystem;

// <build>/bin/quillon-setup, <build>/bin/QuillonSetup.exe.
inline fs::path SetupProgram() {
  return quillon_test::ExecutableSuffix().empty() ? quillon_test::BuiltProgram(L"bin", L"quillon-setup")
                                                  : quillon_test::BuiltProgram(L"bin", L"QuillonSetup");
}

inline std::string DemoPackage() {
  return quillon_test::ReadBytes(quillon_test::BuiltProgram(L"tools", L"demo-package"));
}

// `"kx_name":"安装中"` and the like: the record's field as sent.
inline std::string Field(const std::string& name, const std::string& value) {
  return "\"" + name + "\":\"" + value + "\"";
}

inline std::wstring ReadIni(const std::wstring& section, const std::wstring& key, const fs::path& file) {
  return Utils::ReadProfileString(section, key, L"<none>", file.wstring());
}

struct SetupRun {
  bool ended = false;
  uint32_t exitCode = 0;
  std::vector<std::vector<std::string>> lines;  // tab-separated fields

  const std::vector<std::string>* Find(const std::string& first) const {
    for (const auto& l : lines) {
      if (!l.empty() && l[0] == first) return &l;
    }
    return nullptr;
  }
};

// -1 as the system keeps an exit code: 32 bits on Windows, 8 on Linux.
inline bool IsMinusOne(uint32_t code) { return code == 0xFFFFFFFFu || code == 255u; }

class SetupFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(collector_.started()) << collector_.Errors();
    env_.emplace(scratch_.Path(), std::initializer_list<const char*>{"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME",
                                                                     "XDG_RUNTIME_DIR", "APPDATA", "TMPDIR", "TMP"});
    install_test::ClearRegistryRecord();
    const fs::path program = SetupProgram();
    ASSERT_TRUE(fs::exists(program)) << program;
    setup_ = scratch_.Path() / "bin" / program.filename();
    fs::create_directories(setup_.parent_path());
    fs::copy_file(program, setup_);
  }
  void TearDown() override {
    KillLeftovers();
    install_test::ClearRegistryRecord();
    env_.reset();
  }
  void KillLeftovers() {
    for (const char* name : {"package.pid", "product.pid"}) {
      const fs::path pid = scratch_.Path() / name;
      std::error_code ec;
      if (fs::exists(pid, ec)) quillon_test::KillProcessById(std::stoul("0" + quillon_test::ReadBytes(pid)));
    }
  }

  // Runs the copy with `arguments` to its end (bounded) and collects its
  // standard output.
  SetupRun RunSetup(const std::wstring& arguments, std::chrono::seconds limit = std::chrono::seconds(200)) {
    SetupRun run;
    Utils::PipedProcess child;
    child.Start(quillon_test::Quoted(setup_) + (arguments.empty() ? L"" : L" " + arguments));
    const std::string output = quillon_test::ReadUntilEnd(child, limit);
    run.ended = child.WaitFor(30000, &run.exitCode);
    if (!run.ended) {
      child.Terminate();
      KillLeftovers();
    }
    run.lines = quillon_test::TabLines(output);
    return run;
  }

  fs::path Env(const char* name) const { return scratch_.Path() / "env" / name; }
  fs::path IniPath() const { return setup_.parent_path() / "TarvixInstallerConfig.ini"; }

  // The configuration beside the copy: the package's address, the demo
  // package's switches, the test's collector, no network check.
  void Config(const std::string& url, const std::wstring& demoSwitches = L"") {
    std::wstring instCmd = L"-demo-pidfile=" + (scratch_.Path() / "package.pid").wstring();
    if (!demoSwitches.empty()) instCmd += L" " + demoSwitches;
    const std::wstring ini = IniPath().wstring();
    Utils::StoreProfileString(L"Install", L"DownloadUrl", Utils::Utf8ToWide(url), ini);
    Utils::StoreProfileString(L"Install", L"InstCmd", instCmd, ini);
    Utils::StoreProfileString(L"Install", L"IsCheckNet", L"false", ini);
    Utils::StoreProfileString(L"Install", L"AnalyticsUrl", Utils::Utf8ToWide(collector_.url()), ini);
  }
  void ConfigValue(const std::wstring& key, const std::wstring& value) {
    Utils::StoreProfileString(L"Install", key, value, IniPath().wstring());
  }

  // Waits (bounded) until some collector record holds every one of
  // `fields`; the records seen by then.
  bool CollectorGot(const std::vector<std::string>& fields, std::chrono::seconds limit = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    do {
      size_t found = 0;
      const std::vector<std::string> records = collector_.Records();
      for (const std::string& field : fields) {
        for (const std::string& record : records) {
          if (record.find(field) != std::string::npos) {
            ++found;
            break;
          }
        }
      }
      if (found == fields.size()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
  }

  // What the records of a finished installation into `folder` look like.
  void ExpectInstalledRecords(const fs::path& folder) {
    EXPECT_TRUE(fs::exists(folder / "velmotranslate.exe")) << folder;
    EXPECT_FALSE(fs::exists(folder / "__Package_velmotranslate.exe"));
    const Install::RegistryRecords records = Install::ReadRegistryRecords();
    EXPECT_EQ(records.previousInstallPath, folder.wstring());
    EXPECT_EQ(records.oldUninstallerPath, (folder / "uninst.ep").wstring());
    const fs::path setIni = folder / "set.ini";
    EXPECT_EQ(ReadIni(L"Install", L"APPStore", setIni), setup_.filename().wstring());
    EXPECT_EQ(ReadIni(L"Install", L"AppName", setIni), L"velmotranslate");
    EXPECT_EQ(ReadIni(L"Install", L"DeviceID", setIni).size(), 32u);
    const std::wstring analyticsIni = Install::JoinPath(Install::AnalyticsDataFolder(), L"KXAnalytics.ini");
    EXPECT_EQ(ReadIni(L"Install", L"KXAnalyticsIni", setIni), analyticsIni);
    EXPECT_NE(ReadIni(L"Init", L"UpdateTime", analyticsIni), L"<none>");
    EXPECT_NE(ReadIni(L"Install", L"Language", folder / "config.ini"), L"<none>");
  }

  quillon_test::ScratchDir scratch_;
  quillon_test::CollectorProcess collector_{quillon_test::CollectorProgram()};
  fs::path setup_;
  std::optional<install_test::SteeredEnvironment> env_;
};

}  // namespace setup_test
