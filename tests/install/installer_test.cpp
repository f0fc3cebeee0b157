// The runner against the real demo package (tests/fixtures/demo-package),
// started as the pipeline starts it: copied to
// "__Package_velmotranslate.exe" in the install folder, run with the
// package command line.
#include "install/installer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/installer_config.h"
#include "install_test_platform.h"
#include "support/child_process.h"
#include "support/log_capture.h"
#include "support/notify_recorder.h"
#include "support/scratch_dir.h"
#include "utils/files.h"
#include "utils/process.h"
#include "utils/system_error.h"
#include "utils/utf8.h"

namespace {

namespace fs = std::filesystem;
using quillon_test::Notification;
using quillon_test::NotifyRecorder;

constexpr auto kLimit = std::chrono::seconds(120);
const wchar_t kPackageErrorText[] = L"\u5b89\u88c5\u76ee\u5f55\u65e0\u6cd5\u5199\u5165";  // the demo's default

unsigned long ReadPid(const fs::path& file) {
  std::error_code ec;
  if (!fs::exists(file, ec)) return 0;
  return std::stoul("0" + quillon_test::ReadBytes(file));
}

class InstallerRun : public ::testing::Test {
 protected:
  void SetUp() override {
    savedInstCmd_ = g_InstallerConfig.InstCmd;
    savedPublisherKey_ = g_InstallerConfig.PublisherKey;
    folder_ = dir_.Path() / L"velmotranslate";
    fs::create_directories(folder_);
    package_ = folder_ / L"__Package_velmotranslate.exe";
    fs::copy_file(quillon_test::BuiltProgram(L"tools", L"demo-package"), package_);
    // As downloaded: no execute bit (Linux; Windows ignores it).
    fs::permissions(package_, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                  fs::perms::others_read);
  }
  void TearDown() override {
    KillAll();
    g_InstallerConfig.InstCmd = savedInstCmd_;
    g_InstallerConfig.PublisherKey = savedPublisherKey_;
  }

  // The package and the product it may leave running, by their ids.
  void KillAll() {
    quillon_test::KillProcessById(ReadPid(dir_.Path() / L"package.pid"));
    quillon_test::KillProcessById(ReadPid(folder_ / L"velmotranslate.pid"));
  }

  std::unique_ptr<CInstaller> Start(const std::wstring& demoSwitches, const std::wstring& packageArgument) {
    g_InstallerConfig.InstCmd = L"\"-demo-pidfile=" + (dir_.Path() / L"package.pid").wstring() + L"\"";
    if (!demoSwitches.empty()) g_InstallerConfig.InstCmd += L" " + demoSwitches;
    auto runner = std::make_unique<CInstaller>(std::ref(*recorder_), packageArgument, folder_.wstring());
    runner->SetDesktopShortcut(true);
    runner->SetQuickLaunchShortcut(false);
    runner->SetAdminAccount(false);
    runner->SetAdminToken(true);
    runner->SetInstallLanguage(L"zh-CN");
    runner->Start();
    return runner;
  }
  std::unique_ptr<CInstaller> Start(const std::wstring& demoSwitches = L"") {
    return Start(demoSwitches, quillon_test::Quoted(package_));
  }

  // Destroys the runner (which waits for its run) within the bound; should
  // the run not end, the package and its descendants are ended first.
  bool EndsInTime(std::unique_ptr<CInstaller> runner) {
    std::promise<void> ended;
    std::future<void> done = ended.get_future();
    std::thread waiter([&] {
      runner.reset();
      ended.set_value();
    });
    const bool inTime = done.wait_for(kLimit) == std::future_status::ready;
    if (!inTime) KillAll();
    waiter.join();
    return inTime;
  }

  // Runs one package to its end: the final notification and the worker's end.
  std::vector<Notification> RunToEnd(const std::wstring& demoSwitches = L"") {
    auto runner = Start(demoSwitches);
    EXPECT_TRUE(recorder_->WaitFor({2003, 2004}, 1, kLimit));
    EXPECT_TRUE(EndsInTime(std::move(runner)));
    return recorder_->All();
  }

  static const Notification& Last(const std::vector<Notification>& all) { return all.back(); }
  static int Count(const std::vector<Notification>& all, int code) {
    int n = 0;
    for (const auto& x : all) n += x.code == code;
    return n;
  }

