// The system downloader: the operating system's URL download service does
// the transfer (proxies, redirects, caching); this class adds the
// notification codes, three attempts one second apart, and progress from
// the service's status callback. No MD5 check, so never 1005 or 1006.
//
// On Windows the service is urlmon's URLDownloadToFileW; Linux has none,
// so there a small libcurl layer with the same contract stands in for it.
//
// Threads: the "ABDEF" worker is created suspended by the constructor and
// resumed by the first Start; a later Start (after a final 1003/1004)
// replaces it by a new one. Every notification and every progress call
// runs on the worker. Destruction stops the transfer at its next progress
// call, waits for the worker, and no notification arrives after it.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "downloader.h"
#include "utils/thread.h"

// The address form handed to the service: UTF-8 bytes 33..126 kept, a
// space as "+", every other byte "%XX" (upper-case digits).
std::wstring EscapeUrl(const std::wstring& url);

// Results of one service call, HRESULT style: 0 is success, failures are
// negative 32-bit values.
namespace ServiceResult {
constexpr int32_t kOk = 0;
constexpr int32_t kAborted = static_cast<int32_t>(0x80004004u);         // E_ABORT
constexpr int32_t kFailed = static_cast<int32_t>(0x80004005u);          // E_FAIL
constexpr int32_t kInvalidUrl = static_cast<int32_t>(0x800C0002u);      // INET_E_INVALID_URL
constexpr int32_t kCannotConnect = static_cast<int32_t>(0x800C0004u);   // INET_E_CANNOT_CONNECT
constexpr int32_t kNotFound = static_cast<int32_t>(0x800C0005u);        // INET_E_RESOURCE_NOT_FOUND
constexpr int32_t kDownloadFailure = static_cast<int32_t>(0x800C0008u); // INET_E_DOWNLOAD_FAILURE
constexpr int32_t kTimeout = static_cast<int32_t>(0x800C000Bu);         // INET_E_CONNECTION_TIMEOUT
constexpr int32_t kUnknownProtocol = static_cast<int32_t>(0x800C000Du); // INET_E_UNKNOWN_PROTOCOL

// A transfer that ended with this HTTP status: kOk below 400, else a
// failure (the service on its own reports an error page as a success).
int32_t FromHttpStatus(long httpStatus);
// How the Linux stand-in reports a finished libcurl transfer: the libcurl
// result code and the last HTTP status (0 when there was none).
int32_t FromCurl(int curlCode, long httpStatus);
}  // namespace ServiceResult

class CWinDownloader : public CDownloader {
 public:
  CWinDownloader(DownloadNotify notify, const std::wstring& url, const std::wstring& savePath);
  ~CWinDownloader() override;
  CWinDownloader(const CWinDownloader&) = delete;
  CWinDownloader& operator=(const CWinDownloader&) = delete;

  void Start() override;
  static unsigned long DownloadThreadProc(void* downloader);

  // A service call during which nothing arrives for this long ends as a
  // failed attempt: on Windows a watchdog aborts the binding, on Linux
  // libcurl's low-speed limit ends it. Tests shorten it.
  static constexpr long kStallSeconds = 30;
  void SetStallSeconds(long seconds) { stallSeconds_ = seconds; }

  // The service's status callback, one per downloader, living as long as
  // it. Each platform's file defines it (on Windows it implements
  // IBindStatusCallbackEx) and forwards (progress, maximum) to OnProgress.
  class CBindCallback;

 private:
  struct CallbackDeleter {
    void operator()(CBindCallback* callback) const;
  };
  // COM for the worker on Windows; nothing on Linux.
  class ServiceThread {
   public:
    ServiceThread();
    ~ServiceThread();
    ServiceThread(const ServiceThread&) = delete;
    ServiceThread& operator=(const ServiceThread&) = delete;

   private:
    bool entered_ = false;
  };

  static CBindCallback* NewBindCallback(CWinDownloader* owner);
  // One call of the service: `address` into the save path, progress to
  // the bind callback. Blocks until the service is done.
  int32_t DownloadOnce(const std::wstring& address);
  // The status callback's progress logic: kAborted once destruction began,
  // else kOk (with a 1002 when the maximum is known).
  int32_t OnProgress(unsigned long progress, unsigned long maximum);
  void Notify(int code, double value, const wchar_t* text);
  void RunPass();
  bool PauseBeforeRetry();

  // Destroyed last: the worker that uses it is gone by then.
  std::unique_ptr<CBindCallback, CallbackDeleter> bindCallback_;
  const DownloadNotify notify_;
  const std::wstring savePath_;
  const std::wstring url_;
  std::unique_ptr<Utils::Thread> worker_;
  // Set by Start, which runs on one thread at a time (the pipeline's, or
  // the worker's own from inside a final notification).
  std::atomic<bool> started_{false};
  std::atomic<bool> stopping_{false};
  long stallSeconds_ = kStallSeconds;
  // Progress seen by OnProgress during the current service call, for the
  // Windows watchdog: the last value and when it last changed.
  std::atomic<unsigned long> lastProgress_{0};
  std::atomic<int64_t> lastChangeMs_{0};
  static int64_t NowMs();
};
