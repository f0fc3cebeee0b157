#include "sdk.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <random>

#include "error_log.h"
#include "http_sender.h"
#include "record_consumer.h"
#include "validation.h"

namespace analytics_sdk {
namespace {

int64_t NowMilliseconds() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

}  // namespace

struct Sdk::Impl {
  Impl(const std::string& stagingPath, const std::string& serverUrl, std::string id, bool login)
      : distinctId(std::move(id)),
        isLogin(login),
        consumer(StagingFilePath(stagingPath), std::make_unique<HttpSender>(serverUrl)),
        random(static_cast<std::minstd_rand::result_type>(NowMilliseconds())) {
    superProperties.SetString("$lib", "cpp");
    superProperties.SetString("$lib_version", kLibVersion);
    lib.Set("$lib", utils::ValueNode::String("cpp"));
    lib.Set("$lib_method", utils::ValueNode::String("code"));
    lib.Set("$lib_version", utils::ValueNode::String(kLibVersion));
  }

  // Two digits, three digits, then the last four digits of the time:
  // nine digits that rarely repeat within a run.
  int64_t MakeTrackId(int64_t now) {
    int64_t r1, r2;
    {
      // One generator for all threads: a per-thread C library generator
      // (msvcrt's) would give every worker the same unseeded sequence.
      std::lock_guard<std::mutex> lock(randomLock);
      r1 = static_cast<int64_t>(random() % 99 + 100);
      r2 = static_cast<int64_t>(random() % 999 + 1000);
    }
    return (r1 % 100) * 10000000 + (r2 % 1000) * 10000 + now % 10000;
  }

  bool AddEvent(const std::string& event, const utils::PropertiesNode& properties) {
    std::string message;
    if (!properties.CheckKeys(&message) || !CheckName("Event Name", event, &message)) {
      LogError(message);
      return false;
    }
    utils::ObjectNode merged;
    {
      std::lock_guard<std::mutex> lock(superLock);
      merged = superProperties;
    }
    merged.Merge(properties);
    if (isLogin) merged.Set("$is_login_id", utils::ValueNode::Bool(true));

    const int64_t now = NowMilliseconds();
    utils::ObjectNode record;
    record.Set("_track_id", utils::ValueNode::Integer(MakeTrackId(now)));
    record.Set("distinct_id", utils::ValueNode::String(distinctId));
    record.Set("event", utils::ValueNode::String(event));
    record.Set("lib", utils::ValueNode::Object(lib));
    record.Set("properties", utils::ValueNode::Object(std::move(merged)));
    record.Set("time", utils::ValueNode::Integer(now));
    record.Set("type", utils::ValueNode::String("track"));
    return consumer.Add(record.ToJson());
  }

  const std::string distinctId;
  const bool isLogin;
  utils::ObjectNode lib;  // the same in every record; read-only after construction
  std::mutex superLock;
  utils::PropertiesNode superProperties;  // superLock
  RecordConsumer consumer;
  std::mutex randomLock;
  std::minstd_rand random;  // randomLock
};

namespace {

// The process-wide pointer and the count of operations using it. Never
// destroyed: detached submission threads may call in while the process
// exits, after static destructors have run.
struct Global {
  std::mutex lock;
  std::condition_variable idle;
  Sdk::Impl* instance = nullptr;  // lock
  int users = 0;                  // lock
  bool closing = false;           // lock
};

Global& G() {
  static Global* global = new Global;
  return *global;
}

}  // namespace

// One operation's hold on the instance: Shutdown does not free it while
// any Use holds it, and hands out none once it has begun.
class Sdk::Use {
 public:
  Use() {
    Global& g = G();
    std::lock_guard<std::mutex> lock(g.lock);
    if (g.instance && !g.closing) {
      impl_ = g.instance;
      ++g.users;
    }
  }
  ~Use() {
    if (!impl_) return;
    Global& g = G();
    std::lock_guard<std::mutex> lock(g.lock);
    if (--g.users == 0) g.idle.notify_all();
  }
  Use(const Use&) = delete;
  Use& operator=(const Use&) = delete;
  Impl* get() const { return impl_; }

 private:
  Impl* impl_ = nullptr;
};

bool Sdk::Init(const std::string& stagingPath, const std::string& serverUrl,
               const std::string& distinctId, bool isLogin) {
  std::string message;
  if (!CheckId("Distinct ID", distinctId, &message)) {
    LogError(message);
    return false;
  }
  Global& g = G();
  std::unique_lock<std::mutex> lock(g.lock);
  // An SDK on its way out is not one that exists: wait for it to be gone.
  g.idle.wait(lock, [&] { return !g.closing; });
  if (g.instance) return true;
  g.instance = new Impl(stagingPath, serverUrl, distinctId, isLogin);
  return true;
}

bool Sdk::Track(const std::string& event, const utils::PropertiesNode& properties) {
  Use use;
  return use.get() && use.get()->AddEvent(event, properties);
}

void Sdk::RegisterSuperProperties(const utils::PropertiesNode& properties) {
  Use use;
  if (!use.get()) return;
  std::lock_guard<std::mutex> lock(use.get()->superLock);
  use.get()->superProperties.Merge(properties);
}

bool Sdk::Flush() {
  Use use;
  return use.get() && use.get()->consumer.FlushAll();
}

size_t Sdk::QueueLengthForTest() {
  Use use;
  return use.get() ? use.get()->consumer.QueueLength() : 0;
}

void Sdk::Shutdown() {
  Global& g = G();
  std::unique_lock<std::mutex> lock(g.lock);
  if (!g.instance || g.closing) return;
  g.closing = true;
  Impl* impl = g.instance;
  impl->consumer.BeginClose();
  g.idle.wait(lock, [&] { return g.users == 0; });
  // Staged under the lock, so that an Init racing this Shutdown cannot read
  // the staging file before it is written.
  impl->consumer.Close();
  delete impl;
  g.instance = nullptr;
  g.closing = false;
  g.idle.notify_all();
}

}  // namespace analytics_sdk
