#include "download/win_downloader.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "support/notify_recorder.h"
#include "support/package_server.h"
#include "support/report_recorder.h"
#include "utils/utf8.h"

using quillon_test::NotifyRecorder;
using quillon_test::PackageServer;
using quillon_test::PatternBytes;
using quillon_test::ReadBytes;
using quillon_test::ScratchDir;
using quillon_test::WriteBytes;

namespace {

constexpr size_t kMiB = 1048576;

std::wstring Wide(const std::filesystem::path& p) { return quillon_test::WidePath(p); }
std::wstring Wide(const std::string& utf8) { return Utils::Utf8ToWide(utf8); }

// "file:///" and the path with forward slashes: /tmp/x on Linux, C:/x on Windows.
std::wstring FileUrl(const std::filesystem::path& p) {
  std::string path = p.generic_u8string();
  if (!path.empty() && path[0] == '/') path.erase(0, 1);
  return Wide("file:///" + path);
}

void ExpectOnlyProgressBetween(const std::vector<quillon_test::Notification>& all, int final) {
  ASSERT_GE(all.size(), 2u);
  EXPECT_EQ(all.front().code, 1001);
  EXPECT_EQ(all.front().value, 1.0);
  EXPECT_EQ(all.back().code, final);
  EXPECT_EQ(all.back().text, L"URLDownloadToFile");
  for (size_t i = 1; i + 1 < all.size(); ++i) {
    EXPECT_EQ(all[i].code, 1002) << "notification " << i;
    EXPECT_GE(all[i].value, 0.0);
    EXPECT_LE(all[i].value, 1.0);
  }
}

class WinDownloaderTest : public ::testing::Test {
 protected:
  ScratchDir out_;
  NotifyRecorder recorder_;
};

}  // namespace

TEST(EscapeUrlTest, OnlySpacesControlAndNonAsciiBytesChange) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"http://h/a b", "http://h/a+b"},
      {"http://h/\xE4\xB8\xAD", "http://h/%E4%B8%AD"},                          // 中
      {"http://h/caf\xC3\xA9", "http://h/caf%C3%A9"},                           // é
      {"http://h/%41/?a=1&b=%2#x~", "http://h/%41/?a=1&b=%2#x~"},              // already meaningful
      {std::string("a\tb\x7F" "c"), "a%09b%7Fc"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(EscapeUrl(Wide(c.in)), Wide(c.out)) << c.in;
}

TEST(ServiceResultTest, LibcurlOutcomesBecomeNegativeServiceResults) {
  const struct {
    int curl;
    long status;
    int32_t result;
  } cases[] = {
      {CURLE_OK, 200, 0},
      {CURLE_HTTP_RETURNED_ERROR, 404, -2146697211},  // INET_E_RESOURCE_NOT_FOUND
      {CURLE_HTTP_RETURNED_ERROR, 410, -2146697211},
      {CURLE_HTTP_RETURNED_ERROR, 500, -2146697208},  // INET_E_DOWNLOAD_FAILURE
      {CURLE_COULDNT_CONNECT, 0, -2146697212},        // INET_E_CANNOT_CONNECT
      {CURLE_COULDNT_RESOLVE_HOST, 0, -2146697211},
      {CURLE_FILE_COULDNT_READ_FILE, 0, -2146697211},
      {CURLE_UNSUPPORTED_PROTOCOL, 0, -2146697203},   // INET_E_UNKNOWN_PROTOCOL
      {CURLE_URL_MALFORMAT, 0, -2146697214},          // INET_E_INVALID_URL
      {CURLE_OPERATION_TIMEDOUT, 0, -2146697205},     // INET_E_CONNECTION_TIMEOUT
      {CURLE_ABORTED_BY_CALLBACK, 0, -2147467260},    // E_ABORT
      {CURLE_PARTIAL_FILE, 200, -2146697208},
      {CURLE_WRITE_ERROR, 200, -2146697208},
  };
  for (const auto& c : cases) EXPECT_EQ(ServiceResult::FromCurl(c.curl, c.status), c.result) << c.curl;
}

TEST(ServiceResultTest, AnHttpErrorStatusIsAFailure) {
  EXPECT_EQ(ServiceResult::FromHttpStatus(0), 0) << "no HTTP (file:///)";
  EXPECT_EQ(ServiceResult::FromHttpStatus(200), 0);
  EXPECT_EQ(ServiceResult::FromHttpStatus(304), 0);
  EXPECT_EQ(ServiceResult::FromHttpStatus(404), -2146697211);
  EXPECT_EQ(ServiceResult::FromHttpStatus(403), -2146697208);
  EXPECT_EQ(ServiceResult::FromHttpStatus(503), -2146697208);
}

