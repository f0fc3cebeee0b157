#include "download/curl_client.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "support/package_server.h"
#include "support/report_recorder.h"
#include "utils/file_io.h"
#include "utils/utf8.h"

using quillon_test::PackageServer;
using quillon_test::PatternBytes;
using quillon_test::ReadBytes;
using quillon_test::ReportRecorder;
using quillon_test::ScratchDir;

namespace {

constexpr size_t kMiB = 1048576;

std::vector<double> g_percents;
void RecordPercent(void*, double, double, double percent) { g_percents.push_back(percent); }

class CurlClientTest : public ::testing::Test {
 protected:
  void SetUp() override { g_percents.clear(); }
  ScratchDir out_;
};

}  // namespace

TEST_F(CurlClientTest, ExactlyOneMebibyteIsFetchedThroughTheRedirect) {
  const std::string bytes = PatternBytes(kMiB);
  PackageServer server("package.exe", bytes);
  ASSERT_TRUE(server.ready());
  const auto save = out_ / "package.exe";
  CurlClient client(Utils::Utf8ToWide(server.ShortUrl()), quillon_test::WidePath(save), nullptr, nullptr);
  ASSERT_EQ(client.Start(), 0);
  EXPECT_EQ(ReadBytes(save), bytes);
  EXPECT_FALSE(std::filesystem::exists(out_ / "package.exe.part"));
  EXPECT_EQ(client.RealUrl(), server.Url(server.FinalPath()));
  EXPECT_EQ(client.FileLength(), 1048576.0);

  const auto gets = server.Requests("GET");
  ASSERT_EQ(gets.size(), 1u);
  EXPECT_EQ(gets[0].path, server.FinalPath()) << "the body comes from the final address";
  const auto heads = server.Requests("HEAD").size();
  EXPECT_EQ(heads, 2u) << "one header request, following the redirect";

  // A second attempt of the same client knows address and length already.
  ASSERT_EQ(client.Start(), 0);
  EXPECT_EQ(server.Requests("HEAD").size(), heads);
}

TEST_F(CurlClientTest, ShortOrUnmeasuredFilesAreRefusedBeforeAnyBody) {
  for (const auto& flags : std::vector<std::vector<std::string>>{{}, {"--no-length"}}) {
    PackageServer server("package.exe", PatternBytes(flags.empty() ? kMiB - 1 : 3 * kMiB), flags);
    ASSERT_TRUE(server.ready());
    const auto save = out_ / "short.exe";
    CurlClient client(Utils::Utf8ToWide(server.ShortUrl()), quillon_test::WidePath(save), nullptr, nullptr);
    EXPECT_EQ(client.Start(), CurlClient::kLengthUnusable);
    EXPECT_TRUE(server.Requests("GET").empty());
    EXPECT_FALSE(std::filesystem::exists(save));
    EXPECT_FALSE(std::filesystem::exists(out_ / "short.exe.part"));
  }
}

TEST_F(CurlClientTest, APartFileIsResumedFromItsSize) {
  const std::string bytes = PatternBytes(6000000);
  PackageServer server("package.exe", bytes);
  ASSERT_TRUE(server.ready());
  const auto save = out_ / "package.exe";
  quillon_test::WriteBytes(out_ / "package.exe.part", bytes.substr(0, 5000000));
  CurlClient client(Utils::Utf8ToWide(server.ShortUrl()), quillon_test::WidePath(save), nullptr, RecordPercent);
  ASSERT_EQ(client.Start(), 0);
  EXPECT_EQ(ReadBytes(save), bytes);
  const auto gets = server.Requests("GET");
  ASSERT_EQ(gets.size(), 1u);
  EXPECT_EQ(gets[0].range, "bytes=5000000-");
  for (double p : g_percents) {
    EXPECT_GE(p, 5000000.0 / 6000000.0 * 100.0 - 1e-9) << "percent counts the resumed bytes";
    EXPECT_LE(p, 100.0);
  }
}

TEST_F(CurlClientTest, NotFoundIsReportedByBothLengthQueries) {
  ReportRecorder reports;
  PackageServer server("package.exe", PatternBytes(2 * kMiB), {"--status", "404"});
  ASSERT_TRUE(server.ready());
  CurlClient client(Utils::Utf8ToWide(server.ShortUrl()), quillon_test::WidePath(out_ / "p.exe"), nullptr, nullptr);
  EXPECT_EQ(client.Start(), CurlClient::kLengthUnusable);
  const auto steps = reports.Steps();
  ASSERT_EQ(steps.size(), 2u);
  for (const auto& s : steps) {
    EXPECT_EQ(s.step, L"下载失败原因");
    EXPECT_EQ(s.detail, L"1.获取文件大小的状态码为=404；");
    EXPECT_EQ(s.elapsed, 0.0f);
    EXPECT_EQ(s.extra, (AnalyticsProperties{{L"AB", L"IN"}}));
  }
}

TEST_F(CurlClientTest, LocalFileUrlsAreFetched) {
  const std::string bytes = PatternBytes(kMiB + 17);
  quillon_test::WriteBytes(out_ / "source.bin", bytes);
  std::string url = "file:///" + std::filesystem::absolute(out_ / "source.bin").generic_u8string();
  if (url.compare(0, 9, "file:////") == 0) url.erase(8, 1);  // a POSIX path brings its own "/"
  const auto save = out_ / "copy.bin";
  ReportRecorder reports;
  CurlClient client(Utils::Utf8ToWide(url), quillon_test::WidePath(save), nullptr, nullptr);
  ASSERT_EQ(client.Start(), 0);
  EXPECT_EQ(ReadBytes(save), bytes);
}

TEST_F(CurlClientTest, DestroyingTheClientRemovesItsPartFile) {
  const auto part = out_ / "left.exe.part";
  quillon_test::WriteBytes(part, "partial");
  { CurlClient client(L"http://127.0.0.1:9/x", quillon_test::WidePath(out_ / "left.exe"), nullptr, nullptr); }
  EXPECT_FALSE(std::filesystem::exists(part));
}
