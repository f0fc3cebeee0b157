#include "http_sender.h"

#include <exception>
#include <mutex>

#include "batch_encoding.h"
#include "error_log.h"
#include "utils/log.h"

namespace analytics_sdk {
namespace {

struct SendState {
  std::mutex lock;
  bool lastSendOk = false;
};

// Never destroyed: detached submission threads may read it while the
// process exits.
SendState& State() {
  static SendState* state = new SendState;
  return *state;
}

}  // namespace

const char kLibVersion[] = "0.9";
const char kUserAgent[] = "Analytics CPP SDK 0.9";

bool LastSendOk() {
  std::lock_guard<std::mutex> lock(State().lock);
  return State().lastSendOk;
}

void SetLastSendOk(bool ok) {
  std::lock_guard<std::mutex> lock(State().lock);
  State().lastSendOk = ok;
}

HttpSender::HttpSender(std::string url, std::unique_ptr<HttpTransport> transport)
    : url_(std::move(url)), transport_(std::move(transport)) {}

bool HttpSender::SendBatch(const std::string& batch) {
  std::string body;
  if (!EncodeBatch(batch, &body)) return false;
  HttpResponse response;
  try {
    response = transport_->Post(url_, body);
  } catch (const std::exception& e) {
    // No handle, no memory: the batch was not sent and must stay queued,
    // and a flush on a detached thread must not take the process down.
    response.status = -1;
    response.body = e.what();
  }
  const bool ok = response.status == 200;
  if (!ok) {
    UTILS_LOG(L"[analytics] Analytics SDK send failed");
    LogError("Analytics SDK send failed: " + response.body);
  }
  SetLastSendOk(ok);
  return ok;
}

}  // namespace analytics_sdk
