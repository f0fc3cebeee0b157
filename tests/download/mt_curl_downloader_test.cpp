#include "download/mt_curl_downloader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <thread>

#include "app/installer_config.h"
#include "download/part_join.h"
#include "support/log_capture.h"
#include "support/notify_recorder.h"
#include "support/package_server.h"
#include "support/report_recorder.h"
#include "utils/utf8.h"

using quillon_test::NotifyRecorder;
using quillon_test::PackageServer;
using quillon_test::PatternBytes;
using quillon_test::ReadBytes;
using quillon_test::ServedRequest;
using quillon_test::ScratchDir;

namespace {

constexpr int64_t kMiB = 1048576;

// The first range asked for by each range's requests from index `from` on:
// where each range of a pass began.
std::vector<std::string> FirstRanges(const std::vector<ServedRequest>& gets, size_t from,
                                     const std::vector<std::string>& lastBytes) {
  std::vector<std::string> out;
  for (const std::string& last : lastBytes) {
    for (size_t i = from; i < gets.size(); ++i) {
      const std::string& r = gets[i].range;
      if (r.size() > last.size() && r.compare(r.size() - last.size(), last.size(), last) == 0) {
        out.push_back(r);
        break;
      }
    }
  }
  return out;
}

std::vector<std::string> Ranges(const std::vector<ServedRequest>& gets) {
  std::vector<std::string> out;
  for (const auto& r : gets) out.push_back(r.range);
  std::sort(out.begin(), out.end());
  return out;
}

// Runs the downloader as the pipeline does; with `restartOn1005` the 1005
// is answered with Start from inside the notification.
class MtPass {
 public:
  MtPass(const std::string& url, const std::filesystem::path& save, bool restartOn1005 = true) {
    recorder.onNotify = [this, restartOn1005](const quillon_test::Notification& n) {
      if (n.code == 1005 && restartOn1005) downloader->Start();
    };
    downloader = std::make_unique<CMTCurlDownloader>(std::ref(recorder), Utils::Utf8ToWide(url), quillon_test::WidePath(save));
  }
  bool Run(std::vector<int> finals = {1003, 1004}) {
    downloader->Start();
    return recorder.WaitFor(finals, 1, std::chrono::seconds(120));
  }
  NotifyRecorder recorder;
  std::unique_ptr<CMTCurlDownloader> downloader;
};

class MtCurlDownloaderTest : public ::testing::Test {
 protected:
  ScratchDir out_;
};

}  // namespace

TEST(MtRanges, SplitsAtTwentyMebibytesIntoAtMostTwoParts) {
  using R = std::vector<std::pair<int64_t, int64_t>>;
  EXPECT_EQ(CMTCurlDownloader::Ranges(256), (R{{0, 255}}));
  EXPECT_EQ(CMTCurlDownloader::Ranges(20 * kMiB - 1), (R{{0, 20 * kMiB - 2}}));
  EXPECT_EQ(CMTCurlDownloader::Ranges(20 * kMiB), (R{{0, 10485759}, {10485760, 20971519}}));
  EXPECT_EQ(CMTCurlDownloader::Ranges(30000001), (R{{0, 14999999}, {15000000, 30000000}}));
  EXPECT_EQ(CMTCurlDownloader::Ranges(100 * kMiB), (R{{0, 50 * kMiB - 1}, {50 * kMiB, 100 * kMiB - 1}}));
}