TEST_F(WinDownloaderTest, APackageArrivesWholeWithProgress) {
  const std::string bytes = PatternBytes(3 * kMiB);
  PackageServer server("package.exe", bytes, {"--rate", "4000000"});
  ASSERT_TRUE(server.ready());
  CWinDownloader downloader(std::ref(recorder_), Wide(server.ShortUrl()), Wide(out_ / "package.exe"));
  downloader.Start();
  ASSERT_TRUE(recorder_.WaitFor({1003, 1004}));
  ExpectOnlyProgressBetween(recorder_.All(), 1003);
  EXPECT_EQ(recorder_.All().back().value, 0.0);
  EXPECT_EQ(recorder_.Codes(), (std::vector<int>{1001, 1002, 1003}));
  EXPECT_TRUE(ReadBytes(out_ / "package.exe") == bytes) << "the file differs";
}

TEST_F(WinDownloaderTest, AnAddressWithASpaceAndANonAsciiCharacterIsRequestedEscaped) {
  PackageServer server("package.exe", PatternBytes(kMiB));
  ASSERT_TRUE(server.ready());
  // Any /software/ address redirects to the package, so the pass succeeds.
  CWinDownloader downloader(std::ref(recorder_), Wide(server.Url("/software/my pack\xE4\xB8\xAD.exe")),
                            Wide(out_ / "package.exe"));
  downloader.Start();
  ASSERT_TRUE(recorder_.WaitFor({1003, 1004}));
  EXPECT_EQ(recorder_.All().back().code, 1003);
  const auto requests = server.Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests.front().target, "/software/my+pack%E4%B8%AD.exe");
}

TEST_F(WinDownloaderTest, AFileAddressIsPassedUnchanged) {
  // A space that escaping would turn into "+" names a file that is not there.
  const std::string bytes = PatternBytes(100000);
  WriteBytes(out_ / "source file.bin", bytes);
  CWinDownloader downloader(std::ref(recorder_), FileUrl(out_ / "source file.bin"), Wide(out_ / "copy.bin"));
  downloader.Start();
  ASSERT_TRUE(recorder_.WaitFor({1003, 1004}));
  EXPECT_EQ(recorder_.All().back().code, 1003) << recorder_.All().back().value;
  EXPECT_TRUE(ReadBytes(out_ / "copy.bin") == bytes) << "the file differs";
}

TEST_F(WinDownloaderTest, ARefusingServerIsTriedThreeTimesAndEveryStartRunsAWholePass) {
  PackageServer server("package.exe", PatternBytes(kMiB), {"--status", "404"});
  ASSERT_TRUE(server.ready());
  CWinDownloader downloader(std::ref(recorder_), Wide(server.ShortUrl()), Wide(out_ / "package.exe"));
  const auto started = std::chrono::steady_clock::now();
  downloader.Start();
  ASSERT_TRUE(recorder_.WaitFor({1003, 1004}));
  // Three attempts, each followed by a one-second pause.
  EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(3000));
  EXPECT_EQ(recorder_.Codes(), (std::vector<int>{1001, 1004}));
  const auto first = recorder_.All().back();
  // The service saves an error page and calls it a success; the 404 is
  // learnt from the response and reported as the service would.
  EXPECT_EQ(first.value, -2146697211.0);  // INET_E_RESOURCE_NOT_FOUND
  EXPECT_EQ(first.text, L"URLDownloadToFile");
  const size_t firstPassRequests = server.Requests().size();
  EXPECT_GE(firstPassRequests, 3u);

  downloader.Start();
  ASSERT_TRUE(recorder_.WaitFor({1003, 1004}, 2));
  EXPECT_EQ(recorder_.Codes(), (std::vector<int>{1001, 1004, 1001, 1004}));
  EXPECT_EQ(recorder_.All().back().value, first.value);
  EXPECT_GT(server.Requests().size(), firstPassRequests) << "the second pass asks the server again";
  EXPECT_FALSE(std::filesystem::exists(out_ / "package.exe"));
}

