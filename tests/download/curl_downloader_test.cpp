#include "download/curl_downloader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <thread>

#include "support/log_capture.h"
#include "support/notify_recorder.h"
#include "support/package_server.h"
#include "support/report_recorder.h"
#include "utils/utf8.h"

using quillon_test::LogCapture;
using quillon_test::NotifyRecorder;
using quillon_test::PackageServer;
using quillon_test::PatternBytes;
using quillon_test::ReadBytes;
using quillon_test::ScratchDir;

namespace {

constexpr size_t kMiB = 1048576;

// Milliseconds since midnight of a trace line's time stamp.
long LineMilliseconds(const std::wstring& line) {
  const auto at = line.find(L"><2") + 13;
  int h = 0, m = 0, s = 0, ms = 0;
  std::swscanf(line.c_str() + at, L"%d:%d:%d.%d", &h, &m, &s, &ms);
  return ((h * 60L + m) * 60L + s) * 1000L + ms;
}

// Runs a downloader the way the pipeline does: 1005 is answered with Start
// from inside the notification.
class Pass {
 public:
  Pass(const std::string& url, const std::filesystem::path& save, int retryPauseMs = 10) {
    recorder.onNotify = [this](const quillon_test::Notification& n) {
      if (n.code == 1005) downloader->Start();
    };
    downloader = std::make_unique<CCurlDownloader>(std::ref(recorder), Utils::Utf8ToWide(url), quillon_test::WidePath(save));
    downloader->SetRetryPause(retryPauseMs);
  }
  bool RunToEnd(int finals = 1) {
    downloader->Start();
    return recorder.WaitFor({1003, 1004}, finals);
  }
  NotifyRecorder recorder;
  std::unique_ptr<CCurlDownloader> downloader;
};

class CurlDownloaderTest : public ::testing::Test {
 protected:
  ScratchDir out_;
};

}  // namespace

TEST_F(CurlDownloaderTest, AMatchingPackageIsAcceptedWithProgress) {
  const std::string bytes = PatternBytes(4 * kMiB);
  PackageServer server("package.exe", bytes, {"--rate", "2000000"});
  ASSERT_TRUE(server.ready());
  Pass pass(server.ShortUrl(), out_ / "package.exe");
  ASSERT_TRUE(pass.RunToEnd());
  EXPECT_EQ(pass.recorder.Codes(), (std::vector<int>{1001, 1002, 1003}));
  const auto all = pass.recorder.All();
  EXPECT_EQ(all.front().value, 1.0);
  EXPECT_EQ(all.back().text, L"LibCurl");
  double last = 0;
  for (const auto& n : all) {
    if (n.code != 1002) continue;
    EXPECT_GT(n.value, 0.0);
    EXPECT_LE(n.value, 1.0);
    EXPECT_GE(n.value, last);
    last = n.value;
  }
  EXPECT_EQ(ReadBytes(out_ / "package.exe"), bytes);
}

TEST_F(CurlDownloaderTest, AnAddressWithoutAnMd5IsAcceptedWithANotice) {
  PackageServer server("package.exe", PatternBytes(kMiB), {"--md5", "missing"});
  ASSERT_TRUE(server.ready());
  Pass pass(server.ShortUrl(), out_ / "package.exe");
  ASSERT_TRUE(pass.RunToEnd());
  const auto all = pass.recorder.All();
  ASSERT_GE(all.size(), 3u);
  EXPECT_EQ(all[all.size() - 2].code, 1006);
  EXPECT_EQ(all[all.size() - 2].text, L"curl获取url-md5失败");
  EXPECT_EQ(all.back().code, 1003);
}

TEST_F(CurlDownloaderTest, AnUpperCaseMd5FailsOnceWithRetryThenForGood) {
  PackageServer server("package.exe", PatternBytes(kMiB), {"--md5", "upper"});
  ASSERT_TRUE(server.ready());
  Pass pass(server.ShortUrl(), out_ / "package.exe");
  ASSERT_TRUE(pass.RunToEnd());
  EXPECT_EQ(pass.recorder.CodesWithoutProgress(), (std::vector<int>{1001, 1006, 1005, 1001, 1006, 1004}));
  for (const auto& n : pass.recorder.All()) {
    if (n.code == 1006) {
      EXPECT_EQ(n.text, L"curl文件md5校验失败");
    }
    if (n.code == 1004 || n.code == 1005) {
      EXPECT_EQ(n.value, 0.0);
    }
  }
  EXPECT_EQ(server.Requests("GET").size(), 2u);
  EXPECT_EQ(server.Requests("HEAD").size(), 2u) << "the second pass reuses address and length";
  EXPECT_TRUE(std::filesystem::exists(out_ / "package.exe")) << "the pipeline, not the downloader, deletes it";
}

