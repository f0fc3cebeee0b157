#include "curl_client.h"

#include <cstdio>
#include <ctime>
#include <cwchar>

#include "app/analytics_adapter.h"
#include "utils/file_io.h"
#include "utils/log.h"
#include "utils/text.h"

namespace {

// The body goes to the part file through a large stdio buffer: fewer
// system calls than the C runtime's default, the same bytes on disk.
constexpr size_t kFileBuffer = 1 << 20;
constexpr long kReceiveBuffer = 512 * 1024;

std::wstring CurlText(int code) {
  return Utils::MultiByteToWide(curl_easy_strerror(static_cast<CURLcode>(code)), Utils::kCodePageUtf8);
}

bool IsFileUrl(const std::wstring& url) { return url.compare(0, 8, L"file:///") == 0; }

size_t WriteToFile(char* data, size_t size, size_t count, void* file) {
  return std::fwrite(data, size, count, static_cast<FILE*>(file));
}

void ReportLengthStatus(long status) {
  wchar_t text[201];
  std::swprintf(text, 201, L"1.获取文件大小的状态码为=%ld；", status);
  ReportStep(L"下载失败原因", 0.0f, text, {{L"AB", L"IN"}});
}

// The options of a header-only query, in the order they are set: the URL,
// `extra` (redirect following, or headers into the body stream) set to 1,
// no body, the body discarded, the connect limit. The OR of their results.
int SetHeaderQueryOptions(CURL* handle, const std::string& url, CURLoption extra) {
  int code = 0;
  code |= curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  code |= curl_easy_setopt(handle, extra, 1L);
  code |= curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
  code |= curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, CurlClient::DiscardBody);
  code |= curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, 60L);
  return code;
}

}  // namespace

CurlClient::CurlClient(const std::wstring& url, const std::wstring& savePath, void* owner, ProgressHook hook)
    : url_(url), savePath_(savePath), owner_(owner), hook_(hook) {}

CurlClient::~CurlClient() {
  Utils::DeleteFileAt(GetSavePath(true));
  abort_.store(true);
}

std::wstring CurlClient::GetSavePath(bool withPart) const { return withPart ? savePath_ + L".part" : savePath_; }

std::string CurlClient::NarrowUrl() const {
  return Utils::WideToMultiByte(url_, IsFileUrl(url_) ? Utils::kCodePageAnsi : Utils::kCodePageUtf8);
}

int CurlClient::Start() {
  UTILS_LOG(L"start download");
  const std::string url = NarrowUrl();
  if (realUrl_.empty() || fileLength_ < kMinimumLength) {
    CURL* head = Head(url);
    realUrl_ = GetRealUrl(head);
    fileLength_ = GetDownloadFileLength(head);
    if (head) curl_easy_cleanup(head);
  }
  if (realUrl_.empty() || fileLength_ < kMinimumLength) {
    realUrl_ = GetRealUrl_Str(url);
    if (!realUrl_.empty()) fileLength_ = GetDownloadFileLength_Str(realUrl_);
  }

  int result = 0;
  FILE* part = nullptr;
  if (fileLength_ < kMinimumLength) {
    result = kLengthUnusable;
  } else if (!(handle_ = curl_easy_init())) {
    result = kHandleFailed;
  } else if (!(part = Utils::OpenFile(GetSavePath(true), "ab+"))) {
    result = kPartFileFailed;
  } else {
    result = Transfer(part);
  }

  UTILS_LOG(L"error:%d:%s", result, CurlText(result).c_str());
  if (handle_) {
    curl_easy_cleanup(handle_);
    handle_ = nullptr;
  }
  if (part && std::fclose(part) != 0 && result == 0) result = CURLE_WRITE_ERROR;
  if (result == 0) {
    // A rename that fails would leave the finished file at the wrong name
    // while the caller believes it is in place.
    Utils::DeleteFileAt(savePath_);
    if (!Utils::ReplaceFile(GetSavePath(true), savePath_)) result = kRenameFailed;
  }
  UTILS_LOG(L"end download");
  return result;
}