  quillon_test::ScratchDir dir_;
  fs::path folder_, package_;
  std::unique_ptr<NotifyRecorder> recorder_ = std::make_unique<NotifyRecorder>();
  std::wstring savedInstCmd_, savedPublisherKey_;
};

TEST_F(InstallerRun, ASuccessfulPackageReportsItsStepsPathsAndSuccess) {
  const auto all = RunToEnd();
  const std::wstring folder = folder_.wstring();
  const std::wstring sep(1, Utils::PathSeparator());
  std::vector<std::pair<int, double>> steps;
  for (const auto& n : all) steps.emplace_back(n.code, n.value);
  const std::vector<std::pair<int, double>> expected = {
      {2001, 0.0}, {2002, 0.0}, {2002, 0.1}, {2002, 0.4}, {2002, 0.7}, {3000, 0.0},
      {3001, 0.0}, {3003, 0.0}, {3005, 1.0}, {2002, 1.0}, {2003, 0.0}};
  EXPECT_EQ(steps, expected);
  ASSERT_EQ(all.size(), expected.size());
  EXPECT_EQ(all[5].text, folder + L"\r");
  EXPECT_EQ(all[6].text, folder + sep + L"velmotranslate.exe\r");
  EXPECT_EQ(all[7].text, folder + sep + L"uninst.ep\r");

  EXPECT_TRUE(fs::exists(folder_ / L"velmotranslate.exe"));
  EXPECT_TRUE(fs::exists(folder_ / L"uninst.ep"));
  // The switches reached the package as one argument each.
  const std::string args = quillon_test::ReadBytes(folder_ / L"demo-package.args");
  for (const char* token : {"\n/S\n", "\n-console=show\n", "\n-adminact=false\n", "\n-authorizationact=true\n",
                            "\n-dsc=true\n", "\n-ssc=false\n", "\n-inslang=zh-CN\n"}) {
    EXPECT_NE(args.find(token), std::string::npos) << token;
  }
  EXPECT_NE(args.find("\n-instdir=" + fs::path(folder).u8string() + "\n"), std::string::npos);
}

TEST_F(InstallerRun, FailuresReportTheirCause) {
  {
    SCOPED_TRACE("Error= line");
    const auto all = RunToEnd(L"-demo-error");
    EXPECT_EQ(Last(all).code, 2004);
    EXPECT_EQ(Last(all).value, 1000.0);
    EXPECT_EQ(Last(all).text, std::wstring(kPackageErrorText) + L"\r");
    EXPECT_EQ(Count(all, 2003) + Count(all, 2004), 1);
  }
}

TEST_F(InstallerRun, StateFailIsAFailureWithTheFixedText) {
  const auto all = RunToEnd(L"-demo-fail");
  EXPECT_EQ(Last(all).code, 2004);
  EXPECT_EQ(Last(all).value, 0.0);
  EXPECT_EQ(Last(all).text, Install::kPackageFailText);
}

TEST_F(InstallerRun, APackageThatCannotStartOrIsMissingGives2004) {
  fs::remove(package_);
  quillon_test::LogCapture log;
  auto runner = Start(L"");
  ASSERT_TRUE(recorder_->WaitFor({2003, 2004}, 1, kLimit));
  EXPECT_TRUE(EndsInTime(std::move(runner)));
  // The trace names the missing file; the notification's text stays empty.
  const std::wstring cause =
      L"; " + Utils::Utf8ToWide(install_test::StartStep()) + Utils::SystemErrorNote(install_test::NotFoundError());
  bool named = false;
  for (const std::wstring& m : log.Messages()) {
    named = named || (m.rfind(L"package did not start: ", 0) == 0 && m.size() > cause.size() &&
                      m.compare(m.size() - cause.size(), cause.size(), cause) == 0);
  }
  EXPECT_TRUE(named);
  auto all = recorder_->All();
  EXPECT_EQ((std::vector<int>{all.at(0).code, all.at(1).code}), (std::vector<int>{2001, 2002}));
  EXPECT_EQ(Last(all).code, 2004);
  EXPECT_EQ(Last(all).value, 2.0);

  NotifyRecorder empty;
  {
    CInstaller nothing(std::ref(empty), L"", folder_.wstring());
    nothing.Start();
  }
  all = empty.All();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].code, 2001);
  EXPECT_EQ(all[1].code, 2004);
  EXPECT_EQ(all[1].value, 1.0);
}

std::wstring PinnedTestKey() {
  std::string key = quillon_test::ReadBytes(quillon_test::BuiltProgram(L"tests", L"x").parent_path() / "signed" /
                                            "publisher.key.txt");
  while (!key.empty() && (key.back() == '\n' || key.back() == '\r')) key.pop_back();
  return Utils::Utf8ToWide(key);
}

