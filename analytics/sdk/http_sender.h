// Posting one batch to the collector.
//
// HttpTransport is the seam between the SDK and the network: the real one
// is libcurl (MakeCurlTransport); tests of timing-dependent queue rules put
// a scripted one in its place. HttpSender encodes, posts, and decides what
// counts as delivered.
//
// Threads: an HttpSender is used by one flush at a time (its owner's flush
// lock); a transport may be called from any thread but not concurrently.
#pragma once

#include <memory>
#include <string>

namespace analytics_sdk {

extern const char kLibVersion[];  // "0.9"
extern const char kUserAgent[];   // "Analytics CPP SDK 0.9"

struct HttpResponse {
  long status = -1;  // the HTTP status, or -1 when the transfer failed
  std::string body;  // the response body, or the transport's error text
};

class HttpTransport {
 public:
  virtual ~HttpTransport() = default;
  // Throws std::runtime_error only when no request can be made at all.
  virtual HttpResponse Post(const std::string& url, const std::string& body) = 0;
};

// libcurl, one easy handle per request, 3-second total timeout, TLS checks
// off, no redirects, no Content-Type of its own.
std::unique_ptr<HttpTransport> MakeCurlTransport();

class HttpSender {
 public:
  explicit HttpSender(std::string url, std::unique_ptr<HttpTransport> transport = MakeCurlTransport());

  // Encodes and posts one batch text. Delivered only on status 200; any
  // other answer, a transport error or an encoding failure is a failure.
  // Every post that was attempted updates LastSendOk().
  bool SendBatch(const std::string& batch);

  const std::string& url() const { return url_; }

 private:
  std::string url_;
  std::unique_ptr<HttpTransport> transport_;
};

// Whether the latest attempted post was delivered; false until one was.
// Process-wide, readable from any thread at any time, also after Shutdown
// and during process exit.
bool LastSendOk();
// For tests that need a known starting point.
void SetLastSendOk(bool ok);

}  // namespace analytics_sdk
