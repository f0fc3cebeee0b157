#include <gtest/gtest.h>
#include <json/json.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "record_shape.h"
#include "sdk/record_consumer.h"
#include "sdk/sdk.h"
#include "sdk_test_support.h"
#include "support/collector_process.h"
#include "support/collector_records.h"
#include "utils/thread.h"

using analytics_sdk::Sdk;
using analytics_sdk::utils::PropertiesNode;

namespace {

// Nothing listens on port 1: every post fails at once with a transport error.
constexpr const char* kUnreachable = quillon_test::kUnreachableCollector;

Json::Value Parse(const std::string& text) {
  std::string error;
  const Json::Value value = quillon_test::ParseRecord(text, &error);
  EXPECT_TRUE(error.empty()) << error;
  return value;
}

class SdkTest : public ::testing::Test {
 protected:
  void TearDown() override { Sdk::Shutdown(); }
  quillon_test::ErrorCapture errors;
  quillon_test::TempFolder folder;
};

}  // namespace

TEST_F(SdkTest, WithoutInitNothingHappens) {
  PropertiesNode p;
  EXPECT_FALSE(Sdk::Track("event", p));
  EXPECT_FALSE(Sdk::Flush());
  Sdk::RegisterSuperProperties(p);
  Sdk::Shutdown();
  EXPECT_EQ(Sdk::QueueLengthForTest(), 0u);

  EXPECT_FALSE(Sdk::Init(folder.Slash(), kUnreachable, "", false));
  EXPECT_FALSE(Sdk::Init(folder.Slash(), kUnreachable, std::string(256, 'x'), false));
  EXPECT_FALSE(Sdk::Track("event", p));
  const auto messages = errors.Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0], "The Distinct ID is empty.");
  EXPECT_EQ(messages[1], "The Distinct ID is too long, max length is 255.");
}

TEST_F(SdkTest, InvalidNamesDropTheRecord) {
  ASSERT_TRUE(Sdk::Init(folder.Slash(), kUnreachable, "id", false));
  EXPECT_TRUE(Sdk::Init(folder.Slash(), "http://other/", "other", true));  // no change
  PropertiesNode p;
  EXPECT_FALSE(Sdk::Track("1event", p));
  EXPECT_FALSE(Sdk::Track(std::string(101, 'e'), p));
  EXPECT_TRUE(Sdk::Track("$Event_1", p));
  PropertiesNode badKey;
  badKey.SetInteger("bad key", 1);
  EXPECT_FALSE(Sdk::Track("event", badKey));
  EXPECT_EQ(Sdk::QueueLengthForTest(), 1u);
  EXPECT_EQ(errors.Messages(), (std::vector<std::string>{
                                   "The Event Name need to be a valid variable name.",
                                   "The Event Name is empty or too long, max length is 100",
                                   "The Property Key need to be a valid variable name.",
                               }));
}