// With a pinned key the package is checked after 2001 and before anything
// starts; a refused one never runs. One that passes is held while it
// starts: a swap of the file at that moment is refused (Windows) or changes
// nothing that runs (Linux).
TEST_F(InstallerRun, APinnedKeyStartsOnlyThePublishersPackage) {
  g_InstallerConfig.PublisherKey = PinnedTestKey();
  ASSERT_EQ(g_InstallerConfig.PublisherKey.size(), 64u);
  {
    SCOPED_TRACE("the unsigned demo package");
    const auto all = RunToEnd();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].code, 2001);
    EXPECT_EQ(all[1].code, 2004);
    EXPECT_EQ(all[1].value, CInstaller::kSignatureRefused);
    // 安装包未通过签名校验：未签名
    EXPECT_EQ(all[1].text, L"\u5b89\u88c5\u5305\u672a\u901a\u8fc7\u7b7e\u540d\u6821\u9a8c\uff1a\u672a\u7b7e\u540d");
    EXPECT_EQ(ReadPid(dir_.Path() / L"package.pid"), 0u);
  }
  const bool windows = quillon_test::ExecutableSuffix() == L".exe";
  fs::remove(package_);
  fs::copy_file(quillon_test::BuiltProgram(L"tests", L"x").parent_path() / "signed" / "signed.exe", package_);
  const fs::path other = dir_.Path() / L"other.exe";
  fs::copy_file(quillon_test::BuiltProgram(L"tests", L"old_uninstaller"), other);
  recorder_ = std::make_unique<NotifyRecorder>();
  bool swapped = false;
  g_InstallerConfig.InstCmd = L"\"-demo-pidfile=" + (dir_.Path() / L"package.pid").wstring() + L"\"";
  auto runner = std::make_unique<CInstaller>(std::ref(*recorder_), quillon_test::Quoted(package_), folder_.wstring());
  runner->SetAfterCheckHook([&](const std::wstring& path) {
    std::error_code ec;
    fs::rename(other, path, ec);
    swapped = !ec;
  });
  runner->Start();
  ASSERT_TRUE(recorder_->WaitFor({2003, 2004}, 1, kLimit));
  EXPECT_TRUE(EndsInTime(std::move(runner)));
  const auto all = recorder_->All();
  if (windows) {
    // The signed demo package itself: it installs.
    EXPECT_FALSE(swapped);
    EXPECT_EQ(Last(all).code, 2003);
    EXPECT_NE(ReadPid(dir_.Path() / L"package.pid"), 0u);
    EXPECT_TRUE(fs::exists(folder_ / L"velmotranslate.exe"));
  } else {
    // A PE image passes the check here but cannot run; what was started
    // was the checked image, not the program swapped in.
    EXPECT_TRUE(swapped);
    EXPECT_EQ(Last(all).code, 2004);
    EXPECT_EQ(Last(all).value, CInstaller::kStartFailed);
  }
}

TEST_F(InstallerRun, APackageThatEndsWithoutAStateIsASuccessWithValueOne) {
  for (const wchar_t* how : {L"-demo-crash", L"-demo-nostate"}) {
    SCOPED_TRACE(std::string(how, how + wcslen(how)));
    NotifyRecorder fresh;
    auto runner = std::make_unique<CInstaller>(std::ref(fresh), quillon_test::Quoted(package_), folder_.wstring());
    g_InstallerConfig.InstCmd = how;
    runner->Start();
    ASSERT_TRUE(fresh.WaitFor({2003, 2004}, 1, kLimit));
    EXPECT_TRUE(EndsInTime(std::move(runner)));
    const auto all = fresh.All();
    EXPECT_EQ(Last(all).code, 2003);
    EXPECT_EQ(Last(all).value, 1.0);
    EXPECT_EQ(Count(all, 2003), 1);
  }
}

TEST_F(InstallerRun, AHungPackageEndsTheRunWhenItIsKilled) {
  auto runner = Start(L"-demo-hang");
  // The last step before it hangs.
  ASSERT_TRUE(recorder_->WaitFor({2002}, 4, kLimit));
  const auto pidFile = dir_.Path() / L"package.pid";
  ASSERT_NE(ReadPid(pidFile), 0u);
  EXPECT_FALSE(recorder_->WaitFor({2003, 2004}, 1, std::chrono::seconds(1)));
  quillon_test::KillProcessById(ReadPid(pidFile));
  ASSERT_TRUE(recorder_->WaitFor({2003, 2004}, 1, kLimit));
  EXPECT_TRUE(EndsInTime(std::move(runner)));
  EXPECT_EQ(Last(recorder_->All()).code, 2003);
  EXPECT_EQ(Last(recorder_->All()).value, 1.0);
}

