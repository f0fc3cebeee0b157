#include "curl_client.h"

#include <cstdio>
#include <ctime>
#include <cwchar>

#include "app/analytics_adapter.h"
#include "utils/proxy.h"
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

void ReportLengthStatus(long status) {
  wchar_t text[201];
  std::swprintf(text, 201, L"1.获取文件大小的状态码为=%ld；", status);
  ReportStep(L"下载失败原因", 0.0f, text);
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
  hasher_.Abandon();  // it holds the part file open
  Utils::DeleteFileAt(GetSavePath(true));
  Utils::DeleteFileAt(ValidatorPath(GetSavePath(true)));
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

  digest_.clear();
  digestLength_ = -1;
  int result = 0;
  Sink sink;
  sink.client = this;
  if (fileLength_ < kMinimumLength) {
    result = kLengthUnusable;
  } else if (!(handle_ = curl_easy_init())) {
    result = kHandleFailed;
  } else if (!(sink.file = Utils::OpenFile(GetSavePath(true), "ab+"))) {
    result = kPartFileFailed;
  } else {
    result = Transfer(&sink);
    if (sink.refusedHtml) result = kHtmlAnswer;
    else if (sink.failed && result == 0) result = CURLE_WRITE_ERROR;
  }

  UTILS_LOG(L"error:%d:%s", result, CurlText(result).c_str());
  if (handle_) {
    curl_easy_cleanup(handle_);
    handle_ = nullptr;
  }
  if (sink.file && std::fclose(sink.file) != 0 && result == 0) result = CURLE_WRITE_ERROR;
  if (result != 0) {
    // The next attempt hashes the part file again from its first byte,
    // in case anything changed it between the attempts.
    hasher_.Abandon();
  } else {
    const std::wstring part = GetSavePath(true);
    // The digest stands for the file only when it covers every byte the
    // part file holds.
    const auto hashed = hasher_.Finish();
    if (!hashed.first.empty() && hashed.second == Utils::FileSize(part)) {
      digest_ = hashed.first;
      digestLength_ = hashed.second;
    }
    KeepValidator(part, "");
    // A rename that fails would leave the finished file at the wrong name
    // while the caller believes it is in place.
    Utils::DeleteFileAt(savePath_);
    if (!Utils::ReplaceFile(part, savePath_)) result = kRenameFailed;
  }
  if (result != 0) {
    digest_.clear();
    digestLength_ = -1;
  }
  UTILS_LOG(L"end download");
  return result;
}

