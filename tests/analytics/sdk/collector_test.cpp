// The SDK against the real loopback collector (tests/fixtures/collector).
#include <gtest/gtest.h>
#include <json/json.h>

#include <memory>

#include "record_shape.h"
#include "sdk/batch_encoding.h"
#include "sdk/http_sender.h"
#include "sdk/record_consumer.h"
#include "sdk/sdk.h"
#include "sdk_test_support.h"
#include "support/collector_process.h"
#include "support/collector_records.h"
#include "support/scratch_dir.h"

using namespace analytics_sdk;
using analytics_sdk::utils::PropertiesNode;
using quillon_test::CollectorProcess;

namespace {

const std::string kCollector = quillon_test::CollectorProgram();
constexpr const char* kUnreachable = quillon_test::kUnreachableCollector;

std::string EventOf(const std::string& record) {
  return quillon_test::ParseRecord(record)["event"].asString();
}

class CollectorTest : public ::testing::Test {
 protected:
  void TearDown() override { Sdk::Shutdown(); }
  quillon_test::ErrorCapture errors;
  quillon_test::TempFolder folder;
};

}  // namespace

TEST_F(CollectorTest, TrackedRecordsArriveDecodedWithTheirShape) {
  CollectorProcess collector(kCollector);
  ASSERT_TRUE(collector.started()) << collector.Errors();
  ASSERT_TRUE(Sdk::Init(folder.Slash(), collector.url(), "device-1", false));
  for (const char* event : {"kx_click", "kx_view", "kx_task"}) {
    PropertiesNode p;
    p.SetString("kxc_ab", "IN");
    p.SetString("name", "\xe7\xab\x8b\xe5\x8d\xb3\xe5\xae\x89\xe8\xa3\x85 \"quoted\"\t");
    ASSERT_TRUE(Sdk::Track(event, p));
  }
  SetLastSendOk(false);
  EXPECT_TRUE(Sdk::Flush());
  EXPECT_TRUE(LastSendOk());
  EXPECT_EQ(Sdk::QueueLengthForTest(), 0u);
  const auto records = collector.WaitForRecords(3);
  ASSERT_EQ(records.size(), 3u) << collector.Errors();
  EXPECT_EQ(EventOf(records[0]), "kx_click");
  EXPECT_EQ(EventOf(records[1]), "kx_view");
  EXPECT_EQ(EventOf(records[2]), "kx_task");
  for (const auto& r : records) {
    std::string error;
    EXPECT_TRUE(collector::CheckRecord(r, &error)) << error;
    EXPECT_NE(r.find("\"name\":\"\xe7\xab\x8b\xe5\x8d\xb3\xe5\xae\x89\xe8\xa3\x85 \\\"quoted\\\"\\t\""),
              std::string::npos);
  }
  EXPECT_EQ(collector.Errors(), "");
}

TEST_F(CollectorTest, RecordsStagedByOneRunAreDeliveredByTheNextOnce) {
  // First run: the collector cannot be reached, so shutdown stages.
  ASSERT_TRUE(Sdk::Init(folder.Slash(), kUnreachable, "device-1", false));
  ASSERT_TRUE(Sdk::Track("first_run_a", PropertiesNode()));
  ASSERT_TRUE(Sdk::Track("first_run_b", PropertiesNode()));
  EXPECT_FALSE(Sdk::Flush());
  Sdk::Shutdown();
  const std::string staging = folder.File(kStagingFileName);
  EXPECT_EQ(quillon_test::ReadLines(staging).size(), 2u);

  CollectorProcess collector(kCollector);
  ASSERT_TRUE(collector.started()) << collector.Errors();
  for (int run = 0; run < 2; ++run) {
    ASSERT_TRUE(Sdk::Init(folder.Slash(), collector.url(), "device-1", false));
    ASSERT_TRUE(Sdk::Track("run_" + std::to_string(run + 2), PropertiesNode()));
    EXPECT_TRUE(Sdk::Flush());
    Sdk::Shutdown();
    EXPECT_EQ(quillon_test::ReadText(staging), "");
  }
  const auto records = collector.WaitForRecords(4);
  ASSERT_EQ(records.size(), 4u) << collector.Errors();
  EXPECT_EQ(EventOf(records[0]), "first_run_a");
  EXPECT_EQ(EventOf(records[1]), "first_run_b");
  EXPECT_EQ(EventOf(records[2]), "run_2");
  EXPECT_EQ(EventOf(records[3]), "run_3");
}