// A package writing far more than any pipe holds, before its state (read
// and parsed) or after it (drained while the runner waits for its end).
TEST_F(InstallerRun, MegabytesOfOutputBeforeOrAfterTheStateDoNotStopTheRun) {
  for (const wchar_t* how : {L"-demo-noise=4194304", L"-demo-flood=52428800"}) {
    SCOPED_TRACE(std::string(how, how + wcslen(how)));
    // The previous round's product id would be read as this round's, and
    // this round's product would then outlive the test.
    std::error_code gone;
    fs::remove(folder_ / L"velmotranslate.pid", gone);
    recorder_ = std::make_unique<NotifyRecorder>();
    const auto all = RunToEnd(how);
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(Last(all).code, 2003);
    EXPECT_EQ(Last(all).value, 0.0);
  }
}

// The installed product, started by the package, inherits the output pipe
// and keeps it open for a minute; the run ends when the package has.
TEST_F(InstallerRun, ADescendantHoldingThePipeDoesNotHoldTheRun) {
  for (const wchar_t* how : {L"-demo-linger=60 -demo-nostate", L"-demo-linger=60"}) {
    SCOPED_TRACE(std::string(how, how + wcslen(how)));
    // The previous round's product id would be read as this round's, and
    // this round's product would then outlive the test.
    std::error_code gone;
    fs::remove(folder_ / L"velmotranslate.pid", gone);
    recorder_ = std::make_unique<NotifyRecorder>();
    const auto all = RunToEnd(how);
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(Last(all).code, 2003);
    // The product writes its id once it runs, which may be after the run.
    unsigned long product = 0;
    for (int i = 0; i < 1200 && (product = ReadPid(folder_ / L"velmotranslate.pid")) == 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_NE(product, 0u) << "the product was not started";
    KillAll();
  }
}

TEST_F(InstallerRun, ASecondStartWaitsForTheFirstRun) {
  auto runner = Start(L"");
  runner->Start();
  ASSERT_TRUE(recorder_->WaitFor({2003, 2004}, 2, kLimit));
  EXPECT_TRUE(EndsInTime(std::move(runner)));
  std::vector<int> ends;
  for (const auto& n : recorder_->All()) {
    if (n.code == 2001 || n.code == 2003 || n.code == 2004) ends.push_back(n.code);
  }
  EXPECT_EQ(ends, (std::vector<int>{2001, 2003, 2001, 2003}));
}

// The uninstaller the package installs, run as the old-version runner runs
// it: a copy, the old folder last and unquoted.
std::string RunUninstaller(const fs::path& copy, const fs::path& oldFolder) {
  Utils::PipedProcess child;
  child.Start(quillon_test::Quoted(copy) + L" /S -adminact=false -authorizationact=false -console=show _?=" +
              oldFolder.wstring());
  std::string output;
  std::vector<char> buffer(4096);
  const auto deadline = std::chrono::steady_clock::now() + kLimit;
  uint32_t code = 0;
  while (std::chrono::steady_clock::now() < deadline) {
    size_t got = 0;
    const auto status = child.ReadOutputFor(buffer.data(), buffer.size(), &got, 100);
    if (status == Utils::PipedProcess::ReadStatus::kData) output.append(buffer.data(), got);
    if (status == Utils::PipedProcess::ReadStatus::kEnded) break;
  }
  if (!child.WaitFor(30000, &code)) child.Terminate();
  return output;
}

TEST_F(InstallerRun, TheInstalledUninstallerRemovesTheInstallationOrFailsWhenTold) {
  RunToEnd(L"-demo-uninstall=-demo-fail");
  const fs::path copy = dir_.Path() / L"velmotranslate_un_asa.exe";
  fs::copy_file(folder_ / L"uninst.ep", copy);
  std::string out = RunUninstaller(copy, folder_);
  EXPECT_NE(out.find("Progress=0.2\r\n"), std::string::npos);
  EXPECT_NE(out.find("State=Fail\r\n"), std::string::npos);
  EXPECT_TRUE(fs::exists(folder_ / L"velmotranslate.exe"));

  fs::remove(folder_ / L"uninst.cfg");
  out = RunUninstaller(copy, folder_);
  EXPECT_EQ(out.compare(0, 13, "Encode=UTF8\r\n"), 0);
  EXPECT_NE(out.find("State=Success\r\n"), std::string::npos);
  EXPECT_FALSE(fs::exists(folder_ / L"velmotranslate.exe"));
  EXPECT_FALSE(fs::exists(folder_ / L"uninst.ep"));
}

}  // namespace
