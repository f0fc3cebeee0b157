#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <thread>

#include "form_decoding.h"
#include "record_shape.h"
#include "sdk/record_consumer.h"
#include "sdk_test_support.h"

using namespace analytics_sdk;
using quillon_test::NumberedRecord;

namespace {

// Answers each post with a scripted status and keeps the decoded batches.
// `during` runs inside the post, while the batch is out of the queue.
class ScriptedTransport : public HttpTransport {
 public:
  struct Shared {
    std::mutex lock;
    std::vector<long> statuses;  // consumed front first; 200 when empty
    std::vector<std::vector<std::string>> batches;
    std::function<void()> during;
    bool throws = false;
  };
  explicit ScriptedTransport(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}

  HttpResponse Post(const std::string& url, const std::string& body) override {
    std::function<void()> during;
    {
      std::lock_guard<std::mutex> lock(shared_->lock);
      if (shared_->throws) throw std::runtime_error("Couldn't initialize curl handle");
      std::string batch, error;
      std::vector<std::string> records;
      EXPECT_TRUE(collector::DecodeFormBody(body, &batch, &error)) << error;
      EXPECT_TRUE(collector::SplitBatch(batch, &records, &error)) << error;
      shared_->batches.push_back(records);
      during = shared_->during;
    }
    if (during) during();
    std::lock_guard<std::mutex> lock(shared_->lock);
    HttpResponse response;
    response.status = 200;
    if (!shared_->statuses.empty()) {
      response.status = shared_->statuses.front();
      shared_->statuses.erase(shared_->statuses.begin());
    }
    response.body = "answer " + std::to_string(response.status);
    return response;
  }

 private:
  std::shared_ptr<Shared> shared_;
};

class RecordConsumerTest : public ::testing::Test {
 protected:
  std::unique_ptr<RecordConsumer> Make(const std::string& staging) {
    return std::make_unique<RecordConsumer>(
        staging, std::make_unique<HttpSender>("http://collector.invalid/sa",
                                              std::make_unique<ScriptedTransport>(shared)));
  }
  void Fill(RecordConsumer* c, int from, int to) {
    for (int i = from; i < to; ++i) c->Add(NumberedRecord(i));
  }
  std::vector<std::string> Numbered(int from, int to) {
    std::vector<std::string> out;
    for (int i = from; i < to; ++i) out.push_back(NumberedRecord(i));
    return out;
  }

  std::shared_ptr<ScriptedTransport::Shared> shared = std::make_shared<ScriptedTransport::Shared>();
  quillon_test::ErrorCapture errors;
  quillon_test::TempFolder folder;
};

}  // namespace

TEST_F(RecordConsumerTest, TheRecordAfterTheLimitPushesTheOldestOut) {
  auto c = Make(folder.File("s.txt"));
  Fill(c.get(), 0, 1024);
  EXPECT_EQ(c->QueuedRecords().front(), NumberedRecord(0));
  c->Add(NumberedRecord(1024));
  const auto queued = c->QueuedRecords();
  ASSERT_EQ(queued.size(), 1024u);
  EXPECT_EQ(queued.front(), NumberedRecord(1));
  EXPECT_EQ(queued.back(), NumberedRecord(1024));
}

TEST_F(RecordConsumerTest, FlushPostsOldestFirstInBatchesOfThirty) {
  auto c = Make(folder.File("s.txt"));
  Fill(c.get(), 0, 65);
  EXPECT_TRUE(c->FlushAll());
  EXPECT_EQ(c->QueueLength(), 0u);
  ASSERT_EQ(shared->batches.size(), 3u);
  EXPECT_EQ(shared->batches[0], Numbered(0, 30));
  EXPECT_EQ(shared->batches[1], Numbered(30, 60));
  EXPECT_EQ(shared->batches[2], Numbered(60, 65));
  EXPECT_TRUE(LastSendOk());
  EXPECT_TRUE(c->FlushBatch());  // nothing queued: nothing posted, success
  EXPECT_EQ(shared->batches.size(), 3u);
}

TEST_F(RecordConsumerTest, OnlyStatus200Delivers) {
  for (long status : {204L, 500L, 301L, -1L}) {
    shared->statuses = {status};
    auto c = Make(folder.File("s.txt"));
    Fill(c.get(), 0, 40);
    SetLastSendOk(true);
    EXPECT_FALSE(c->FlushAll()) << status;
    EXPECT_FALSE(LastSendOk());
    // The failed batch is back at the front, in order; FlushAll stopped there.
    EXPECT_EQ(c->QueuedRecords(), Numbered(0, 40)) << status;
    EXPECT_EQ(errors.Messages().back(), "Analytics SDK send failed: answer " + std::to_string(status));
  }
}

TEST_F(RecordConsumerTest, ATransportThatCannotStartFailsTheBatchOnly) {
  shared->throws = true;
  auto c = Make(folder.File("s.txt"));
  Fill(c.get(), 0, 5);
  EXPECT_FALSE(c->FlushBatch());
  EXPECT_EQ(c->QueuedRecords(), Numbered(0, 5));
  EXPECT_EQ(errors.Messages().back(), "Analytics SDK send failed: Couldn't initialize curl handle");
}

