// The libcurl transport. libcurl's global initialisation belongs to the
// program's start-up; this file only uses easy handles. Posts take the
// user's proxy as the package transfers do, with the same fall-back to a
// direct connection.
#include <curl/curl.h>

#include <stdexcept>

#include "utils/proxy.h"
#include "http_sender.h"

namespace analytics_sdk {
namespace {

size_t AppendBody(char* data, size_t size, size_t count, void* target) {
  static_cast<std::string*>(target)->append(data, size * count);
  return size * count;
}

class CurlTransport : public HttpTransport {
 public:
  HttpResponse Post(const std::string& url, const std::string& body) override {
    CURL* curl = curl_easy_init();
    if (!curl) throw std::runtime_error("Couldn't initialize curl handle");
    HttpResponse response;
    std::string received;
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, AppendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &received);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 3L);
    // Timeouts without signals: posts run on threads other than the main one.
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    const CURLcode code = PerformThroughProxy(curl, url);
    if (code != CURLE_OK) {
      response.status = -1;
      response.body = curl_easy_strerror(code);
    } else {
      long status = 0;
      curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
      response.status = status;
      response.body = std::move(received);
    }
    curl_easy_cleanup(curl);
    return response;
  }
};

}  // namespace

std::unique_ptr<HttpTransport> MakeCurlTransport() { return std::make_unique<CurlTransport>(); }

}  // namespace analytics_sdk