TEST_F(CollectorTest, AThousandRecordsArriveInOrder) {
  CollectorProcess collector(kCollector);
  ASSERT_TRUE(collector.started()) << collector.Errors();
  ASSERT_TRUE(Sdk::Init(folder.Slash(), collector.url(), "device-1", false));
  for (int i = 0; i < 1025; ++i) {
    PropertiesNode p;
    p.SetInteger("i", i);
    ASSERT_TRUE(Sdk::Track("bulk", p));
  }
  EXPECT_TRUE(Sdk::Flush());
  const auto records = collector.WaitForRecords(1024);
  ASSERT_EQ(records.size(), 1024u) << collector.Errors();
  // The first record was pushed out by the 1025th.
  EXPECT_NE(records.front().find("\"i\":1}"), std::string::npos);
  EXPECT_NE(records.back().find("\"i\":1024}"), std::string::npos);
}

struct Fault {
  const char* name;
  std::vector<std::string> flags;
  long status;  // what the transport reports
};
void PrintTo(const Fault& fault, std::ostream* out) { *out << fault.name; }

class CollectorFaultTest : public CollectorTest, public ::testing::WithParamInterface<Fault> {};

TEST_P(CollectorFaultTest, AnAnswerOtherThan200KeepsTheBatch) {
  CollectorProcess collector(kCollector, GetParam().flags);
  ASSERT_TRUE(collector.started()) << collector.Errors();
  std::string body;
  ASSERT_TRUE(EncodeBatch("[]", &body));
  const HttpResponse response = MakeCurlTransport()->Post(collector.url(), body);
  EXPECT_EQ(response.status, GetParam().status);

  RecordConsumer consumer(folder.File("s.txt"), std::make_unique<HttpSender>(collector.url()));
  for (int i = 0; i < 5; ++i) consumer.Add(quillon_test::NumberedRecord(i));
  SetLastSendOk(true);
  EXPECT_FALSE(consumer.FlushAll());
  EXPECT_FALSE(LastSendOk());
  EXPECT_EQ(consumer.QueueLength(), 5u);
  EXPECT_EQ(consumer.QueuedRecords().front(), quillon_test::NumberedRecord(0));
  EXPECT_TRUE(collector.Records().empty());
}

INSTANTIATE_TEST_SUITE_P(Faults, CollectorFaultTest,
                         ::testing::Values(Fault{"Status204", {"--status", "204"}, 204},
                                           Fault{"Status500", {"--status", "500"}, 500},
                                           Fault{"ClosedMidAnswer", {"--close"}, -1},
                                           Fault{"NoAnswerWithinTheTimeout", {"--hang"}, -1}),
                         [](const ::testing::TestParamInfo<Fault>& info) { return info.param.name; });

TEST_F(CollectorTest, ABatchThatIsNotARecordListIsRefused) {
  CollectorProcess collector(kCollector);
  ASSERT_TRUE(collector.started()) << collector.Errors();
  RecordConsumer consumer(folder.File("s.txt"), std::make_unique<HttpSender>(collector.url()));
  consumer.Add("{\"not\":\"a record\"}");
  EXPECT_FALSE(consumer.FlushAll());
  EXPECT_NE(errors.Messages().back().find("Analytics SDK send failed: record 0: record keys are not exactly"),
            std::string::npos);
}

TEST_F(CollectorTest, NoListenerIsATransportError) {
  std::string body;
  ASSERT_TRUE(EncodeBatch("[]", &body));
  const HttpResponse response = MakeCurlTransport()->Post(kUnreachable, body);
  EXPECT_EQ(response.status, -1);
  EXPECT_EQ(response.body, "Couldn't connect to server");
}