TEST_F(CurlDownloaderTest, ADroppedTransferResumesWhereItStopped) {
  const std::string bytes = PatternBytes(6000000);
  PackageServer server("package.exe", bytes, {"--drop-after", "5000000", "--drop-once"});
  ASSERT_TRUE(server.ready());
  Pass pass(server.ShortUrl(), out_ / "package.exe");
  ASSERT_TRUE(pass.RunToEnd());
  EXPECT_EQ(pass.recorder.All().back().code, 1003);
  const auto gets = server.Requests("GET");
  ASSERT_EQ(gets.size(), 2u);
  EXPECT_EQ(gets[0].range, "-");
  EXPECT_EQ(gets[1].range, "bytes=5000000-");
  EXPECT_EQ(ReadBytes(out_ / "package.exe"), bytes);
}

TEST_F(CurlDownloaderTest, PartialTransfersAreTriedTwelveTimes) {
  LogCapture log;
  PackageServer server("package.exe", PatternBytes(2 * kMiB), {"--drop-after", "1000"});
  ASSERT_TRUE(server.ready());
  Pass pass(server.ShortUrl(), out_ / "package.exe");
  ASSERT_TRUE(pass.RunToEnd());
  EXPECT_EQ(pass.recorder.All().back().code, 1004);
  EXPECT_EQ(pass.recorder.All().back().value, 18.0);
  EXPECT_EQ(server.Requests("GET").size(), 12u);
  int traced = 0;
  for (const auto& line : log.Lines()) {
    traced += line.find(L"(CCurlDownloader::dlThreadFun)<") != std::wstring::npos &&
              line.find(L">: CurlDownLoader Code=18\r\n") != std::wstring::npos;
  }
  EXPECT_EQ(traced, 11) << "the last failure leaves no trace line";
}

TEST_F(CurlDownloaderTest, ServerErrorsAreTriedSixTimesHalfASecondApart) {
  LogCapture log;
  PackageServer server("package.exe", PatternBytes(2 * kMiB), {"--get-status", "500"});
  ASSERT_TRUE(server.ready());
  Pass pass(server.ShortUrl(), out_ / "package.exe", 500);
  ASSERT_TRUE(pass.RunToEnd());
  EXPECT_EQ(pass.recorder.All().back().code, 1004);
  EXPECT_EQ(pass.recorder.All().back().value, 22.0);
  EXPECT_EQ(server.Requests("GET").size(), 6u);
  std::vector<long> starts;
  for (const auto& line : log.Lines()) {
    if (line.find(L">: start download") != std::wstring::npos) starts.push_back(LineMilliseconds(line));
  }
  ASSERT_EQ(starts.size(), 6u);
  for (size_t i = 1; i < starts.size(); ++i) {
    long gap = starts[i] - starts[i - 1];
    if (gap < 0) gap += 24L * 3600 * 1000;  // midnight
    EXPECT_GE(gap, 490) << "attempt " << i;
  }
}

TEST_F(CurlDownloaderTest, AStalledTransferSendsNoProgressAndStopsWithTheDownloader) {
  PackageServer server("package.exe", PatternBytes(2 * kMiB), {"--stall-after", "0"});
  ASSERT_TRUE(server.ready());
  auto pass = std::make_unique<Pass>(server.ShortUrl(), out_ / "package.exe");
  pass->downloader->Start();
  ASSERT_TRUE(pass->recorder.WaitFor({1001}));
  // Long enough for two progress rounds of libcurl; nothing may be sent.
  std::this_thread::sleep_for(std::chrono::milliseconds(2500));
  pass->downloader.reset();  // aborts the transfer and joins the worker
  EXPECT_EQ(pass->recorder.Codes(), (std::vector<int>{1001}));
}

