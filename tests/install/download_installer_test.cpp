// The pipeline in this process against the package server on loopback and
// the real demo package: phase order, what the window sees and when, the
// pipeline's own reactions, and the failure reports.
#include "install/download_installer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
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
#include "support/package_server.h"
#include "support/report_recorder.h"
#include "support/scratch_dir.h"
#include "utils/probe.h"
#include "utils/thread.h"
#include "utils/utf8.h"

namespace {

namespace fs = std::filesystem;
using quillon_test::Notification;
using quillon_test::NotifyRecorder;

constexpr auto kLimit = std::chrono::seconds(120);
const wchar_t kMissingCopyText[] = L"\u53ef\u6267\u884c\u5378\u8f7d\u6587\u4ef6\u4e0d\u5b58\u5728";  // 可执行卸载文件不存在

std::string DemoPackageBytes() { return quillon_test::ReadBytes(quillon_test::BuiltProgram(L"tools", L"demo-package")); }

int Count(const std::vector<Notification>& all, int code) {
  int n = 0;
  for (const auto& x : all) n += x.code == code;
  return n;
}

size_t IndexOf(const std::vector<std::wstring>& lines, const std::wstring& message) {
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] == message) return i;
  }
  return lines.size();
}

// The pipeline's reaction to a notification ends with its log line; the
// window's callback (what the recorder waits for) comes before it.
bool WaitForMessage(const quillon_test::LogCapture& log, const std::wstring& message, int count = 1) {
  const auto deadline = std::chrono::steady_clock::now() + kLimit;
  while (std::chrono::steady_clock::now() < deadline) {
    int n = 0;
    for (const std::wstring& m : log.Messages()) n += m == message;
    if (n >= count) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

class PipelineRun : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = g_InstallerConfig;
    // The uninstaller copy goes to the temp work folder; keep it here.
    Steer("TMPDIR", scratch_.Path() / "temp");
    Steer("TMP", scratch_.Path() / "temp");
    fs::create_directories(scratch_.Path() / "temp");
    folder_ = scratch_.Path() / "apps" / "new" / "velmotranslate";  // not there yet: 1001 makes it
    g_InstallerConfig.InstCmd = L"-demo-pidfile=" + (scratch_.Path() / "package.pid").wstring();
    g_InstallerConfig.DownloadType = 1;
    g_InstallerConfig.InsNew = false;
  }
  void TearDown() override {
    KillLeftovers();
    g_InstallerConfig = saved_;
    // Latest first: a variable steered twice gets its first value back.
    for (auto s = savedEnvironment_.rbegin(); s != savedEnvironment_.rend(); ++s) {
      install_test::SetEnvironment(s->first.c_str(), s->second.empty() ? nullptr : s->second.c_str());
    }
  }
  void Steer(const char* name, const fs::path& value) {
    const char* old = getenv(name);
    savedEnvironment_.emplace_back(name, old ? old : "");
    install_test::SetEnvironment(name, value.string().c_str());
  }
  void KillLeftovers() {
    const fs::path pid = scratch_.Path() / "package.pid";
    std::error_code ec;
    if (fs::exists(pid, ec)) quillon_test::KillProcessById(std::stoul("0" + quillon_test::ReadBytes(pid)));
  }

  std::unique_ptr<CDownloadInstaller> Make(const std::string& url, const fs::path& folder,
                                           const fs::path& oldUninstaller = fs::path()) {
    auto pipeline = std::make_unique<CDownloadInstaller>(std::ref(recorder_));
    pipeline->SetUrl(Utils::Utf8ToWide(url));
    pipeline->SetInstallFolder(folder.wstring());
    pipeline->SetOldUninstallerPath(oldUninstaller.empty() ? L"" : oldUninstaller.wstring());
    return pipeline;
  }

  // Destroys the pipeline (which waits for every phase) within the bound.
  bool EndsInTime(std::unique_ptr<CDownloadInstaller> pipeline) {
    std::promise<void> ended;
    std::future<void> done = ended.get_future();
    std::thread waiter([&] {
      pipeline.reset();
      ended.set_value();
    });
    const bool inTime = done.wait_for(kLimit) == std::future_status::ready;
    if (!inTime) KillLeftovers();
    waiter.join();
    return inTime;
  }

  // An older version installed by the demo package into `folder`, with
  // `uninstallSwitches` for its uninstaller.
  void InstallOldVersion(const quillon_test::PackageServer& server, const fs::path& folder,
                         const std::wstring& uninstallSwitches = L"") {
    const std::wstring instCmd = g_InstallerConfig.InstCmd;
    if (!uninstallSwitches.empty()) g_InstallerConfig.InstCmd += L" -demo-uninstall=" + uninstallSwitches;
    NotifyRecorder old;
    {
      CDownloadInstaller pipeline(std::ref(old));
      pipeline.SetUrl(Utils::Utf8ToWide(server.ShortUrl()));
      pipeline.SetInstallFolder(folder.wstring());
      pipeline.Start();
      ASSERT_TRUE(old.WaitFor({2003, 2004, 1004}, 1, kLimit));
    }
    ASSERT_EQ(old.All().back().code, 2003);
    ASSERT_TRUE(fs::exists(folder / "uninst.ep"));
    g_InstallerConfig.InstCmd = instCmd;
  }

  quillon_test::ScratchDir scratch_;
  fs::path folder_;
  NotifyRecorder recorder_;
  InstallerConfig saved_;
  std::vector<std::pair<std::string, std::string>> savedEnvironment_;
};

}  // namespace