TEST_F(RecordConsumerTest, AFailedBatchGoesBackOnlyAsFarAsTheLimitAllows) {
  auto c = Make(folder.File("s.txt"));
  RecordConsumer* raw = c.get();
  Fill(raw, 0, 1024);
  // While records 0-29 are out, 10 records arrive: 1004 queued, room for
  // the batch's 20 newest.
  shared->statuses = {500};
  shared->during = [&] { Fill(raw, 2000, 2010); };
  EXPECT_FALSE(c->FlushBatch());
  auto queued = c->QueuedRecords();
  ASSERT_EQ(queued.size(), 1024u);
  EXPECT_EQ(std::vector<std::string>(queued.begin(), queued.begin() + 20), Numbered(10, 30));
  EXPECT_EQ(queued[20], NumberedRecord(30));
  EXPECT_EQ(queued.back(), NumberedRecord(2009));

  // 1024 arriving meanwhile leave no room: none of the batch goes back.
  shared->statuses = {500};
  shared->during = [&] { Fill(raw, 3000, 4024); };
  EXPECT_FALSE(c->FlushBatch());
  EXPECT_EQ(c->QueuedRecords(), Numbered(3000, 4024));
}

TEST_F(RecordConsumerTest, StagingFileLoadsObjectLinesAheadOfThisRun) {
  const std::string staging = folder.File("s.txt");
  quillon_test::WriteText(staging, "{\"n\":\"a\"}\nno braces\n\n{\"n\":\"b\"}\r\n");
  auto c = Make(staging);
  c->Add(NumberedRecord(1));
  EXPECT_TRUE(c->FlushAll());
  ASSERT_EQ(shared->batches.size(), 1u);
  EXPECT_EQ(shared->batches[0],
            (std::vector<std::string>{"{\"n\":\"a\"}", "{\"n\":\"b\"}", NumberedRecord(1)}));
  // Read back once: emptied, and not read again.
  EXPECT_EQ(quillon_test::ReadText(staging), "");
  quillon_test::WriteText(staging, "{\"late\":1}\n");
  EXPECT_TRUE(c->FlushAll());
  EXPECT_EQ(shared->batches.size(), 1u);
}

TEST_F(RecordConsumerTest, StagedLinesYieldToTheLimitOldestFirst) {
  const std::string staging = folder.File("s.txt");
  std::string text;
  for (int i = 0; i < 10; ++i) text += NumberedRecord(500 + i) + "\n";
  quillon_test::WriteText(staging, text);
  auto c = Make(staging);
  Fill(c.get(), 0, 1020);
  shared->statuses = {500};
  EXPECT_FALSE(c->FlushBatch());
  // Room for four: the file's newest four lead.
  auto queued = c->QueuedRecords();
  ASSERT_EQ(queued.size(), 1024u);
  EXPECT_EQ(std::vector<std::string>(queued.begin(), queued.begin() + 4), Numbered(506, 510));
  EXPECT_EQ(queued[4], NumberedRecord(0));
}

TEST_F(RecordConsumerTest, CloseStagesTheRestAndTheNextRunSendsItOnce) {
  const std::string staging = folder.File("s.txt");
  {
    auto first = Make(staging);
    Fill(first.get(), 0, 3);
    first->Close();
    EXPECT_FALSE(first->Add(NumberedRecord(99)));
    EXPECT_FALSE(first->FlushAll());
  }
  EXPECT_EQ(quillon_test::ReadLines(staging), Numbered(0, 3));
  {
    auto second = Make(staging);
    second->Add(NumberedRecord(3));
    EXPECT_TRUE(second->FlushAll());
    second->Close();
  }
  EXPECT_EQ(quillon_test::ReadText(staging), "");
  {
    auto third = Make(staging);
    EXPECT_TRUE(third->FlushAll());
    third->Close();
  }
  ASSERT_EQ(shared->batches.size(), 1u);
  EXPECT_EQ(shared->batches[0], Numbered(0, 4));
}

TEST_F(RecordConsumerTest, CloseWaitsForTheBatchInFlight) {
  for (long status : {200L, 500L}) {
    const std::string staging = folder.File("s" + std::to_string(status) + ".txt");
    auto c = Make(staging);
    Fill(c.get(), 0, 5);
    std::mutex m;
    std::condition_variable cv;
    bool posting = false, release = false;
    shared->statuses = {status};
    shared->during = [&] {
      std::unique_lock<std::mutex> lock(m);
      posting = true;
      cv.notify_all();
      cv.wait_for(lock, std::chrono::seconds(10), [&] { return release; });
    };
    std::thread flusher([&] { c->FlushAll(); });
    {
      std::unique_lock<std::mutex> lock(m);
      ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(10), [&] { return posting; }));
    }
    std::atomic<bool> closed{false};
    std::thread closer([&] {
      c->Close();
      closed = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(closed.load());  // still waiting for the post
    {
      std::lock_guard<std::mutex> lock(m);
      release = true;
    }
    cv.notify_all();
    flusher.join();
    closer.join();
    // Delivered: not staged again. Failed: staged, not lost.
    EXPECT_EQ(quillon_test::ReadLines(staging),
              status == 200 ? std::vector<std::string>{} : Numbered(0, 5))
        << status;
    shared->during = nullptr;
  }
}

TEST(StagingFilePath, AFolderGetsTheStagingFileName) {
  EXPECT_EQ(StagingFilePath("C:\\Users\\u\\KXAnalytics\\"), "C:\\Users\\u\\KXAnalytics\\KXSStaging.txt");
  EXPECT_EQ(StagingFilePath("/home/u/.kx/"), "/home/u/.kx/KXSStaging.txt");
  EXPECT_EQ(StagingFilePath("/home/u/records.txt"), "/home/u/records.txt");
  EXPECT_EQ(StagingFilePath(""), "");
}
