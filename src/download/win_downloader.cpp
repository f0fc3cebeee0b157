#include "win_downloader.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "utils/text.h"

namespace {
constexpr int kAttempts = 3;
constexpr int kPauseMs = 1000;
const wchar_t kServiceName[] = L"URLDownloadToFile";

bool IsFileUrl(const std::wstring& url) { return url.compare(0, 8, L"file:///") == 0; }
}  // namespace

std::wstring EscapeUrl(const std::wstring& url) { return Utils::UrlEncode(url); }

int32_t ServiceResult::FromHttpStatus(long httpStatus) {
  if (httpStatus < 400) return kOk;
  return httpStatus == 404 || httpStatus == 410 ? kNotFound : kDownloadFailure;
}

int32_t ServiceResult::FromCurl(int curlCode, long httpStatus) {
  switch (curlCode) {
    case CURLE_OK:
      return kOk;
    case CURLE_HTTP_RETURNED_ERROR:
      return httpStatus >= 400 ? FromHttpStatus(httpStatus) : kDownloadFailure;
    case CURLE_UNSUPPORTED_PROTOCOL:
      return kUnknownProtocol;
    case CURLE_URL_MALFORMAT:
      return kInvalidUrl;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_FILE_COULDNT_READ_FILE:
      return kNotFound;
    case CURLE_COULDNT_CONNECT:
      return kCannotConnect;
    case CURLE_OPERATION_TIMEDOUT:
      return kTimeout;
    case CURLE_ABORTED_BY_CALLBACK:
      return kAborted;
    default:
      return kDownloadFailure;
  }
}

CWinDownloader::CWinDownloader(DownloadNotify notify, const std::wstring& url, const std::wstring& savePath)
    : bindCallback_(NewBindCallback(this)), notify_(std::move(notify)), savePath_(savePath), url_(url),
      worker_(std::make_unique<Utils::Thread>(this, L"ABDEF", DownloadThreadProc)) {}

CWinDownloader::~CWinDownloader() {
  // The next progress call answers "abort"; a worker that never ran is
  // released without running.
  stopping_.store(true);
  worker_.reset();
}

void CWinDownloader::Start() {
  if (!started_.exchange(true)) {
    if (worker_->HasThread()) worker_->Resume();
    return;
  }
  // A finished pass: its worker is joined (or, when this runs inside its
  // final notification, let go) and a new one runs the next pass.
  Utils::RestartThread(&worker_, this, L"ABDEF", DownloadThreadProc);
}

unsigned long CWinDownloader::DownloadThreadProc(void* downloader) {
  ServiceThread apartment;
  // Nothing of the downloader is touched after the pass's final
  // notification: its receiver may start a new pass or destroy it.
  static_cast<CWinDownloader*>(downloader)->RunPass();
  return 0;
}

void CWinDownloader::Notify(int code, double value, const wchar_t* text) {
  if (!stopping_.load() && notify_) notify_(code, value, text);
}

int64_t CWinDownloader::NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

int32_t CWinDownloader::OnProgress(unsigned long progress, unsigned long maximum) {
  if (stopping_.load()) return ServiceResult::kAborted;
  if (lastProgress_.exchange(progress) != progress) lastChangeMs_.store(NowMs());
  if (maximum == 0) return ServiceResult::kOk;
  // The service counts in 32 bits.
  Notify(kDownloadProgress,
         static_cast<double>(static_cast<uint32_t>(progress)) / static_cast<double>(static_cast<uint32_t>(maximum)),
         L"");
  return ServiceResult::kOk;
}

bool CWinDownloader::PauseBeforeRetry() {
  // Sliced so that destruction does not wait out the pause.
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPauseMs);
  while (std::chrono::steady_clock::now() < end) {
    if (stopping_.load()) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return !stopping_.load();
}

void CWinDownloader::RunPass() {
  Notify(kDownloadBegun, 1.0, L"");
  if (savePath_.empty()) {
    Notify(kDownloadFailed, 1.0, L"");
    return;
  }
  const std::wstring address = IsFileUrl(url_) ? url_ : EscapeUrl(url_);
  int32_t result = ServiceResult::kFailed;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    result = DownloadOnce(address);
    if (result == ServiceResult::kOk) {
      Notify(kDownloadComplete, 0.0, kServiceName);
      return;
    }
    // Also after the last failure: the final 1004 comes a second later.
    if (!PauseBeforeRetry()) return;
  }
  Notify(kDownloadFailed, static_cast<double>(result), kServiceName);
}
