// Linux has no system URL download service; this is the stand-in, on
// libcurl, with the service's contract: one call is one whole download
// (redirects followed, no resume), progress as (progress, maximum) on the
// calling thread for every libcurl progress round, and a negative
// HRESULT-style value on failure (ServiceResult::FromCurl). Proxies come
// from libcurl's usual environment variables. Like the single stream, a
// transfer that stalls ends (code 28, INET_E_CONNECTION_TIMEOUT) and an
// HTML page is refused.
#include <curl/curl.h>

#include <cstdio>

#include "utils/proxy.h"
#include "utils/file_io.h"
#include "utils/text.h"
#include "win_downloader.h"

namespace {

struct Target {
  FILE* file = nullptr;
  CURL* handle = nullptr;
  bool checked = false;  // the answer's first bytes were looked at
  bool refusedHtml = false;
};

// An HTML page where the package should be is refused before a byte of it
// is stored: it would be run as the package.
size_t WriteToFile(char* data, size_t size, size_t count, void* object) {
  auto* target = static_cast<Target*>(object);
  const size_t n = size * count;
  if (!target->checked) {
    target->checked = true;
    char* type = nullptr;
    curl_easy_getinfo(target->handle, CURLINFO_CONTENT_TYPE, &type);
    if (LooksLikeHtml(type, data, n)) {
      target->refusedHtml = true;
      ReportHtmlAnswer(type);
      return 0;
    }
  }
  return std::fwrite(data, 1, n, target->file);
}

}  // namespace

// libcurl's progress hook, turned into the service's progress calls.
class CWinDownloader::CBindCallback {
 public:
  explicit CBindCallback(CWinDownloader* owner) : owner_(owner) {}

  static int Progress(void* self, curl_off_t dltotal, curl_off_t dlnow, curl_off_t, curl_off_t) {
    auto* callback = static_cast<CBindCallback*>(self);
    const int32_t answer = callback->owner_->OnProgress(static_cast<unsigned long>(static_cast<uint32_t>(dlnow)),
                                                        static_cast<unsigned long>(static_cast<uint32_t>(dltotal)));
    return answer < 0 ? 1 : 0;  // non-zero ends the transfer (CURLE_ABORTED_BY_CALLBACK)
  }

 private:
  CWinDownloader* const owner_;
};

CWinDownloader::CBindCallback* CWinDownloader::NewBindCallback(CWinDownloader* owner) {
  return new CBindCallback(owner);
}

void CWinDownloader::CallbackDeleter::operator()(CBindCallback* callback) const { delete callback; }

CWinDownloader::ServiceThread::ServiceThread() = default;
CWinDownloader::ServiceThread::~ServiceThread() = default;

int32_t CWinDownloader::DownloadOnce(const std::wstring& address) {
  // The body goes to a sibling file first, so that a failed attempt leaves
  // an earlier file at the save path as it was.
  const std::wstring part = savePath_ + L".part";
  FILE* file = Utils::OpenFile(part, "wb");
  if (!file) return ServiceResult::kDownloadFailure;
  CURL* handle = curl_easy_init();
  if (!handle) {
    std::fclose(file);
    Utils::DeleteFileAt(part);
    return ServiceResult::kFailed;
  }
  // The service takes a "file:///" address as it is, spaces and all;
  // libcurl's parser needs telling (it then sends them as %20).
  const std::string url = Utils::WideToMultiByte(address, Utils::kCodePageUtf8);
  CURLU* parsed = curl_url();
  int code = 0;
  if (!parsed) {
    code = CURLE_OUT_OF_MEMORY;
  } else if (curl_url_set(parsed, CURLUPART_URL, url.c_str(), CURLU_ALLOW_SPACE) != CURLUE_OK) {
    code = CURLE_URL_MALFORMAT;
  }
  code |= curl_easy_setopt(handle, CURLOPT_CURLU, parsed);
  code |= curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
  code |= curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
  code |= curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, 60L);
  Target target;
  target.file = file;
  target.handle = handle;
  code |= curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, WriteToFile);
  code |= curl_easy_setopt(handle, CURLOPT_WRITEDATA, &target);
  code |= curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
  code |= curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, stallSeconds_);
  code |= curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
  code |= curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, CBindCallback::Progress);
  code |= curl_easy_setopt(handle, CURLOPT_XFERINFODATA, bindCallback_.get());
  if (code == 0) code = PerformThroughProxy(handle, url);
  long status = 0;
  curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
  curl_easy_cleanup(handle);
  curl_url_cleanup(parsed);
  if (std::fclose(file) != 0 && code == 0) code = CURLE_WRITE_ERROR;

  const int32_t result = target.refusedHtml ? ServiceResult::kDownloadFailure : ServiceResult::FromCurl(code, status);
  if (result != ServiceResult::kOk) {
    Utils::DeleteFileAt(part);
    return result;
  }
  Utils::DeleteFileAt(savePath_);
  return Utils::ReplaceFile(part, savePath_) ? ServiceResult::kOk : ServiceResult::kDownloadFailure;
}
