#include "curl_downloader.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "utils/file_io.h"
#include "utils/log.h"

namespace {
constexpr int kBudget = 12;
constexpr int kPartialFile = 18;  // CURLE_PARTIAL_FILE
}  // namespace

CCurlDownloader::CCurlDownloader(DownloadNotify notify, const std::wstring& url, const std::wstring& savePath)
    : notify_(std::move(notify)), savePath_(savePath), url_(url), client_(url, savePath, this, Progress) {
  Utils::DeleteFileAt(savePath_ + L".part");
  Utils::DeleteFileAt(ValidatorPath(savePath_ + L".part"));
}

CCurlDownloader::~CCurlDownloader() {
  stopping_.store(true);
  client_.Abort();
  worker_.reset();  // joins
}

void CCurlDownloader::Start() { Utils::RestartThread(&worker_, this, L"ABDEF", dlThreadFun); }


void CCurlDownloader::Notify(int code, double value, const wchar_t* text) {
  if (!stopping_.load() && notify_) notify_(code, value, text);
}

void CCurlDownloader::Progress(void* owner, double speed, double, double percent) {
  if (speed > 0.0 && percent <= 100.0) static_cast<CCurlDownloader*>(owner)->Notify(kDownloadProgress, percent / 100.0, L"");
}

bool CCurlDownloader::PauseBeforeRetry() {
  // Sliced so that destruction does not wait out the pause.
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(retryPauseMs_);
  while (std::chrono::steady_clock::now() < end) {
    if (stopping_.load()) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(retryPauseMs_, 20)));
  }
  return !stopping_.load();
}


unsigned long CCurlDownloader::dlThreadFun(void* downloader) {
  auto* self = static_cast<CCurlDownloader*>(downloader);
  self->Notify(kDownloadBegun, 1.0, L"");
  if (self->savePath_.empty()) {
    self->Notify(kDownloadFailed, 1.0, L"");
    return 0;
  }
  int budget = kBudget;
  int code = self->client_.Start();
  while (code != 0) {
    budget -= code == kPartialFile ? 1 : 2;
    if (budget <= 0 || self->stopping_.load()) {
      self->Notify(kDownloadFailed, code, L"LibCurl");
      return 0;
    }
    UTILS_LOG(L"CurlDownLoader Code=%d", code);
    if (!self->PauseBeforeRetry()) return 0;
    code = self->client_.Start();
  }

  bool accepted = true;
  const std::string expected = ExpectedMd5(self->client_.RealUrl());
  if (IsUsableMd5(expected)) {
    // Hashed while it arrived; read again only when that digest is
    // missing or the file at the save path is not the one it covers.
    std::string actual = self->client_.Digest();
    if (actual.empty() || Utils::FileSize(self->savePath_) != self->client_.DigestLength()) {
      actual = PackageMd5(self->savePath_);
    }
    if (actual.size() == 32 && actual != expected) {
      accepted = false;
      self->Notify(kDownloadMd5Notice, 0.0, L"curl文件md5校验失败");
      if (!self->retried_) {
        self->retried_ = true;
        self->Notify(kDownloadRetry, 0.0, L"LibCurl");
      } else {
        self->Notify(kDownloadFailed, 0.0, L"LibCurl");
      }
    }
  } else {
    self->Notify(kDownloadMd5Notice, 0.0, L"curl获取url-md5失败");
  }
  if (accepted) self->Notify(kDownloadComplete, 0.0, L"LibCurl");
  return 0;
}
