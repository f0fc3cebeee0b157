// The installer's reports end to end: a copy of tests/analytics_run in a
// scratch folder, with its "TarvixInstallerConfig.ini" and a "Set.ini"
// that keeps the analytics files in the same folder, run as real
// processes against the loopback collector (tests/fixtures/collector).
#include <gtest/gtest.h>
#include <json/json.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "record_shape.h"
#include "support/collector_process.h"
#include "support/collector_records.h"
#include "support/scratch_dir.h"
#include "utils/process.h"
#include "utils/profile.h"
#include "utils/utf8.h"

namespace {

using quillon_test::CollectorProcess;
using quillon_test::ParseRecord;
using quillon_test::RecordEvents;
using quillon_test::ScratchDir;
namespace fs = std::filesystem;

const std::string kCollector = quillon_test::CollectorProgram();
constexpr const char* kUnreachable = quillon_test::kUnreachableCollector;

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

const std::vector<std::string> kInstallEvents{"KxEventTask", "KxEventClick", "KxEventView", "KxEventTask",
                                              "AppCrashed"};

class AdapterRun : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path helper = quillon_test::BuiltProgram(L"tests", L"analytics_run");
    program_ = dir_.Path() / helper.filename();
    fs::copy_file(helper, program_);
    // Forward slashes, and a folder that does not exist yet.
    dir_.Write(L"Set.ini", "[Install]\r\nKXAnalyticsIni=" + (dir_ / "state" / "ids" / "KXSConfigure.ini").generic_string() +
                               "\r\n");
  }
  void Configure(const std::string& url, bool enabled = true) {
    dir_.Write(L"TarvixInstallerConfig.ini", "[Install]\r\nAnalyticsUrl=" + url + "\r\nIsEnableAppSensors=" +
                                                 (enabled ? "true" : "false") + "\r\n");
  }
  // Runs the helper to its end (bounded) and returns its exit code.
  uint32_t Run(const std::wstring& mode) {
    Utils::PipedProcess child;
    child.Start(quillon_test::Quoted(program_) + L" " + mode);
    char buffer[4096];
    size_t got = 0;
    std::string output;
    for (int reads = 0; reads < 1000 && child.ReadOutput(buffer, sizeof buffer, &got); ++reads) output.append(buffer, got);
    uint32_t code = 1;
    if (!child.WaitFor(60000, &code)) {
      child.Terminate();
      ADD_FAILURE() << "analytics_run did not end";
    }
    if (code != 0) {
      ADD_FAILURE() << "analytics_run's errors:\n" << quillon_test::ReadBytes(program_.string() + ".stderr.txt");
    }
    return code;
  }
  fs::path ConfigFile() const { return dir_ / "state" / "ids" / "KXSConfigure.ini"; }
  std::string Read(const wchar_t* section, const wchar_t* key) const {
    return Utils::WideToUtf8(Utils::ReadProfileString(section, key, L"<none>", ConfigFile().wstring(), 128));
  }
  std::string ExeName() const { return program_.filename().u8string(); }

  ScratchDir dir_;
  fs::path program_;
};