// Without an old version the download comes first; the window sees every
// notification on a phase thread before the pipeline acts on it.
TEST_F(PipelineRun, DownloadThenInstallWithTheWindowFirstAndTheLogLines) {
  quillon_test::PackageServer server("velmotranslate.exe", DemoPackageBytes());
  ASSERT_TRUE(server.ready());
  const fs::path package = folder_ / "__Package_velmotranslate.exe";
  const uint32_t testThread = Utils::Thread::CurrentId();
  std::atomic<int> onTestThread{0}, folderBeforeBegun{-1}, packageAtSuccess{-1};
  recorder_.onNotify = [&](const Notification& n) {
    if (Utils::Thread::CurrentId() == testThread) ++onTestThread;
    std::error_code ec;
    if (n.code == 1001) folderBeforeBegun = fs::exists(folder_, ec) ? 1 : 0;
    if (n.code == 2003) packageAtSuccess = fs::exists(package, ec) ? 1 : 0;
  };
  quillon_test::LogCapture log;
  auto pipeline = Make(server.ShortUrl(), folder_);
  pipeline->SetDesktopShortcut(false);
  pipeline->SetQuickLaunchShortcut(true);
  pipeline->SetAdminAccount(false);
  pipeline->SetAdminToken(true);
  pipeline->SetInstallLanguage(L"zh-TW");
  pipeline->Start();
  EXPECT_EQ(pipeline->PackagePath(), package.wstring());
  ASSERT_TRUE(recorder_.WaitFor({2003, 2004, 1004}, 1, kLimit));
  ASSERT_TRUE(EndsInTime(std::move(pipeline)));

  const auto all = recorder_.All();
  std::vector<int> phases;
  for (int code : recorder_.Codes()) {
    if (code != 1002 && code != 2002 && (code < 3000 || code > 3009)) phases.push_back(code);
  }
  EXPECT_EQ(phases, (std::vector<int>{1001, 1003, 2001, 2003}));
  EXPECT_EQ(all.back().code, 2003);
  EXPECT_EQ(all.back().value, 0.0);
  EXPECT_EQ(onTestThread.load(), 0);
  EXPECT_EQ(folderBeforeBegun.load(), 0) << "the folder was made before the window saw 1001";
  EXPECT_EQ(packageAtSuccess.load(), 1) << "the package was deleted before the window saw 2003";
  EXPECT_FALSE(fs::exists(package));
  EXPECT_TRUE(fs::exists(folder_ / "velmotranslate.exe"));
  const std::string args = quillon_test::ReadBytes(folder_ / "demo-package.args");
  for (const char* token : {"\n-adminact=false\n", "\n-authorizationact=true\n", "\n-dsc=false\n", "\n-ssc=true\n",
                            "\n-inslang=zh-TW\n"}) {
    EXPECT_NE(args.find(token), std::string::npos) << token;
  }

  // Each phase line is its own message ending in CR LF, so an empty line follows it.
  const auto messages = log.Messages();
  if (Count(all, 1002) > 0) {
    EXPECT_LT(IndexOf(messages, L"DL_CODE_PROGRESS\r\n"), messages.size());
  }
  for (const wchar_t* m : {L"DL_TYPE=1\r\n", L"DL_CODE_START\r\n", L"DOWNLOAD_SUCCESS\r\n",
                           L"DL_CODE_SUCCESS\r\n", L"IST_CODE_START\r\n", L"INSTALL_SUCCESS\r\n"}) {
    EXPECT_LT(IndexOf(messages, m), messages.size()) << Utils::WideToUtf8(m);
  }
  EXPECT_LT(IndexOf(messages, L"DL_CODE_START\r\n"), IndexOf(messages, L"DOWNLOAD_SUCCESS\r\n"));
  EXPECT_LT(IndexOf(messages, L"DOWNLOAD_SUCCESS\r\n"), IndexOf(messages, L"DL_CODE_SUCCESS\r\n"));
  EXPECT_LT(IndexOf(messages, L"IST_CODE_START\r\n"), IndexOf(messages, L"INSTALL_SUCCESS\r\n"));
  bool tagged = false;
  for (const std::wstring& line : log.Lines()) {
    if (line.find(L"DL_TYPE=1") != std::wstring::npos) {
      tagged = line.find(L"(CDownloadInstaller::Start)") != std::wstring::npos &&
               line.compare(line.size() - 4, 4, L"\r\n\r\n") == 0;
    }
  }
  EXPECT_TRUE(tagged);
}

