// The tracker against the real loopback collector: what each event sends,
// when records leave the queue, the identity file, and shutdown while
// submissions still run on their own threads.
#include <gtest/gtest.h>
#include <json/json.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "analytics_state.h"
#include "analytics_tracker_impl.h"
#include "kx_exception.h"
#include "record_shape.h"
#include "sdk/http_sender.h"
#include "sdk/record_consumer.h"
#include "sdk/sdk.h"
#include "support/collector_process.h"
#include "support/collector_records.h"
#include "support/log_capture.h"
#include "support/scratch_dir.h"

namespace tarvix {
namespace analytics {
namespace {

using analytics_sdk::LastSendOk;
using analytics_sdk::SetLastSendOk;
using analytics_sdk::Sdk;
using quillon_test::CollectorProcess;
using quillon_test::ParseRecord;
using quillon_test::RecordEvents;
using quillon_test::ScratchDir;

const std::string kCollector = quillon_test::CollectorProgram();
constexpr const char* kUnreachable = quillon_test::kUnreachableCollector;

int AsyncLines(const quillon_test::LogCapture& log) {
  int n = 0;
  for (const auto& m : log.Messages()) n += m == L"[Analytics] Sending messages asynchronously";
  return n;
}

std::string Properties(const KxEventTask& task) { return TaskProperties(task, KxContextProperties()).ToJson(); }

TEST(EventCatalogue, ClickWithOnlyANameIsAnOthersClickSeenFirstTime) {
  KxEventClick click;
  click.name = "go";
  EXPECT_EQ(ClickProperties(click, KxContextProperties()).ToJson(),
            "{\"$is_first_time\":true,\"kx_click_type\":\"Others\",\"kx_name\":\"go\"}");
  click.tabIndex = std::make_shared<int>(2);
  click.bannerName = "b";
  click.clickType = Banner;
  EXPECT_EQ(ClickProperties(click, KxContextProperties()).ToJson(),
            "{\"$is_first_time\":true,\"kx_banner_name\":\"b\",\"kx_click_type\":\"Banner\","
            "\"kx_name\":\"go\",\"kx_tab_index\":2}");
}

TEST(EventCatalogue, TaskSendsElapsedAsANumberAndOnlyTheFirstThreeResults) {
  KxEventTask task;
  task.name = "step";
  task.elapsed = std::make_shared<float>(12.5f);
  task.result = std::make_shared<KxResult>(Fail);
  EXPECT_EQ(Properties(task),
            "{\"$is_first_time\":true,\"kx_task_elapsed\":12.5,\"kx_task_name\":\"step\","
            "\"kx_task_result\":\"Fail\"}");
  task.result = std::make_shared<KxResult>(Unknown);
  task.elapsed = std::make_shared<float>(0.0f);
  task.reason = "r";
  EXPECT_EQ(Properties(task),
            "{\"$is_first_time\":true,\"kx_reason\":\"r\",\"kx_task_elapsed\":0,\"kx_task_name\":\"step\"}");
}

TEST(EventCatalogue, ContextEntriesGoToTheirTypeOnly) {
  KxContextProperties context;
  context.setProperty(kABKey, "IN", {Task});
  KxEventTask task;
  task.name = "t";
  KxEventView view;
  view.name = "v";
  EXPECT_NE(TaskProperties(task, context).ToJson().find("\"kxc_ab\":\"IN\""), std::string::npos);
  EXPECT_EQ(ViewProperties(view, context).ToJson().find("kxc_ab"), std::string::npos);
}

TEST(EventCatalogue, EmptyNamesAndUnknownValuesRaise) {
  auto message = [](auto call) {
    try {
      call();
    } catch (const KxException& e) {
      return e.function() + ": " + e.message();
    }
    return std::string("no exception");
  };
  EXPECT_EQ(message([] { ClickProperties(KxEventClick(), KxContextProperties()); }),
            "trackClick: kxEventClick.name is empty");
  EXPECT_EQ(message([] { ViewProperties(KxEventView(), KxContextProperties()); }),
            "trackView: kxEventView.name is empty");
  EXPECT_EQ(message([] { TaskProperties(KxEventTask(), KxContextProperties()); }),
            "trackTask: kxEventTask.name is empty");
  EXPECT_EQ(message([] { toString(static_cast<KxClickType>(5)); }), "toString: Unknown ClickType [5]!");
  EXPECT_EQ(message([] { toString(static_cast<KxResult>(-1)); }), "toString: Unknown task result [-1]!");
  EXPECT_EQ(CrashProperties("").ToJson(), "{}");
}

// One tracker with its files in a scratch folder.
class TrackerTest : public ::testing::Test {
 protected:
  void SetUp() override { SetLastSendOk(false); }
  void TearDown() override { Sdk::Shutdown(); }

