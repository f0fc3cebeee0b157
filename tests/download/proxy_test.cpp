#include "utils/proxy.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "download/curl_downloader.h"
#include "download/mt_curl_downloader.h"
#include "proxy_setting.h"
#include "sdk/sdk.h"
#include "support/child_process.h"
#include "support/collector_process.h"
#include "support/notify_recorder.h"
#include "support/package_server.h"
#include "utils/utf8.h"

using quillon_test::NotifyRecorder;
using quillon_test::PackageServer;
using quillon_test::PatternBytes;
using quillon_test::ReadBytes;
using quillon_test::ScratchDir;

namespace {

// The proxy (tests/fixtures/proxy), started for one test and ended by its id.
class LoopbackProxy {
 public:
  LoopbackProxy() {
    child_ = std::make_unique<quillon_test::ChildProcess>(
        quillon_test::BuiltProgram(L"tools", L"proxy").u8string(),
        std::vector<std::string>{"--port-file", (dir_ / "port").u8string(), "--time-limit", "300"},
        (dir_ / "forwarded.log").u8string());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (child_->started() && std::chrono::steady_clock::now() < deadline) {
      const std::string port = ReadBytes(dir_ / "port");
      if (!port.empty() && port.back() == '\n') {
        port_ = std::stoi(port);
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  int port() const { return port_; }
  // The requests forwarded so far with `method`.
  // Under Wine the proxy setting is the whole prefix's, so other tests'
  // transfers may pass through too: `toward` keeps only this test's.
  size_t Forwarded(const std::string& method, const std::string& toward = "") const {
    size_t n = 0;
    for (const auto& f : quillon_test::TabLines(ReadBytes(dir_ / "forwarded.log"))) {
      n += f.size() >= 3 && f[0] == "forwarded" && f[1] == method && f[2].find(toward) != std::string::npos;
    }
    return n;
  }

 private:
  ScratchDir dir_;
  std::unique_ptr<quillon_test::ChildProcess> child_;
  int port_ = 0;
};

}  // namespace

TEST(ProxySettingsTest, ListsAndBypassesReadAsTheBrowserDoes) {
  EXPECT_EQ(ProxyForScheme("proxy.example:8080", "http"), "http://proxy.example:8080");
  EXPECT_EQ(ProxyForScheme("http=a:1;https=b:2", "https"), "http://b:2");
  EXPECT_EQ(ProxyForScheme("ftp=a:1", "http"), "");
  EXPECT_EQ(ProxyForScheme("", "http"), "");
  EXPECT_TRUE(BypassesProxy("<local>", "intranet"));
  EXPECT_FALSE(BypassesProxy("<local>", "cdn.example.com"));
  EXPECT_TRUE(BypassesProxy("*.Example.com; 10.*", "cdn.example.com"));
  EXPECT_TRUE(BypassesProxy("*.example.com;10.*", "10.1.2.3"));
  EXPECT_FALSE(BypassesProxy("*.example.com;10.*", "127.0.0.1"));
}

TEST(ProxyTest, BothCurlDownloadersGoThroughTheUsersProxy) {
  LoopbackProxy proxy;
  ASSERT_GT(proxy.port(), 0);
  const std::string bytes = PatternBytes(3 * 1048576);
  PackageServer server("package.exe", bytes);
  ASSERT_TRUE(server.ready());
  quillon_test::ProxySetting setting("127.0.0.1:" + std::to_string(proxy.port()));
  ScratchDir out;
  {
    NotifyRecorder recorder;
    CCurlDownloader downloader(std::ref(recorder), Utils::Utf8ToWide(server.ShortUrl()),
                               quillon_test::WidePath(out / "one.exe"));
    downloader.Start();
    ASSERT_TRUE(recorder.WaitFor({1003, 1004}));
    EXPECT_EQ(recorder.All().back().code, 1003);
    EXPECT_TRUE(ReadBytes(out / "one.exe") == bytes);
  }
  const size_t singleGets = proxy.Forwarded("GET");
  EXPECT_GE(singleGets, 1u);
  EXPECT_GE(proxy.Forwarded("HEAD"), 1u);
  {
    NotifyRecorder recorder;
    CMTCurlDownloader downloader(std::ref(recorder), Utils::Utf8ToWide(server.ShortUrl()),
                                 quillon_test::WidePath(out / "three.exe"));
    downloader.Start();
    ASSERT_TRUE(recorder.WaitFor({1003, 1004}));
    EXPECT_EQ(recorder.All().back().code, 1003);
    EXPECT_TRUE(ReadBytes(out / "three.exe") == bytes);
  }
  EXPECT_GT(proxy.Forwarded("GET"), singleGets);
  // The proxy counts a request when it forwards it, the server once it has
  // read it; a request the proxy forwarded but that the server never got in
  // full (a range given up under load) counts only on the proxy's side.
  EXPECT_LE(server.Requests("GET").size(), proxy.Forwarded("GET")) << "every body request went through the proxy";
}

TEST(ProxyTest, AProxyThatCannotBeReachedGivesWayToADirectConnection) {
  const std::string bytes = PatternBytes(2 * 1048576);
  PackageServer server("package.exe", bytes);
  ASSERT_TRUE(server.ready());
  quillon_test::ProxySetting setting("127.0.0.1:1");  // nothing listens there
  ScratchDir out;
  NotifyRecorder recorder;
  CCurlDownloader downloader(std::ref(recorder), Utils::Utf8ToWide(server.ShortUrl()),
                             quillon_test::WidePath(out / "package.exe"));
  downloader.Start();
  ASSERT_TRUE(recorder.WaitFor({1003, 1004}));
  EXPECT_EQ(recorder.All().back().code, 1003);
  EXPECT_TRUE(ReadBytes(out / "package.exe") == bytes);
}

// "127.0.0.1:PORT" of a collector's address.
std::string CollectorAuthority(const std::string& url) {
  const size_t start = url.find("//") == std::string::npos ? 0 : url.find("//") + 2;
  return url.substr(start, url.find('/', start) - start);
}

// The analytics posts take the same way as the packages: through the
// user's proxy, and directly when it cannot be reached.
TEST(ProxyTest, AnalyticsPostsGoThroughTheUsersProxyOrDirectly) {
  LoopbackProxy proxy;
  ASSERT_GT(proxy.port(), 0);
  quillon_test::CollectorProcess collector(quillon_test::CollectorProgram());
  ASSERT_TRUE(collector.started()) << collector.Errors();
  ScratchDir staging;
  const std::string folder = (staging.Path() / "").u8string();
  using analytics_sdk::Sdk;
  {
    quillon_test::ProxySetting setting("127.0.0.1:" + std::to_string(proxy.port()));
    ASSERT_TRUE(Sdk::Init(folder, collector.url(), "device-1", false));
    ASSERT_TRUE(Sdk::Track("through_proxy", analytics_sdk::utils::PropertiesNode()));
    EXPECT_TRUE(Sdk::Flush());
    Sdk::Shutdown();
  }
  EXPECT_EQ(proxy.Forwarded("POST", CollectorAuthority(collector.url())), 1u);
  {
    quillon_test::ProxySetting setting("127.0.0.1:1");  // nothing listens there
    ASSERT_TRUE(Sdk::Init(folder, collector.url(), "device-1", false));
    ASSERT_TRUE(Sdk::Track("directly", analytics_sdk::utils::PropertiesNode()));
    EXPECT_TRUE(Sdk::Flush());
    Sdk::Shutdown();
  }
  EXPECT_EQ(proxy.Forwarded("POST", CollectorAuthority(collector.url())), 1u);
  const auto records = collector.WaitForRecords(2);
  ASSERT_EQ(records.size(), 2u) << collector.Errors();
  EXPECT_NE(records[0].find("\"through_proxy\""), std::string::npos);
  EXPECT_NE(records[1].find("\"directly\""), std::string::npos);
}