TEST_F(MtCurlDownloaderTest, FilesAreFetchedInTheirRangesAndJoinedExactly) {
  const struct {
    int64_t size;
    std::vector<std::string> ranges;
  } cases[] = {
      {20 * kMiB - 1, {"bytes=0-20971518"}},
      {20 * kMiB, {"bytes=0-10485759", "bytes=10485760-20971519"}},
      {30000001, {"bytes=0-14999999", "bytes=15000000-30000000"}},
  };
  for (const auto& c : cases) {
    const std::string bytes = PatternBytes(static_cast<size_t>(c.size), static_cast<unsigned>(c.size));
    PackageServer server("package.exe", bytes);
    ASSERT_TRUE(server.ready());
    const auto save = out_ / ("package-" + std::to_string(c.size) + ".exe");
    MtPass pass(server.ShortUrl(), save);
    ASSERT_TRUE(pass.Run()) << c.size;
    EXPECT_EQ(pass.recorder.All().back().code, 1003) << c.size;
    EXPECT_EQ(pass.recorder.All().front().code, 1001);
    EXPECT_EQ(Ranges(server.Requests("GET")), c.ranges) << c.size;
    for (const auto& r : server.Requests("GET")) EXPECT_EQ(r.path, server.FinalPath());
    EXPECT_TRUE(ReadBytes(save) == bytes) << "joined file differs, size " << c.size;
    EXPECT_FALSE(std::filesystem::exists(save.string() + "_0"));
    EXPECT_FALSE(std::filesystem::exists(save.string() + "_1"));
  }
}

TEST_F(MtCurlDownloaderTest, APassThatFailsAfterProgressIsResumedByTheNext) {
  const int64_t size = 24 * kMiB;
  const std::string bytes = PatternBytes(static_cast<size_t>(size));
  // Every answer ends after 500000 bytes: thirteen attempts cannot finish a
  // range, the next pass's thirteen can.
  PackageServer server("package.exe", bytes, {"--drop-after", "500000"});
  ASSERT_TRUE(server.ready());
  const auto save = out_ / "package.exe";
  MtPass pass(server.ShortUrl(), save);
  ASSERT_TRUE(pass.Run());
  const auto all = pass.recorder.All();
  EXPECT_EQ(all.back().code, 1003);
  size_t retry = 0;
  while (retry < all.size() && all[retry].code != 1005) ++retry;
  ASSERT_LT(retry, all.size());
  EXPECT_EQ(all[retry].value, 18.0);
  double before = 0;
  for (size_t i = 0; i < retry; ++i) {
    if (all[i].code == 1002) before = all[i].value;
  }
  ASSERT_GT(before, 0.0) << "pass one reported progress";
  for (size_t i = retry + 1; i < all.size(); ++i) {
    if (all[i].code == 1002) {
      EXPECT_GE(all[i].value, before) << "the new pass counts the stored bytes";
      break;
    }
  }
  const auto gets = server.Requests("GET");
  ASSERT_EQ(gets.size(), 52u);  // 13 attempts per range and pass
  EXPECT_EQ(FirstRanges(gets, 26, {"-12582911", "-25165823"}),
            (std::vector<std::string>{"bytes=6500000-12582911", "bytes=19082912-25165823"}));
  EXPECT_TRUE(ReadBytes(save) == bytes);
}

TEST_F(MtCurlDownloaderTest, APassThatFailsBeforeProgressStartsAgainFromZero) {
  PackageServer server("package.exe", PatternBytes(21 * kMiB), {"--drop-after", "100"});
  ASSERT_TRUE(server.ready());
  MtPass pass(server.ShortUrl(), out_ / "package.exe");
  pass.downloader->SetTimingForTesting(10, 5);
  ASSERT_TRUE(pass.Run());
  EXPECT_EQ(pass.recorder.Codes(), (std::vector<int>{1001, 1005, 1001, 1004}));
  EXPECT_EQ(pass.recorder.All().back().value, 18.0);
  const auto gets = server.Requests("GET");
  ASSERT_EQ(gets.size(), 52u);
  EXPECT_EQ(FirstRanges(gets, 26, {"-11010047", "-22020095"}),
            (std::vector<std::string>{"bytes=0-11010047", "bytes=11010048-22020095"}));
  EXPECT_FALSE(std::filesystem::exists(out_ / "package.exe"));
}