TEST_F(AdapterRun, AnInstallationsReportsReachTheConfiguredCollector) {
  CollectorProcess collector(kCollector);
  ASSERT_TRUE(collector.started()) << collector.Errors();
  Configure(collector.url());
  const int64_t start = NowMs();
  ASSERT_EQ(Run(L"install"), 0u);
  const int64_t end = NowMs();
  const auto records = collector.WaitForRecords(5);
  ASSERT_EQ(RecordEvents(records), kInstallEvents) << collector.Errors();

  // The first run on this machine: ids, collector and uninstall facts.
  const std::string id = Read(L"Base", L"DistinctId");
  EXPECT_EQ(id.size(), 36u);
  EXPECT_EQ(Read(L"Base", L"PrimaryDistinctId"), id);
  EXPECT_EQ(Read(L"Base", L"URL"), collector.url());
  EXPECT_EQ(Read(L"UninstallInfo", L"AppStore"), ExeName());
  EXPECT_EQ(Read(L"UninstallInfo", L"AppName"), "velmotranslate.downloader");
  EXPECT_EQ(Read(L"UninstallInfo", L"AppVersion"), "1.7.9");

  for (const auto& text : records) {
    std::string error;
    EXPECT_TRUE(collector::CheckRecord(text, &error)) << error;
    const Json::Value r = ParseRecord(text);
    EXPECT_EQ(r["type"].asString(), "track");
    EXPECT_EQ(r["distinct_id"].asString(), id);
    EXPECT_TRUE(r["_track_id"].isIntegral());
    EXPECT_GE(r["_track_id"].asInt64(), 0);
    EXPECT_LE(r["_track_id"].asInt64(), 999999999);
    // Its last four digits are those of the time.
    EXPECT_EQ(r["_track_id"].asInt64() % 10000, r["time"].asInt64() % 10000);
    EXPECT_GE(r["time"].asInt64(), start);
    EXPECT_LE(r["time"].asInt64(), end);
    EXPECT_EQ(r["lib"]["$lib"].asString(), "cpp");
    EXPECT_EQ(r["lib"]["$lib_method"].asString(), "code");
    EXPECT_EQ(r["lib"]["$lib_version"].asString(), "0.9");
    const Json::Value& p = r["properties"];
    EXPECT_EQ(p["$lib"].asString(), "cpp");
    EXPECT_EQ(p["$lib_version"].asString(), "0.9");
    EXPECT_EQ(p["kx_app_id"].asString(), "velmotranslate.downloader");
    EXPECT_EQ(p["$app_id"].asString(), "velmotranslate.downloader");
    EXPECT_EQ(p["$app_version"].asString(), "1.7.9");
    EXPECT_EQ(p["kx_app_store"].asString(), ExeName());
    EXPECT_EQ(p["kx_edition"].asString(), "china");
    EXPECT_EQ(p["kx_dlapp_id"].asString(), "velmotranslate");
    EXPECT_FALSE(p.isMember("kx_dlapp_version"));
    EXPECT_EQ(p["kx_track_type"].asString(), "Client");
    EXPECT_EQ(p["kx_sdk_version"].asString(), "3.3.8");
    EXPECT_EQ(p["kx_sdk"].asString(), "WindowsCPP");
    EXPECT_FALSE(p["$os"].asString().empty());
    EXPECT_FALSE(p["$os_version"].asString().empty());
    EXPECT_TRUE(p["$screen_width"].isIntegral());
    EXPECT_FALSE(p.isMember("$is_login_id"));
  }
  const Json::Value step = ParseRecord(records[0])["properties"];
  EXPECT_EQ(step["kx_task_name"].asString(), "\xe5\xbc\x80\xe5\xa7\x8b\xe4\xb8\x8b\xe8\xbd\xbd\xe5\xa4\xa7\xe5\x8c\x85");
  EXPECT_EQ(step["kx_task_elapsed"].asDouble(), 0.0);
  EXPECT_EQ(step["kx_task_result"].asString(), "Success");
  EXPECT_EQ(step["kxc_ab"].asString(), "IN");
  EXPECT_TRUE(step["$is_first_time"].asBool());
  EXPECT_FALSE(step.isMember("kx_reason"));
  const Json::Value click = ParseRecord(records[1])["properties"];
  EXPECT_EQ(click["kx_name"].asString(), "\xe7\xab\x8b\xe5\x8d\xb3\xe5\xae\x89\xe8\xa3\x85");
  EXPECT_EQ(click["kx_click_type"].asString(), "Button");
  EXPECT_EQ(click["kxc_ab"].asString(), "IN");
  const Json::Value view = ParseRecord(records[2])["properties"];
  EXPECT_EQ(view["kx_name"].asString(), "\xe5\xae\x89\xe8\xa3\x85\xe4\xb8\xad");
  EXPECT_EQ(view["kxc_ab"].asString(), "IN");
  const Json::Value failure = ParseRecord(records[3])["properties"];
  EXPECT_EQ(failure["kx_reason"].asString(), "HTTP 404");
  EXPECT_EQ(failure["kx_task_elapsed"].asDouble(), 2.5);
  const Json::Value crash = ParseRecord(records[4])["properties"];
  EXPECT_EQ(crash["app_crashed_reason"].asString(), "\xe5\xb4\xa9\xe6\xba\x83");
  EXPECT_FALSE(crash.isMember("kxc_ab"));
  EXPECT_FALSE(crash.isMember("$is_first_time"));
}

TEST_F(AdapterRun, ARunThatCouldNotSendIsDeliveredOnceAheadOfTheNext) {
  Configure(kUnreachable);
  ASSERT_EQ(Run(L"install"), 0u);
  CollectorProcess collector(kCollector);
  ASSERT_TRUE(collector.started()) << collector.Errors();
  Configure(collector.url());
  const int64_t second = NowMs();
  ASSERT_EQ(Run(L"install"), 0u);
  std::vector<std::string> expected = kInstallEvents;
  expected.insert(expected.end(), kInstallEvents.begin(), kInstallEvents.end());
  const auto records = collector.WaitForRecords(expected.size());
  ASSERT_EQ(RecordEvents(records), expected) << collector.Errors();
  for (size_t i = 0; i < records.size(); ++i) {
    const int64_t time = ParseRecord(records[i])["time"].asInt64();
    if (i < 5) {
      EXPECT_LT(time, second) << i;
    } else {
      EXPECT_GE(time, second) << i;
    }
  }
  // Nothing more comes: every record was sent once.
  EXPECT_EQ(collector.WaitForRecords(expected.size() + 1, std::chrono::milliseconds(300)).size(), expected.size());
}

TEST_F(AdapterRun, ASecondInitReplacesTheTrackerAndStillSends) {
  CollectorProcess collector(kCollector);
  ASSERT_TRUE(collector.started()) << collector.Errors();
  Configure(collector.url());
  ASSERT_EQ(Run(L"twice"), 0u);
  EXPECT_EQ(RecordEvents(collector.WaitForRecords(5)), kInstallEvents) << collector.Errors();
}

TEST_F(AdapterRun, WithTheSwitchOffNothingIsMadeOrSent) {
  CollectorProcess collector(kCollector);
  ASSERT_TRUE(collector.started()) << collector.Errors();
  Configure(collector.url(), false);
  ASSERT_EQ(Run(L"install -isenableappsensors=true"), 0u);
  EXPECT_TRUE(collector.Records().empty());
  EXPECT_FALSE(fs::exists(ConfigFile()));
}

TEST_F(AdapterRun, MalformedOrMissingABValuesSendTheRecordWithoutIt) {
  CollectorProcess collector(kCollector);
  ASSERT_TRUE(collector.started()) << collector.Errors();
  Configure(collector.url());
  ASSERT_EQ(Run(L"odd-ab"), 0u);
  const auto records = collector.WaitForRecords(5);
  ASSERT_EQ(RecordEvents(records), kInstallEvents) << collector.Errors();
  for (const auto& r : records) EXPECT_FALSE(ParseRecord(r)["properties"].isMember("kxc_ab")) << r;
}

}  // namespace