TEST_F(WinDownloaderTest, AStartFromInsideTheFinalNotificationRunsANewPass) {
  const std::string bytes = PatternBytes(kMiB);
  PackageServer server("package.exe", bytes);
  ASSERT_TRUE(server.ready());
  std::unique_ptr<CWinDownloader> downloader;
  int finals = 0;  // touched on the workers only, one after the other
  recorder_.onNotify = [&](const quillon_test::Notification& n) {
    if (n.code == 1003 && ++finals == 1) downloader->Start();
  };
  downloader = std::make_unique<CWinDownloader>(std::ref(recorder_), Wide(server.ShortUrl()), Wide(out_ / "package.exe"));
  downloader->Start();
  ASSERT_TRUE(recorder_.WaitFor({1003, 1004}, 2));
  downloader.reset();
  EXPECT_EQ(recorder_.Codes(), (std::vector<int>{1001, 1002, 1003, 1001, 1002, 1003}));
  EXPECT_TRUE(ReadBytes(out_ / "package.exe") == bytes) << "the file differs";
}

TEST_F(WinDownloaderTest, DestructionStopsARunningTransferAndANeverStartedOneAtOnce) {
  { CWinDownloader never(std::ref(recorder_), L"http://127.0.0.1:9/x", Wide(out_ / "never.exe")); }
  EXPECT_TRUE(recorder_.All().empty());

  // About sixteen seconds of transfer; progress keeps coming, so the next
  // progress call sees the downloader going.
  PackageServer server("package.exe", PatternBytes(4 * kMiB), {"--rate", "250000"});
  ASSERT_TRUE(server.ready());
  auto downloader = std::make_unique<CWinDownloader>(std::ref(recorder_), Wide(server.ShortUrl()),
                                                     Wide(out_ / "package.exe"));
  downloader->Start();
  ASSERT_TRUE(recorder_.WaitFor({1002}));
  downloader.reset();
  const size_t seen = recorder_.All().size();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(recorder_.All().size(), seen) << "nothing after the destructor";
  for (const auto& n : recorder_.All()) EXPECT_TRUE(n.code == 1001 || n.code == 1002) << n.code;
  EXPECT_FALSE(std::filesystem::exists(out_ / "package.exe"))
      << "the transfer was stopped, not finished: " << ReadBytes(out_ / "package.exe").size() << " bytes";
}

TEST_F(WinDownloaderTest, AnEmptySavePathFailsAtOnce) {
  CWinDownloader downloader(std::ref(recorder_), L"http://127.0.0.1:9/x", L"");
  downloader.Start();
  ASSERT_TRUE(recorder_.WaitFor({1004}));
  const auto all = recorder_.All();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].code, 1001);
  EXPECT_EQ(all[1].value, 1.0);
  EXPECT_EQ(all[1].text, L"");
}

TEST_F(WinDownloaderTest, AStalledTransferIsAbortedAndTheNextAttemptCompletes) {
  const std::string bytes = PatternBytes(2 * kMiB);
  auto server = std::make_unique<PackageServer>("package.exe", bytes,
                                                std::vector<std::string>{"--stall-after", "500000", "--stall-once"});
  ASSERT_TRUE(server->ready());
  auto downloader = std::make_unique<CWinDownloader>(std::ref(recorder_), Wide(server->ShortUrl()),
                                                     Wide(out_ / "package.exe"));
  downloader->SetStallSeconds(1);
  downloader->Start();
  const bool ended = recorder_.WaitFor({1003, 1004});
  const size_t gets = server->Requests("GET").size();
  // Should the stall not end, the server's end does: the test fails
  // instead of waiting for the stalled worker.
  server.reset();
  downloader.reset();
  ASSERT_TRUE(ended);
  EXPECT_EQ(recorder_.All().back().code, 1003);
  EXPECT_GE(gets, 2u) << "the stalled attempt ended and another one ran";
  EXPECT_TRUE(ReadBytes(out_ / "package.exe") == bytes) << "the file differs";
}

TEST_F(WinDownloaderTest, AnHtmlPageIsNotTakenForThePackage) {
  quillon_test::ReportRecorder reports;
  PackageServer server("package.exe", PatternBytes(kMiB), {"--html"});
  ASSERT_TRUE(server.ready());
  CWinDownloader downloader(std::ref(recorder_), Wide(server.ShortUrl()), Wide(out_ / "package.exe"));
  downloader.Start();
  ASSERT_TRUE(recorder_.WaitFor({1003, 1004}));
  EXPECT_EQ(recorder_.CodesWithoutProgress(), (std::vector<int>{1001, 1004}));
  EXPECT_EQ(recorder_.All().back().value, -2146697208.0);  // INET_E_DOWNLOAD_FAILURE
  EXPECT_FALSE(std::filesystem::exists(out_ / "package.exe"));
  const auto steps = reports.Steps();
  ASSERT_EQ(steps.size(), 3u) << "one report for each of the three attempts";
  EXPECT_NE(steps[0].detail.find(L"网页"), std::wstring::npos);
}