int CurlClient::Transfer(Sink* sink) {
  std::setvbuf(sink->file, nullptr, _IOFBF, kFileBuffer);
  const std::wstring part = GetSavePath(true);
  resumeOffset_ = Utils::FileSize(part);
  hasher_.Begin({{part, -1}});
  // A validator kept for a part file names the content its bytes came
  // from; without a part file it names nothing.
  const std::string validator = resumeOffset_ > 0 ? ReadValidator(part) : std::string();
  if (resumeOffset_ <= 0) KeepValidator(part, "");

  curl_slist* headers = curl_slist_append(nullptr, "Connection: keep-alive");
  headers = curl_slist_append(headers, "Accept-Encoding: gzip, deflate");
  if (!validator.empty()) headers = curl_slist_append(headers, ("If-Range: " + validator).c_str());
  curl_easy_setopt(handle_, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(handle_, CURLOPT_TCP_KEEPALIVE, 1L);
  curl_easy_setopt(handle_, CURLOPT_TCP_KEEPIDLE, 10L);
  curl_easy_setopt(handle_, CURLOPT_TCP_KEEPINTVL, 10L);
  curl_easy_setopt(handle_, CURLOPT_TIMEOUT, 0L);
  curl_easy_setopt(handle_, CURLOPT_BUFFERSIZE, kReceiveBuffer);
  // A connection that stops moving would otherwise hold the installer on
  // its progress page for ever: it becomes a failed attempt (code 28).
  curl_easy_setopt(handle_, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(handle_, CURLOPT_LOW_SPEED_TIME, lowSpeedSeconds_);
  curl_easy_setopt(handle_, CURLOPT_HEADERFUNCTION, AnswerHeaders::Collect);
  curl_easy_setopt(handle_, CURLOPT_HEADERDATA, &sink->answer);

  int result = 0;
  result |= curl_easy_setopt(handle_, CURLOPT_URL, realUrl_.c_str());
  result |= curl_easy_setopt(handle_, CURLOPT_FOLLOWLOCATION, 1L);
  result |= curl_easy_setopt(handle_, CURLOPT_WRITEFUNCTION, WriteBody);
  result |= curl_easy_setopt(handle_, CURLOPT_WRITEDATA, sink);
  result |= curl_easy_setopt(handle_, CURLOPT_NOPROGRESS, 0L);
  result |= curl_easy_setopt(handle_, CURLOPT_XFERINFOFUNCTION, ProgressCallback);
  result |= curl_easy_setopt(handle_, CURLOPT_XFERINFODATA, this);
  result |= curl_easy_setopt(handle_, CURLOPT_FAILONERROR, 1L);
  result |= curl_easy_setopt(handle_, CURLOPT_CONNECTTIMEOUT, 60L);
  const std::string range = std::to_string(resumeOffset_) + "-";
  if (resumeOffset_ > 0) {
    sink->ranged = true;
    // With a validator: the same "Range: bytes=N-", but an answer of 200
    // (the content changed) is ours to handle instead of libcurl's refusal.
    result |= validator.empty()
                  ? curl_easy_setopt(handle_, CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(resumeOffset_))
                  : curl_easy_setopt(handle_, CURLOPT_RANGE, range.c_str());
  }
  if (result == 0) result = PerformThroughProxy(handle_, realUrl_);
  curl_slist_free_all(headers);
  return result;
}

size_t CurlClient::WriteBody(char* data, size_t size, size_t count, void* object) {
  auto* sink = static_cast<Sink*>(object);
  CurlClient* self = sink->client;
  const size_t n = size * count;
  if (sink->firstChunk) {
    sink->firstChunk = false;
    if (!self->FirstChunk(sink, data, n)) return 0;
  }
  if (!sink->file || n == 0) return 0;
  self->hasher_.Pace();
  return std::fwrite(data, 1, n, sink->file);
}

// Decides on an answer from its headers and first bytes: an HTML page is
// refused; an answer of 200 to a resumed request means the validator no
// longer names the content, so the part file starts again from byte 0; a
// 206 that does not start where the part file ends would splice.
bool CurlClient::FirstChunk(Sink* sink, const char* data, size_t n) {
  long status = 0;
  curl_easy_getinfo(handle_, CURLINFO_RESPONSE_CODE, &status);
  char* type = nullptr;
  curl_easy_getinfo(handle_, CURLINFO_CONTENT_TYPE, &type);
  if (LooksLikeHtml(type, data, n)) {
    sink->refusedHtml = true;
    ReportHtmlAnswer(type);
    return false;
  }
  const std::wstring part = GetSavePath(true);
  if (sink->ranged && status == 200) {
    hasher_.Abandon();
    std::fclose(sink->file);
    sink->file = Utils::OpenFile(part, "wb");
    if (!sink->file) {
      sink->failed = true;
      return false;
    }
    std::setvbuf(sink->file, nullptr, _IOFBF, kFileBuffer);
    UTILS_LOG(L"the package changed since byte %lld was stored: again from byte 0",
              static_cast<long long>(resumeOffset_));
    resumeOffset_ = 0;
    hasher_.Begin({{part, -1}});
  } else if (sink->ranged && status == 206 && sink->answer.StartsElsewhereThan(resumeOffset_)) {
    return false;
  }
  if (resumeOffset_ <= 0) KeepValidator(part, sink->answer.Validator());
  return true;
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
  // Bytes × 100 is a whole number, so the percentage is one rounding.
  if (self->fileLength_ > kMinimumLength) {
    percent = static_cast<double>((self->resumeOffset_ + dlnow) * 100) / self->fileLength_;
  } else if (dlnow > 0 && dltotal > 0) {
    percent = static_cast<double>(dlnow * 100) / static_cast<double>(dltotal);
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
    code = PerformThroughProxy(handle, url);
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
      PerformThroughProxy(handle, url);
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
      code = PerformThroughProxy(handle, url);
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
