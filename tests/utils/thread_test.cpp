#include "utils/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/log_capture.h"
#include "thread_test_platform.h"

using quillon_test::LogCapture;
using Utils::Thread;

namespace {

constexpr auto kWait = std::chrono::seconds(20);

// A one-shot flag that a test can wait on with a bound.
class Event {
 public:
  void Set() {
    std::lock_guard<std::mutex> lock(mutex_);
    set_ = true;
    changed_.notify_all();
  }
  bool WaitFor(std::chrono::milliseconds d) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, d, [this] { return set_; });
  }
  bool IsSet() {
    std::lock_guard<std::mutex> lock(mutex_);
    return set_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool set_ = false;
};

template <typename Predicate>
bool WaitUntil(Predicate done) {
  const auto deadline = std::chrono::steady_clock::now() + kWait;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

unsigned long WorkerBody(void* parameter) {
  static_cast<Event*>(parameter)->Set();
  UTILS_LOG(L"inside the worker");
  return 77;
}

std::wstring ThreadIdField(const std::wstring& line) {
  const auto a = line.find(L"<T") + 2;
  return line.substr(a, line.find(L'>', a) - a);
}

}  // namespace

TEST(WorkerThread, StartsSuspendedAndRunsOnlyWhenResumed) {
  Event ran;
  Thread worker(&ran, L"ABDEF", WorkerBody);
  ASSERT_TRUE(worker.HasThread());
  EXPECT_NE(worker.Id(), Thread::kNoThread);
  EXPECT_FALSE(ran.WaitFor(std::chrono::milliseconds(100)));
  EXPECT_TRUE(worker.Resume());
  EXPECT_FALSE(worker.Resume()) << "a running worker cannot be resumed twice";
  EXPECT_TRUE(ran.WaitFor(kWait));
  worker.Join();
  EXPECT_FALSE(worker.HasThread());
  EXPECT_EQ(worker.Id(), Thread::kNoThread);
  worker.Join();  // a second join is a no-op
}

TEST(WorkerThread, BeginAndEndBracketTheProcedureOnTheWorkersOwnThread) {
  LogCapture capture;
  Event ran;
  uint32_t id;
  {
    Thread worker(&ran, L"ABDEF", WorkerBody);
    id = worker.Id();
    worker.Resume();
  }  // the destructor joins
  const auto lines = capture.Lines();
  const auto messages = capture.Messages();
  ASSERT_EQ(messages, (std::vector<std::wstring>{L"THREAD BEGIN", L"inside the worker", L"THREAD END"}));
  for (const auto& line : lines) EXPECT_EQ(std::stoul(ThreadIdField(line)), id) << line;
  EXPECT_NE(lines[0].find(L"(Utils::Thread::CallBack)"), std::wstring::npos) << lines[0];
  EXPECT_NE(lines[1].find(L"({anonymous}::WorkerBody)"), std::wstring::npos) << lines[1];
}

TEST(WorkerThread, CarriesItsNameOrTAndItsId) {
  std::string seen;
  auto readName = [&seen](void*) -> unsigned long {
    seen = quillon_test::CurrentThreadName();
    return 0;
  };
  {
    Thread named(nullptr, L"ABDEF", readName);
    EXPECT_EQ(named.DebuggerName(), "ABDEF");
    named.Resume();
    named.Join();
    EXPECT_EQ(seen, "ABDEF");
  }
  {
    Thread unnamed(nullptr, L"", readName);
    const std::string expected = "t" + std::to_string(unnamed.Id());
    EXPECT_EQ(unnamed.DebuggerName(), expected);
    unnamed.Resume();
    unnamed.Join();
    EXPECT_EQ(seen, quillon_test::AsSystemKeepsIt(expected));
  }
  {
    Thread longName(nullptr, L"UnInstaller-with-a-long-name", readName);
    longName.Resume();
    longName.Join();
    EXPECT_EQ(seen, quillon_test::AsSystemKeepsIt("UnInstaller-with-a-long-name"));
  }
}

TEST(WorkerThread, ReleasingANeverResumedWorkerDoesNotRunOrHang) {
  Event ran;
  LogCapture capture;
  {
    Thread worker(&ran, L"ABDEF", WorkerBody);
  }
  {
    Thread worker(&ran, L"ABDEF", WorkerBody);
    worker.Join();
    EXPECT_FALSE(worker.HasThread());
  }
  EXPECT_FALSE(ran.IsSet());
  EXPECT_TRUE(capture.Lines().empty());
}

// An owner whose worker may restart itself, as a downloader does when it is
// started again from inside its own notification.
struct RestartingOwner {
  std::mutex mutex;
  std::unique_ptr<Thread> worker;
  std::vector<int> order;
  std::atomic<int> runs{0};
  std::atomic<int> finishedRuns{0};
  int restartsLeft = 0;

  static unsigned long Run(void* self) {
    auto* owner = static_cast<RestartingOwner*>(self);
    std::lock_guard<std::mutex> lock(owner->mutex);
    const int run = ++owner->runs;
    owner->order.push_back(run);
    if (owner->restartsLeft > 0) {
      --owner->restartsLeft;
      Utils::RestartThread(&owner->worker, owner, L"ABDEF", Run);
    } else {
      ++owner->finishedRuns;
    }
    owner->order.push_back(-run);
    return 0;
  }
  void Start() {
    std::lock_guard<std::mutex> lock(mutex);
    Utils::RestartThread(&worker, this, L"ABDEF", Run);
  }
  ~RestartingOwner() {
    std::unique_ptr<Thread> last;
    {
      std::lock_guard<std::mutex> lock(mutex);
      last = std::move(worker);
    }
  }
};

TEST(WorkerThread, RestartFromTheOwnerJoinsThePreviousWorkerFirst) {
  RestartingOwner owner;
  owner.Start();
  ASSERT_TRUE(WaitUntil([&] { return owner.finishedRuns == 1; }));
  owner.Start();
  ASSERT_TRUE(WaitUntil([&] { return owner.finishedRuns == 2; }));
  std::unique_ptr<Thread> last;
  {
    std::lock_guard<std::mutex> lock(owner.mutex);
    last = std::move(owner.worker);
  }
  last.reset();
  EXPECT_EQ(owner.order, (std::vector<int>{1, -1, 2, -2}));
}

TEST(WorkerThread, RestartFromInsideTheWorkerDoesNotWaitForItself) {
  RestartingOwner owner;
  owner.restartsLeft = 3;
  owner.Start();
  ASSERT_TRUE(WaitUntil([&] { return owner.finishedRuns == 1; })) << "a worker restarting itself must not hang";
  std::unique_ptr<Thread> last;
  {
    std::lock_guard<std::mutex> lock(owner.mutex);
    last = std::move(owner.worker);
  }
  last.reset();
  EXPECT_EQ(owner.runs.load(), 4);
  // Each run finished its own body before the next one could begin.
  EXPECT_EQ(owner.order, (std::vector<int>{1, -1, 2, -2, 3, -3, 4, -4}));
}