TEST_F(MtCurlDownloaderTest, AStallEndsWithTheTimeOutCode) {
  quillon_test::LogCapture log;
  PackageServer server("package.exe", PatternBytes(2 * kMiB), {"--stall-after", "0"});
  ASSERT_TRUE(server.ready());
  MtPass pass(server.ShortUrl(), out_ / "package.exe", false);
  pass.downloader->SetTimingForTesting(10, 1);
  ASSERT_TRUE(pass.Run({1004, 1005}));
  EXPECT_EQ(pass.recorder.Codes(), (std::vector<int>{1001, 1005}));
  EXPECT_EQ(pass.recorder.All().back().value, 28.0);
  EXPECT_EQ(server.Requests("GET").size(), 7u);
  int starts = 0, retries = 0, failures = 0;
  for (const auto& line : log.Lines()) {
    starts += line.find(L"(CMTCurlDownloader::Start_Down)<") != std::wstring::npos &&
              line.find(L">: start download\r\n") != std::wstring::npos;
    retries += line.find(L"(CMTCurlDownloader::downloadThreadFun)<") != std::wstring::npos &&
               line.find(L">: CurlDownLoader Code=28\r\n") != std::wstring::npos;
    failures += line.find(L"(CMTCurlDownloader::downloadExe)<") != std::wstring::npos &&
                line.find(L">: error:28:") != std::wstring::npos;
  }
  EXPECT_EQ(starts, 1);
  EXPECT_EQ(retries, 6) << "seven attempts, six retries";
  EXPECT_EQ(failures, 7);
}

TEST_F(MtCurlDownloaderTest, WithoutLibcurlNothingIsRequested) {
  PackageServer server("package.exe", PatternBytes(2 * kMiB));
  ASSERT_TRUE(server.ready());
  g_InstallerConfig.CurlReady = false;
  MtPass pass(server.ShortUrl(), out_ / "package.exe");
  const bool ended = pass.Run();
  g_InstallerConfig.CurlReady = true;
  ASSERT_TRUE(ended);
  const auto all = pass.recorder.All();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].code, 1001);
  EXPECT_EQ(all[1].code, 1004);
  EXPECT_EQ(all[1].value, 0.0);
  EXPECT_TRUE(server.Requests().empty());
}

TEST_F(MtCurlDownloaderTest, AMismatchDeletesThePackageRetriesOnceThenFails) {
  PackageServer server("package.exe", PatternBytes(3 * kMiB), {"--md5", "upper"});
  ASSERT_TRUE(server.ready());
  const auto save = out_ / "package.exe";
  MtPass pass(server.ShortUrl(), save);
  ASSERT_TRUE(pass.Run());
  EXPECT_EQ(pass.recorder.CodesWithoutProgress(), (std::vector<int>{1001, 1006, 1005, 1001, 1006, 1004}));
  for (const auto& n : pass.recorder.All()) {
    if (n.code == 1006) {
      EXPECT_EQ(n.text, L"mtcurl文件md5校验失败");
    }
  }
  EXPECT_FALSE(std::filesystem::exists(save));
  EXPECT_EQ(server.Requests("HEAD").size(), 2u) << "one preliminary query (redirect + final)";
}

TEST_F(MtCurlDownloaderTest, AServerIgnoringRangeNeverYieldsAWrongPackage) {
  PackageServer server("package.exe", PatternBytes(21 * kMiB), {"--ignore-range", "--md5", "missing", "--rate", "8000000"});
  ASSERT_TRUE(server.ready());
  const auto save = out_ / "package.exe";
  MtPass pass(server.ShortUrl(), save);
  pass.downloader->SetTimingForTesting(10, 5);
  ASSERT_TRUE(pass.Run());
  for (const auto& n : pass.recorder.All()) EXPECT_NE(n.code, 1003);
  EXPECT_EQ(pass.recorder.All().back().code, 1004);
  EXPECT_NE(pass.recorder.All().back().value, 0.0);
  EXPECT_FALSE(std::filesystem::exists(save));
}

TEST_F(MtCurlDownloaderTest, DestroyingARunningDownloaderStopsItsThreads) {
  PackageServer server("package.exe", PatternBytes(22 * kMiB), {"--rate", "1000000"});
  ASSERT_TRUE(server.ready());
  auto pass = std::make_unique<MtPass>(server.ShortUrl(), out_ / "package.exe");
  pass->downloader->Start();
  ASSERT_TRUE(pass->recorder.WaitFor({1001}));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  pass->downloader.reset();
  for (const auto& n : pass->recorder.All()) {
    EXPECT_TRUE(n.code == 1001 || n.code == 1002) << n.code;
  }
}