TEST_F(CurlDownloaderTest, AnEmptySavePathFailsAtOnce) {
  NotifyRecorder recorder;
  CCurlDownloader downloader(std::ref(recorder), L"http://127.0.0.1:9/x", L"");
  downloader.Start();
  ASSERT_TRUE(recorder.WaitFor({1004}));
  const auto all = recorder.All();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].code, 1001);
  EXPECT_EQ(all[1].value, 1.0);
  EXPECT_EQ(all[1].text, L"");
}

TEST_F(CurlDownloaderTest, AStallEndsTheAttemptWithCode28AndTheNextOneResumes) {
  LogCapture log;
  const std::string bytes = PatternBytes(3 * kMiB);
  PackageServer server("package.exe", bytes, {"--stall-after", "1000000", "--stall-once"});
  ASSERT_TRUE(server.ready());
  Pass pass(server.ShortUrl(), out_ / "package.exe");
  pass.downloader->SetLowSpeedTime(1);
  ASSERT_TRUE(pass.RunToEnd());
  EXPECT_EQ(pass.recorder.All().back().code, 1003);
  EXPECT_EQ(ReadBytes(out_ / "package.exe"), bytes);
  const auto gets = server.Requests("GET");
  ASSERT_EQ(gets.size(), 2u);
  EXPECT_EQ(gets[1].range, "bytes=1000000-");
  int traced = 0;
  for (const auto& line : log.Lines()) traced += line.find(L">: CurlDownLoader Code=28\r\n") != std::wstring::npos;
  EXPECT_EQ(traced, 1);
}

TEST_F(CurlDownloaderTest, AFileChangedBetweenAttemptsIsFetchedAgainFromTheStartAndOnlyWhole) {
  const std::string first = PatternBytes(4 * kMiB);
  std::string second = first;
  for (char& c : second) c = static_cast<char>(c ^ 0x5A);
  ScratchDir other;
  quillon_test::WriteBytes(other / "package.exe", second);
  PackageServer server("package.exe", first,
                       {"--md5", "missing", "--drop-after", "3000000", "--drop-once", "--change-to",
                        (other / "package.exe").u8string(), "--change-after", "1"});
  ASSERT_TRUE(server.ready());
  Pass pass(server.ShortUrl(), out_ / "package.exe");
  ASSERT_TRUE(pass.RunToEnd());
  EXPECT_EQ(pass.recorder.All().back().code, 1003);
  EXPECT_EQ(ReadBytes(out_ / "package.exe"), second) << "never the first file's bytes with the second's";
  const auto gets = server.Requests("GET");
  ASSERT_EQ(gets.size(), 2u);
  EXPECT_EQ(gets[0].ifRange, "-");
  EXPECT_EQ(gets[1].range, "bytes=3000000-");
  EXPECT_EQ(gets[1].ifRange, "\"" + server.Md5() + "\"") << "the validator of the stored bytes";
  EXPECT_FALSE(std::filesystem::exists(out_ / "package.exe.part.validator"));
}

TEST_F(CurlDownloaderTest, AnHtmlPageIsRefusedAtTheFirstAttemptAndReported) {
  for (const std::string type : {"text/html; charset=utf-8", "application/octet-stream"}) {
    quillon_test::ReportRecorder reports;
    PackageServer server("package.exe", PatternBytes(2 * kMiB), {"--html", "--html-type", type});
    ASSERT_TRUE(server.ready());
    Pass pass(server.ShortUrl(), out_ / "package.exe");
    ASSERT_TRUE(pass.RunToEnd());
    EXPECT_EQ(pass.recorder.All().back().code, 1004) << type;
    EXPECT_EQ(pass.recorder.All().back().value, static_cast<double>(CurlClient::kHtmlAnswer));
    EXPECT_FALSE(std::filesystem::exists(out_ / "package.exe"));
    EXPECT_EQ(ReadBytes(out_ / "package.exe.part"), "") << "not a byte of the page is stored";
    const auto steps = reports.Steps();
    ASSERT_EQ(steps.size(), server.Requests("GET").size()) << "one report for every refused answer";
    EXPECT_EQ(steps[0].step, L"下载失败原因");
    EXPECT_NE(steps[0].detail.find(L"网页"), std::wstring::npos);
  }
}