// An installed older version: its uninstaller copy runs first and removes
// it, and the download starts on 5003.
TEST_F(PipelineRun, AnOlderVersionIsRemovedBeforeTheDownload) {
  quillon_test::PackageServer server("velmotranslate.exe", DemoPackageBytes());
  ASSERT_TRUE(server.ready());
  const fs::path old = scratch_.Path() / "Old Version" / "velmotranslate";
  InstallOldVersion(server, old);
  const size_t downloadsBefore = server.Requests("GET").size();

  auto pipeline = Make(server.ShortUrl(), folder_, old / "uninst.ep");
  pipeline->Start();
  ASSERT_TRUE(recorder_.WaitFor({2003, 2004, 1004, 5004, 5005}, 1, kLimit));
  ASSERT_TRUE(EndsInTime(std::move(pipeline)));

  const auto all = recorder_.All();
  ASSERT_GE(all.size(), 3u);
  EXPECT_EQ(all[0].code, 5002);
  EXPECT_EQ(all[0].value, 0.0);
  std::vector<int> phases;
  for (int code : recorder_.Codes()) {
    if (code == 5003 || code == 1001 || code == 1003 || code == 2001 || code == 2003) phases.push_back(code);
  }
  EXPECT_EQ(phases, (std::vector<int>{5003, 1001, 1003, 2001, 2003}));
  EXPECT_GE(Count(all, 5002), 2);
  EXPECT_FALSE(fs::exists(old / "velmotranslate.exe"));
  EXPECT_FALSE(fs::exists(old / "uninst.ep"));
  EXPECT_TRUE(fs::exists(folder_ / "velmotranslate.exe"));
  EXPECT_GT(server.Requests("GET").size(), downloadsBefore);
  // What ran was the copy in the temp work folder.
  EXPECT_TRUE(fs::exists(fs::path(Utils::TempWorkFolder()) / "velmotranslate_un_asa.exe"));
}

// Without a temp work folder there is no copy to run: 5004, and nothing is
// downloaded (a failing uninstaller is shown through tools/install).
TEST_F(PipelineRun, AMissingUninstallerCopyStopsThePipeline) {
  quillon_test::PackageServer server("velmotranslate.exe", DemoPackageBytes());
  ASSERT_TRUE(server.ready());
  const fs::path old = scratch_.Path() / "Old Version" / "velmotranslate";
  InstallOldVersion(server, old);
  const size_t downloadsBefore = server.Requests("GET").size();
  quillon_test::WriteBytes(scratch_.Path() / "not-a-folder", "x");
  Steer("TMPDIR", scratch_.Path() / "not-a-folder" / "temp");
  Steer("TMP", scratch_.Path() / "not-a-folder" / "temp");
  auto pipeline = Make(server.ShortUrl(), folder_, old / "uninst.ep");
  pipeline->Start();
  ASSERT_TRUE(recorder_.WaitFor({5003, 5004, 5005}, 1, kLimit));
  ASSERT_TRUE(EndsInTime(std::move(pipeline)));
  const auto all = recorder_.All();
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].code, 5004);
  EXPECT_EQ(all[0].value, 1.0);
  EXPECT_EQ(all[0].text, kMissingCopyText);
  EXPECT_EQ(server.Requests("GET").size(), downloadsBefore);
  EXPECT_TRUE(fs::exists(old / "velmotranslate.exe"));
}