TEST_F(MtCurlDownloaderTest, RangesOfAFileThatChangedAreNeverJoinedAndTheNewFileArrivesWhole) {
  const std::string first = PatternBytes(static_cast<size_t>(24 * kMiB));
  std::string second = first;
  for (char& c : second) c = static_cast<char>(c ^ 0x5A);
  ScratchDir other;
  quillon_test::WriteBytes(other / "package.exe", second);
  PackageServer server("package.exe", first,
                       {"--md5", "missing", "--drop-after", "3000000", "--drop-once", "--change-to",
                        (other / "package.exe").u8string(), "--change-after", "2"});
  ASSERT_TRUE(server.ready());
  const auto save = out_ / "package.exe";
  MtPass pass(server.ShortUrl(), save);
  pass.downloader->SetTimingForTesting(10, 5);
  ASSERT_TRUE(pass.Run());
  EXPECT_EQ(pass.recorder.CodesWithoutProgress(), (std::vector<int>{1001, 1005, 1001, 1006, 1003}));
  for (const auto& n : pass.recorder.All()) {
    if (n.code == 1005) {
      EXPECT_EQ(n.value, static_cast<double>(CMTCurlDownloader::kChangedFile));
    }
  }
  EXPECT_TRUE(ReadBytes(save) == second) << "never ranges of two contents joined";
  bool askedIfRange = false;
  for (const auto& r : server.Requests("GET")) askedIfRange |= r.ifRange == "\"" + server.Md5() + "\"";
  EXPECT_TRUE(askedIfRange) << "a resumed range names the content of its stored bytes";
  for (const char* left : {"_0", "_1", "_0.validator", "_1.validator"}) {
    EXPECT_FALSE(std::filesystem::exists(save.string() + left)) << left;
  }
}

TEST_F(MtCurlDownloaderTest, AnHtmlPageIsRefusedAndReported) {
  quillon_test::ReportRecorder reports;
  PackageServer server("package.exe", PatternBytes(2 * kMiB), {"--html"});
  ASSERT_TRUE(server.ready());
  const auto save = out_ / "package.exe";
  MtPass pass(server.ShortUrl(), save);
  pass.downloader->SetTimingForTesting(10, 5);
  ASSERT_TRUE(pass.Run());
  EXPECT_EQ(pass.recorder.CodesWithoutProgress(), (std::vector<int>{1001, 1005, 1001, 1004}));
  EXPECT_EQ(pass.recorder.All().back().value, static_cast<double>(CMTCurlDownloader::kHtmlAnswer));
  EXPECT_FALSE(std::filesystem::exists(save));
  EXPECT_FALSE(std::filesystem::exists(save.string() + "_0"));
  const auto steps = reports.Steps();
  ASSERT_EQ(steps.size(), server.Requests("GET").size());
  EXPECT_EQ(steps[0].step, L"下载失败原因");
  EXPECT_NE(steps[0].detail.find(L"网页"), std::wstring::npos);
}

// Both ways of joining (the system's copy where it is offered, and the
// blocks every system has) give the parts end to end, and neither reports
// a join that did not happen.
TEST(PartJoinTest, AppendsTheWholeSourceOrSaysItFailed) {
  ScratchDir dir;
  const std::string head = PatternBytes(3 * kMiB + 17), tail = PatternBytes(5 * kMiB + 3).substr(11);
  for (auto append : {&AppendFileTo, &AppendFileInBlocks}) {
    dir.Write(L"part_0", head);
    dir.Write(L"part_1", tail);
    ASSERT_TRUE(append(dir.Wide(L"part_0"), dir.Wide(L"part_1")));
    EXPECT_TRUE(dir.Read(L"part_0") == head + tail);
    EXPECT_TRUE(dir.Read(L"part_1") == tail) << "the source is left as it was";
    EXPECT_FALSE(append(dir.Wide(L"part_0"), dir.Wide(L"missing")));
    EXPECT_TRUE(dir.Read(L"part_0") == head + tail);
    EXPECT_FALSE(append(dir.Wide(L"no folder/part_0"), dir.Wide(L"part_1")));
  }
}