  KxTrackerParams Params(const std::string& url) {
    KxTrackerParams p;
    p.appName = "velmo.downloader";
    p.appVersion = "1.7.9";
    p.appStore = "setup.exe";
    p.dlAppId = "velmo";
    p.serverUrl = url;
    return p;
  }
  std::unique_ptr<AnalyticsTrackerImpl> Make(const std::string& url) {
    const std::string base = dir_.Path().string();
    const std::string exeDir = (dir_ / "exe").string();
    std::filesystem::create_directories(exeDir);
    std::unique_ptr<AnalyticsTrackerImpl> t(new AnalyticsTrackerImpl(
        Params(url), [base, exeDir](const std::string& app) { return ResolveAnalyticsPaths(app, exeDir, base); }));
    t->init();
    return t;
  }
  std::string ConfigFile() {
    return ResolveAnalyticsPaths("velmo.downloader", (dir_ / "exe").string(), dir_.Path().string()).configFile;
  }
  std::string Read(const char* section, const char* key) {
    return state_platform::ReadString(section, key, "<none>", ConfigFile());
  }
  static KxEventClick Click(const char* name) {
    KxEventClick c;
    c.name = name;
    return c;
  }

  ScratchDir dir_;
};

TEST_F(TrackerTest, FirstRunWritesTheIdsTheUrlAndTheUninstallInfo) {
  { auto t = Make(kUnreachable); }
  const std::string id = Read("Base", "DistinctId");
  EXPECT_EQ(id.size(), 36u);
  EXPECT_EQ(Read("Base", "PrimaryDistinctId"), id);
  EXPECT_EQ(Read("Base", "URL"), kUnreachable);
  EXPECT_EQ(Read("Base", "UserId"), "");
  EXPECT_EQ(Read("Base", "isLogined"), "NG");
  EXPECT_EQ(Read("UninstallInfo", "AppStore"), "setup.exe");
  EXPECT_EQ(Read("UninstallInfo", "AppName"), "velmo.downloader");
  EXPECT_EQ(Read("UninstallInfo", "AppVersion"), "1.7.9");
  // The same collector next time: the same ids.
  { auto t = Make(kUnreachable); }
  EXPECT_EQ(Read("Base", "DistinctId"), id);
}

TEST_F(TrackerTest, AnotherCollectorLogsOutAndRestoresThePrimaryId) {
  CollectorProcess collector(kCollector);
  ASSERT_TRUE(collector.started()) << collector.Errors();
  { auto t = Make(kUnreachable); }
  const std::string primary = Read("Base", "PrimaryDistinctId");
  state_platform::WriteString("Base", "DistinctId", "SOMEONE-ELSE", ConfigFile());
  state_platform::WriteString("Base", "UserId", "user-7", ConfigFile());
  state_platform::WriteString("Base", "isLogined", "OK", ConfigFile());
  {
    auto t = Make(collector.url());
    SetLastSendOk(true);
    t->trackClick(Click("c"), KxContextProperties());
  }
  EXPECT_EQ(Read("Base", "DistinctId"), primary);
  EXPECT_EQ(Read("Base", "UserId"), "");
  EXPECT_EQ(Read("Base", "isLogined"), "NG");
  EXPECT_EQ(Read("Base", "URL"), collector.url());
  const auto records = collector.WaitForRecords(1);
  ASSERT_EQ(records.size(), 1u) << collector.Errors();
  const Json::Value r = ParseRecord(records[0]);
  EXPECT_EQ(r["distinct_id"].asString(), primary);
  EXPECT_FALSE(r["properties"].isMember("$is_login_id"));
  EXPECT_FALSE(r["properties"].isMember("kx_user_id"));
}

TEST_F(TrackerTest, EmptyAppStoreFailsInitButTheFactoryTrackerStillTakesCalls) {
  KxTrackerParams p = Params(kUnreachable);
  p.appStore.clear();
  AnalyticsTrackerImpl impl(p);
  try {
    impl.init();
    ADD_FAILURE() << "init accepted an empty appStore";
  } catch (const KxException& e) {
    EXPECT_STREQ(e.what(), "appStore is empty");
    EXPECT_EQ(e.function(), "init");
  }
  std::shared_ptr<AnalyticsTracker> t = CreateAnalyticsTracker(p);
  ASSERT_TRUE(t);
  testing::internal::CaptureStdout();
  KxEventTask task;
  task.name = "step";
  t->trackTask(task, KxContextProperties());
  t->trackClick(KxEventClick(), KxContextProperties());  // refused, but no logger to tell
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(Sdk::QueueLengthForTest(), 0u);
}

TEST_F(TrackerTest, TheWrapperSwallowsFailuresAndSaysSoWhenThereIsALogger) {
  std::shared_ptr<AnalyticsTracker> t = std::make_shared<AnalyticsTrackerWrapper>(Make(kUnreachable));
  testing::internal::CaptureStdout();
  t->trackClick(KxEventClick(), KxContextProperties());
  t->trackView(KxEventView(), KxContextProperties());
  t->trackTask(KxEventTask(), KxContextProperties());
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Failed to trackClick\nFailed to trackView\nFailed to trackTask\n");
  EXPECT_EQ(t->getLogger(), nullptr);
  EXPECT_EQ(t->getPrimaryDistinctId().size(), 36u);
  EXPECT_EQ(Sdk::QueueLengthForTest(), 0u);
}

TEST_F(TrackerTest, BeforeAGoodPostSubmissionsRunOnTheirOwnThreadsAfterOneOnTheCaller) {
  auto t = Make(kUnreachable);
  {
    quillon_test::LogCapture log;
    t->trackClick(Click("a"), KxContextProperties());
    t->trackCrash("");
    EXPECT_EQ(AsyncLines(log), 2);
  }
  // Those threads' failed sends would otherwise clear the verdict set below
  // and count against the second half.
  t->waitIdleForTest();
  SetLastSendOk(true);
  quillon_test::LogCapture log;
  const int before = t->pendingForTest();
  KxEventTask task;
  task.name = "step";
  t->trackTask(task, KxContextProperties());
  // Counted on this thread, before the call returned.
  EXPECT_GE(t->pendingForTest(), before + 1);
  EXPECT_EQ(AsyncLines(log), 0);
}

TEST_F(TrackerTest, ACrashAloneWaitsForTheNextRunAndThenGoesFirst) {
  CollectorProcess collector(kCollector);
  ASSERT_TRUE(collector.started()) << collector.Errors();
  {
    auto t = Make(collector.url());
    SetLastSendOk(true);  // the flush step runs on this thread
    t->trackCrash("boom");
    EXPECT_EQ(Sdk::QueueLengthForTest(), 1u);
    EXPECT_EQ(t->pendingForTest(), 0);
  }
  EXPECT_TRUE(collector.Records().empty());
  {
    auto t = Make(collector.url());
    t->trackClick(Click("next"), KxContextProperties());
    t->trackCrash("");
    EXPECT_EQ(t->pendingForTest(), 0);
  }
  const auto records = collector.WaitForRecords(3);
  EXPECT_EQ(RecordEvents(records), (std::vector<std::string>{"AppCrashed", "KxEventClick", "AppCrashed"}));
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(ParseRecord(records[0])["properties"]["app_crashed_reason"].asString(), "boom");
  EXPECT_FALSE(ParseRecord(records[2])["properties"].isMember("app_crashed_reason"));
  EXPECT_FALSE(ParseRecord(records[2])["properties"].isMember("$is_first_time"));
}

TEST_F(TrackerTest, RecordsNotSentByShutdownAreStagedAndSentOnceByTheNextRun) {
  {
    auto t = Make(kUnreachable);
    t->trackClick(Click("one"), KxContextProperties());
    t->trackCrash("x");
  }
  const std::string staging =
      analytics_sdk::StagingFilePath(ResolveAnalyticsPaths("velmo.downloader", (dir_ / "exe").string(),
                                                           dir_.Path().string()).directory);
  EXPECT_EQ(analytics_sdk::StagedRecordLines(quillon_test::ReadBytes(staging)).size(), 2u);
  CollectorProcess collector(kCollector);
  ASSERT_TRUE(collector.started()) << collector.Errors();
  for (int run = 0; run < 2; ++run) {
    auto t = Make(collector.url());
    t->trackClick(Click("two"), KxContextProperties());
  }
  const auto records = collector.WaitForRecords(4);
  EXPECT_EQ(RecordEvents(records), (std::vector<std::string>{"KxEventClick", "AppCrashed", "KxEventClick", "KxEventClick"}));
  for (const auto& r : records) {
    std::string error;
    EXPECT_TRUE(collector::CheckRecord(r, &error)) << error;
  }
}

// Many threads track while crash reports flush on threads of their own;
// the tracker goes while some of those threads still run, and the next
// tracker starts. Meant for the sanitizers: no freed memory, no races.
TEST_F(TrackerTest, ShutdownWhileTrackingAndDetachedFlushesRun) {
  CollectorProcess collector(kCollector);
  ASSERT_TRUE(collector.started()) << collector.Errors();
  for (int round = 0; round < 3; ++round) {
    std::shared_ptr<AnalyticsTracker> t = std::make_shared<AnalyticsTrackerWrapper>(Make(collector.url()));
    SetLastSendOk(false);
    std::vector<std::thread> threads;
    for (int i = 0; i < 6; ++i) {
      threads.emplace_back([t, i] {
        for (int n = 0; n < 40; ++n) {
          if (n % 10 == 9) {
            t->trackCrash("c");
          } else {
            KxEventTask task;
            task.name = "t" + std::to_string(i);
            t->trackTask(task, KxContextProperties());
          }
        }
      });
    }
    for (auto& thread : threads) thread.join();
    t.reset();
  }
  // Every record tracked was delivered or staged: nothing lost, none twice.
  auto t = Make(collector.url());
  t->trackClick(Click("last"), KxContextProperties());
  t->trackCrash("");
  t.reset();
  const auto records = collector.WaitForRecords(3 * 240 + 2, std::chrono::seconds(30));
  EXPECT_EQ(records.size(), 3u * 240 + 2);
}

}  // namespace
}  // namespace analytics
}  // namespace tarvix