int CurlClient::Transfer(FILE* part) {
  std::setvbuf(part, nullptr, _IOFBF, kFileBuffer);
  curl_slist* headers = curl_slist_append(nullptr, "Connection: keep-alive");
  headers = curl_slist_append(headers, "Accept-Encoding: gzip, deflate");
  curl_easy_setopt(handle_, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(handle_, CURLOPT_TCP_KEEPALIVE, 1L);
  curl_easy_setopt(handle_, CURLOPT_TCP_KEEPIDLE, 10L);
  curl_easy_setopt(handle_, CURLOPT_TCP_KEEPINTVL, 10L);
  curl_easy_setopt(handle_, CURLOPT_TIMEOUT, 0L);
  curl_easy_setopt(handle_, CURLOPT_BUFFERSIZE, kReceiveBuffer);

  int result = 0;
  result |= curl_easy_setopt(handle_, CURLOPT_URL, realUrl_.c_str());
  result |= curl_easy_setopt(handle_, CURLOPT_FOLLOWLOCATION, 1L);
  result |= curl_easy_setopt(handle_, CURLOPT_WRITEFUNCTION, WriteToFile);
  result |= curl_easy_setopt(handle_, CURLOPT_WRITEDATA, part);
  result |= curl_easy_setopt(handle_, CURLOPT_NOPROGRESS, 0L);
  result |= curl_easy_setopt(handle_, CURLOPT_XFERINFOFUNCTION, ProgressCallback);
  result |= curl_easy_setopt(handle_, CURLOPT_XFERINFODATA, this);
  result |= curl_easy_setopt(handle_, CURLOPT_FAILONERROR, 1L);
  result |= curl_easy_setopt(handle_, CURLOPT_CONNECTTIMEOUT, 60L);
  resumeOffset_ = Utils::FileSize(GetSavePath(true));
  if (resumeOffset_ > 0) {
    result |= curl_easy_setopt(handle_, CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(resumeOffset_));
  }
  if (result == 0) result = curl_easy_perform(handle_);
  curl_slist_free_all(headers);
  return result;
}

int CurlClient::ProgressCallback(void* object, curl_off_t dltotal, curl_off_t dlnow, curl_off_t, curl_off_t) {
  auto* self = static_cast<CurlClient*>(object);
  if (self->abort_.load()) return 1;
  const int64_t now = static_cast<int64_t>(std::time(nullptr));
  if (now < self->lastProgressSecond_ + 1) return 0;
  self->lastProgressSecond_ = now;

  curl_off_t speedBytes = 0;
  const double speed =
      curl_easy_getinfo(self->handle_, CURLINFO_SPEED_DOWNLOAD_T, &speedBytes) == CURLE_OK
          ? static_cast<double>(speedBytes) : 0.0;
  double percent;
  if (self->fileLength_ > kMinimumLength) {
    percent = static_cast<double>(self->resumeOffset_ + dlnow) / self->fileLength_ * 100.0;
  } else if (dlnow > 0 && dltotal > 0) {
    percent = static_cast<double>(dlnow) * 100.0 / static_cast<double>(dltotal);
  } else {
    return 0;
  }
  if (percent == 0.0) return 0;
  if (self->hook_) self->hook_(self->owner_, speed, 0.0, percent);
  if (dltotal != 0) {
    UTILS_LOG(L" %dM %dM   progress:%f%%  speed:%f \n", static_cast<int>(dlnow / 1048576),
              static_cast<int>(dltotal / 1048576), static_cast<double>(static_cast<float>(percent)),
              static_cast<double>(static_cast<float>(speed / 1024)));
  }
  return 0;
}

size_t CurlClient::DiscardBody(char*, size_t size, size_t count, void*) { return size * count; }

CURL* CurlClient::Head(const std::string& url) {
  CURL* handle = curl_easy_init();
  if (!handle) {
    UTILS_LOG(L"error:%d:%s", 0, CurlText(0).c_str());
    return nullptr;
  }
  int code = SetHeaderQueryOptions(handle, url, CURLOPT_FOLLOWLOCATION);
  if (code == 0) {
    code = curl_easy_perform(handle);
    if (code != 0) UTILS_LOG(L"error:%d:%s", code, CurlText(code).c_str());
  }
  UTILS_LOG(L"error:%d:%s", code, CurlText(code).c_str());
  return handle;
}

std::string CurlClient::GetRealUrl(CURL* handle) {
  char* url = nullptr;
  if (!handle || curl_easy_getinfo(handle, CURLINFO_EFFECTIVE_URL, &url) != CURLE_OK || !url) return "";
  return url;
}

double CurlClient::GetDownloadFileLength(CURL* handle) {
  if (!handle) return -1.0;
  curl_off_t length = -1;
  const int code = curl_easy_getinfo(handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
  UTILS_LOG(L"error:%d:%s", code, CurlText(code).c_str());
  long status = 0;
  if (curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK && status >= 200 && status <= 399) {
    return static_cast<double>(length);
  }
  ReportLengthStatus(status);
  return -1.0;
}

double CurlClient::GetDownloadFileLength_Str(const std::string& url) {
  double length = -1.0;
  int code = 0;
  if (CURL* handle = curl_easy_init()) {
    code = SetHeaderQueryOptions(handle, url, CURLOPT_HEADER);
    if (code == 0) {
      curl_easy_perform(handle);
      curl_off_t reported = -1;
      curl_easy_getinfo(handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &reported);
      length = static_cast<double>(reported);
      long status = 0;
      code = curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
      if (code != CURLE_OK || status < 200 || status > 400) ReportLengthStatus(status);
    }
    UTILS_LOG(L"error:%d:%s", code, CurlText(code).c_str());
    curl_easy_cleanup(handle);
  } else {
    UTILS_LOG(L"error:%d:%s", code, CurlText(code).c_str());
  }
  return length;
}

std::string CurlClient::GetRealUrl_Str(const std::string& url) {
  std::string real;
  if (CURL* handle = curl_easy_init()) {
    int code = SetHeaderQueryOptions(handle, url, CURLOPT_FOLLOWLOCATION);
    if (code == 0) {
      code = curl_easy_perform(handle);
      if (code != 0) {
        UTILS_LOG(L"error:%d:%s", code, CurlText(code).c_str());
      } else {
        real = GetRealUrl(handle);
      }
    }
    curl_easy_cleanup(handle);
  }
  return real.empty() ? url : real;
}