TEST_F(SdkTest, RecordCarriesTheSevenKeysAndLayeredProperties) {
  ASSERT_TRUE(Sdk::Init(folder.Slash(), kUnreachable, "user-7", true));
  PropertiesNode super;
  super.SetString("$app_id", "velmotranslate");
  super.SetString("shared", "from super");
  Sdk::RegisterSuperProperties(super);
  PropertiesNode p;
  p.SetString("shared", "from call");
  p.SetNumber("A", 3.0);
  p.SetString("b", "\xe5\xae\x89\xe8\xa3\x85");
  const auto before = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::system_clock::now().time_since_epoch()).count();
  ASSERT_TRUE(Sdk::Track("kx_task", p));
  EXPECT_FALSE(Sdk::Flush());  // unreachable: the record stays
  Sdk::Shutdown();

  const auto lines = quillon_test::ReadLines(folder.File(analytics_sdk::kStagingFileName));
  ASSERT_EQ(lines.size(), 1u);
  std::string error;
  EXPECT_TRUE(collector::CheckRecord(lines[0], &error)) << error << "\n" << lines[0];
  EXPECT_NE(lines[0].find(",\"distinct_id\":\"user-7\",\"event\":\"kx_task\","
                          "\"lib\":{\"$lib\":\"cpp\",\"$lib_method\":\"code\",\"$lib_version\":\"0.9\"},"
                          "\"properties\":{\"$app_id\":\"velmotranslate\",\"$is_login_id\":true,"
                          "\"$lib\":\"cpp\",\"$lib_version\":\"0.9\",\"A\":3,"
                          "\"b\":\"\xe5\xae\x89\xe8\xa3\x85\",\"shared\":\"from call\"},\"time\":"),
            std::string::npos)
      << lines[0];
  EXPECT_EQ(lines[0].substr(lines[0].size() - 16), ",\"type\":\"track\"}");
  const Json::Value record = Parse(lines[0]);
  const int64_t time = record["time"].asInt64();
  EXPECT_GE(time, before);
  EXPECT_LT(time, before + 60000);
  const int64_t id = record["_track_id"].asInt64();
  EXPECT_GE(id, 0);
  EXPECT_LE(id, 999999999);
  EXPECT_EQ(id % 10000, time % 10000);
}

TEST_F(SdkTest, NotLoggedInRecordsHaveNoLoginMark) {
  ASSERT_TRUE(Sdk::Init(folder.File("staging.txt"), kUnreachable, "guest", false));
  ASSERT_TRUE(Sdk::Track("view", PropertiesNode()));
  Sdk::Shutdown();
  const auto lines = quillon_test::ReadLines(folder.File("staging.txt"));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("\"properties\":{\"$lib\":\"cpp\",\"$lib_version\":\"0.9\"}"), std::string::npos);
}

// Many threads track and flush while Shutdown runs; threads that nobody
// joins keep calling in afterwards. Run under ASan and TSan.
TEST_F(SdkTest, ShutdownAmidTrackingAndDetachedFlushesIsSafe) {
  const std::string staging = folder.File(analytics_sdk::kStagingFileName);
  ASSERT_TRUE(Sdk::Init(folder.Slash(), kUnreachable, "stress", false));
  std::atomic<bool> stop{false};
  std::atomic<int> tracked{0};
  auto tracker = [&](int thread) {
    PropertiesNode p;
    p.SetInteger("thread", thread);
    for (int i = 0; i < 2000 && !stop.load(); ++i) {
      p.SetInteger("i", i);
      if (Sdk::Track("stress_event", p)) ++tracked;
    }
  };
  // Detached like the tracker's submission threads; they hold only shared
  // state of their own and report when they are done.
  auto done = std::make_shared<std::atomic<int>>(0);
  constexpr int kDetached = 4;
  for (int t = 0; t < kDetached; ++t) {
    ASSERT_TRUE(Utils::RunDetached([done] {
      for (int i = 0; i < 20; ++i) {
        Sdk::Flush();
        Sdk::Track("late_event", PropertiesNode());
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      ++*done;
    }));
  }
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) threads.emplace_back(tracker, t);
  threads.emplace_back([&] {
    for (int i = 0; i < 50 && !stop.load(); ++i) Sdk::Flush();
  });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (tracked.load() < 500 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  Sdk::Shutdown();
  stop = true;
  for (auto& t : threads) t.join();
  EXPECT_FALSE(Sdk::Track("after", PropertiesNode()));

  const auto wait = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (done->load() < kDetached && std::chrono::steady_clock::now() < wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(done->load(), kDetached);

  const auto lines = quillon_test::ReadLines(staging);
  EXPECT_GT(lines.size(), 0u);
  EXPECT_LE(lines.size(), analytics_sdk::kMaxQueueLength);
  for (const std::string& line : lines) {
    std::string error;
    ASSERT_TRUE(collector::CheckRecord(line, &error)) << error << "\n" << line;
  }
}