// A Start while the previous uninstaller still runs lets that run finish
// (its copy is in use) before the next copy is made and run.
TEST_F(PipelineRun, ASecondUninstallWaitsForTheFirst) {
  quillon_test::PackageServer server("velmotranslate.exe", DemoPackageBytes());
  ASSERT_TRUE(server.ready());
  const fs::path old = scratch_.Path() / "Old Version" / "velmotranslate";
  InstallOldVersion(server, old, L"-demo-fail -demo-uninstall=-demo-slow=500");
  auto pipeline = Make(server.ShortUrl(), folder_, old / "uninst.ep");
  pipeline->Start();
  ASSERT_TRUE(recorder_.WaitFor({5002}, 1, kLimit));
  pipeline->Start();
  ASSERT_TRUE(recorder_.WaitFor({5003, 5004, 5005}, 2, kLimit));
  ASSERT_TRUE(EndsInTime(std::move(pipeline)));
  std::vector<std::pair<int, double>> runs;
  for (const auto& n : recorder_.All()) {
    if ((n.code == 5002 && n.value == 0.0) || n.code >= 5003) runs.emplace_back(n.code, n.value);
  }
  EXPECT_EQ(runs, (std::vector<std::pair<int, double>>{{5002, 0.0}, {5005, 0.0}, {5002, 0.0}, {5005, 0.0}}));
}

// A package whose digest never matches: 1006 and the restart, 1006 and the
// final 1004, which deletes the wrong file; the window's reports follow.
TEST_F(PipelineRun, AFailedDownloadDeletesThePackageAndIsReported) {
  quillon_test::PackageServer server("velmotranslate.exe", DemoPackageBytes(), {"--md5", "wrong"});
  ASSERT_TRUE(server.ready());
  const fs::path package = folder_ / "__Package_velmotranslate.exe";
  std::atomic<int> packageAtFailure{-1};
  recorder_.onNotify = [&](const Notification& n) {
    std::error_code ec;
    if (n.code == 1004) packageAtFailure = fs::exists(package, ec) ? 1 : 0;
  };
  quillon_test::ReportRecorder reports;
  quillon_test::LogCapture log;
  auto pipeline = Make(server.ShortUrl(), folder_);
  pipeline->Start();
  ASSERT_TRUE(recorder_.WaitFor({1003, 1004}, 1, kLimit));
  ASSERT_TRUE(WaitForMessage(log, L"DL_CODE_FAIL\r\n"));
  std::vector<int> phases;
  for (int code : recorder_.Codes()) {
    if (code != 1002) phases.push_back(code);
  }
  EXPECT_EQ(phases, (std::vector<int>{1001, 1006, 1005, 1001, 1006, 1004}));
  EXPECT_EQ(packageAtFailure.load(), 1);
  EXPECT_FALSE(fs::exists(package));

  // As the window does, on its own thread.
  const Notification failed = recorder_.All().back();
  Notification mismatch{};
  for (const auto& n : recorder_.All()) {
    if (n.code == 1006) mismatch = n;
  }
  pipeline->FailureReport(mismatch.code, mismatch.value, mismatch.text.c_str(), true);
  pipeline->DownloadFailureReport(failed.code, failed.value, failed.text.c_str());
  ASSERT_TRUE(EndsInTime(std::move(pipeline)));

  const auto steps = reports.Steps();
  ASSERT_EQ(steps.size(), 2u);
  const AnalyticsProperties extra = {{L"AB", L"IN"}};
  EXPECT_EQ(steps[0].step, L"\u4e0b\u8f7d\u5931\u8d25\u539f\u56e0");  // 下载失败原因
  EXPECT_EQ(steps[0].detail, L":1.code=0\uff1b2.msg=" + mismatch.text);
  EXPECT_EQ(steps[0].extra, extra);
  EXPECT_EQ(steps[1].step, L"\u4e0b\u8f7d\u5931\u8d25\u539f\u56e0");
  const std::wstring& text = steps[1].detail;
  EXPECT_EQ(text.rfind(L"1.code=0\uff1b2.msg=LibCurl\uff1b3.\u7f13\u5b58\u78c1\u76d8\u5bb9\u91cf=", 0), 0u)
      << Utils::WideToUtf8(text);
  EXPECT_NE(text.find(L"G\uff1b4.\u7f13\u5b58\u8bfb\u5199\u6743\u9650=\u53ef\u8bfb\uff1b5."), std::wstring::npos)
      << Utils::WideToUtf8(text);
  EXPECT_EQ(steps[1].extra, extra);
  // The write test leaves nothing behind.
  EXPECT_FALSE(fs::exists(package));
}

// A package file still there after its terminal event (as when the
// package still held it) goes at the next terminal event, even after the
// install folder has changed.
TEST_F(PipelineRun, TheStalePackageGoesAtTheNextTerminalEvent) {
  quillon_test::PackageServer server("velmotranslate.exe", "x", {"--status", "404"});
  ASSERT_TRUE(server.ready());
  const fs::path first = folder_ / "__Package_velmotranslate.exe";
  const fs::path otherFolder = scratch_.Path() / "apps" / "other" / "velmotranslate";
  quillon_test::LogCapture log;
  auto pipeline = Make(server.ShortUrl(), folder_);
  pipeline->Start();
  ASSERT_TRUE(WaitForMessage(log, L"DL_CODE_FAIL\r\n"));
  EXPECT_EQ(CDownloadInstaller::StalePackagePath(), first.wstring());

  fs::create_directories(folder_);
  quillon_test::WriteBytes(first, "left over");
  pipeline->SetInstallFolder(otherFolder.wstring());
  pipeline->Start();
  ASSERT_TRUE(WaitForMessage(log, L"DL_CODE_FAIL\r\n", 2));
  EXPECT_FALSE(fs::exists(first));
  const fs::path second = otherFolder / "__Package_velmotranslate.exe";
  EXPECT_EQ(CDownloadInstaller::StalePackagePath(), second.wstring());

  // Once the pipeline and its package have ended, the last one goes too.
  fs::create_directories(otherFolder);
  quillon_test::WriteBytes(second, "still in use at its terminal event");
  ASSERT_TRUE(EndsInTime(std::move(pipeline)));
  EXPECT_FALSE(fs::exists(second));
}

// With InsNew, Start holds the window's thread until the product has gone.
TEST_F(PipelineRun, InsNewWaitsForTheRunningProduct) {
  g_InstallerConfig.InsNew = true;
  quillon_test::PackageServer server("velmotranslate.exe", DemoPackageBytes());
  ASSERT_TRUE(server.ready());
  // An old version whose uninstaller has nothing to remove.
  const fs::path old = scratch_.Path() / "old";
  fs::create_directories(old);
  fs::copy_file(quillon_test::BuiltProgram(L"tools", L"demo-package"), old / "uninst.ep");
  // The name the wait looks for, on both targets.
  const fs::path running = scratch_.Path() / "running" / "velmotranslate.exe";
  fs::create_directories(running.parent_path());
  fs::copy_file(quillon_test::BuiltProgram(L"tools", L"demo-package"), running);
  auto child = std::make_unique<quillon_test::ChildProcess>(
      running.u8string(), std::vector<std::string>{"-linger=120"}, (scratch_.Path() / "product.out").u8string());
  ASSERT_TRUE(child->started());
  bool seen = false;
  for (int i = 0; i < 1200 && !(seen = Utils::FindProcessByName(L"velmotranslate.exe") != 0); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_TRUE(seen);

  auto pipeline = Make(server.ShortUrl(), folder_, old / "uninst.ep");
  std::promise<void> returned;
  std::future<void> done = returned.get_future();
  std::thread starter([&] {
    pipeline->Start();
    returned.set_value();
  });
  EXPECT_EQ(done.wait_for(std::chrono::seconds(1)), std::future_status::timeout);
  EXPECT_TRUE(recorder_.All().empty());
  child->Kill();
  bool ended = false;
  for (int round = 0; round < 2 && !ended; ++round) {
    ended = done.wait_for(kLimit) == std::future_status::ready;
    // Past the bound only another program of that name can hold Start:
    // end it so that this test fails instead of hanging.
    if (!ended) quillon_test::KillProcessById(Utils::FindProcessByName(L"velmotranslate.exe"));
  }
  EXPECT_TRUE(ended);
  starter.join();
  ASSERT_TRUE(recorder_.WaitFor({2003, 2004, 1004, 5004, 5005}, 1, kLimit));
  ASSERT_TRUE(EndsInTime(std::move(pipeline)));
  EXPECT_EQ(recorder_.All().front().code, 5002);
  EXPECT_EQ(recorder_.All().back().code, 2003);
}

TEST(FailureTexts, AreFormattedAndCut) {
  using Install::DownloadFailureText;
  using Install::FailureText;
  EXPECT_EQ(DownloadFailureText(-2146697211.7, L"URLDownloadToFile", 13255342818, L"\u53ef\u8bfb", 0x10040),
            L"1.code=-2146697211\uff1b2.msg=URLDownloadToFile\uff1b3.\u7f13\u5b58\u78c1\u76d8\u5bb9\u91cf=12.35G\uff1b"
            L"4.\u7f13\u5b58\u8bfb\u5199\u6743\u9650=\u53ef\u8bfb\uff1b5.\u670d\u52a1\u5668\u8fde\u63a5\u72b6\u6001code=65600");
  EXPECT_EQ(FailureText(1000.0, L"\u5b89\u88c5\u5931\u8d25\r"), L":1.code=1000\uff1b2.msg=\u5b89\u88c5\u5931\u8d25\r");
  EXPECT_EQ(FailureText(2.0, L""), L":1.code=2\uff1b2.msg=");

  const std::wstring longText(500, L'x');
  const std::wstring cut = FailureText(0.0, longText);
  EXPECT_EQ(cut.size(), 199u);
  EXPECT_EQ(cut.substr(0, 17), L":1.code=0\uff1b2.msg=x");
  EXPECT_EQ(DownloadFailureText(7.0, longText, uint64_t{1} << 30, L"\u65e0\u6743\u9650", 0).size(), 199u);
  // A message longer than any buffer is still cut, not lost.
  const std::wstring huge(5000, L'y');
  EXPECT_EQ(DownloadFailureText(7.0, huge, uint64_t{1} << 30, L"\u65e0\u6743\u9650", 0), L"1.code=7\uff1b2.msg=" + huge.substr(0, 184));

  EXPECT_EQ(Install::TruncatedCode(2.9), 2);
  EXPECT_EQ(Install::TruncatedCode(-2.9), -2);
  EXPECT_EQ(Install::TruncatedCode(4294967295.0), 2147483647L);
  EXPECT_EQ(Install::TruncatedCode(std::nan("")), 0);

  EXPECT_EQ(Install::FreeSpaceProbePath(L"C:\\Apps\\velmotranslate\\__Package_velmotranslate.exe"), L"C:");
  EXPECT_EQ(Install::FreeSpaceProbePath(L"/opt/velmotranslate/__Package_velmotranslate.exe"), L"/opt/velmotranslate");
}

TEST(FailureTexts, InstallFailuresHaveTheirOwnLabel) {
  quillon_test::ReportRecorder reports;
  CDownloadInstaller pipeline([](int, double, const wchar_t*) {});
  pipeline.FailureReport(2004, 1000.0, L"\u5b89\u88c5\u5931\u8d25", false);
  const auto steps = reports.Steps();
  ASSERT_EQ(steps.size(), 1u);
  EXPECT_EQ(steps[0].step, L"\u5b89\u88c5\u5931\u8d25\u539f\u56e0");  // 安装失败原因
  EXPECT_EQ(steps[0].detail, L":1.code=1000\uff1b2.msg=\u5b89\u88c5\u5931\u8d25");
  EXPECT_EQ(steps[0].extra, (AnalyticsProperties{{L"AB", L"IN"}}));
}

// Free space in a report: whole numbers and one rounding rule (halves up),
// where printf's "%.2f" rounds an exact half differently per C library.
TEST(FailureTexts, FreeSpaceIsInGigabytesRoundedToHundredthsWithHalvesUp) {
  constexpr uint64_t kGiB = uint64_t{1} << 30;
  EXPECT_EQ(Install::GigabytesText(0), L"0.00");
  EXPECT_EQ(Install::GigabytesText(kGiB / 8), L"0.13");  // exactly 0.125
  EXPECT_EQ(Install::GigabytesText(5368709), L"0.00");   // just below 0.005
  EXPECT_EQ(Install::GigabytesText(5368710), L"0.01");   // just above
  EXPECT_EQ(Install::GigabytesText(kGiB - 1), L"1.00");
  EXPECT_EQ(Install::GigabytesText(13255342818), L"12.35");
  EXPECT_EQ(Install::GigabytesText(UINT64_MAX), L"17179869184.00");
}
