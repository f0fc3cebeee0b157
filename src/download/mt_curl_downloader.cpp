#include "mt_curl_downloader.h"

#include <algorithm>
#include <chrono>
#include <ctime>

#include "app/installer_config.h"
#include "curl_client.h"
#include "part_join.h"
#include "utils/proxy.h"
#include "utils/file_io.h"
#include "utils/log.h"
#include "utils/text.h"

namespace {

constexpr int kBudget = 12;
constexpr int kPartialFile = 18;  // CURLE_PARTIAL_FILE
constexpr size_t kFileBuffer = 1 << 20;

bool IsFileUrl(const std::wstring& url) { return url.compare(0, 8, L"file:///") == 0; }

std::wstring CurlText(int code) {
  return Utils::MultiByteToWide(curl_easy_strerror(static_cast<CURLcode>(code)), Utils::kCodePageUtf8);
}

FILE* OpenPartFile(const std::wstring& path, const char* mode) {
  FILE* file = Utils::OpenFile(path, mode);
  if (file) std::setvbuf(file, nullptr, _IOFBF, kFileBuffer);
  return file;
}

}  // namespace

CMTCurlDownloader::CMTCurlDownloader(DownloadNotify notify, const std::wstring& url, const std::wstring& savePath)
    : notify_(std::move(notify)), savePath_(savePath), url_(url) {
  Utils::DeleteFileAt(savePath_);
  DeletePartFiles();
}

CMTCurlDownloader::~CMTCurlDownloader() {
  stopping_.store(true);
  partsChanged_.notify_all();
  worker_.reset();  // joins Start_Down
  JoinThreads();
  hasher_.Abandon();
  ClearParts();
}

void CMTCurlDownloader::Start() { Utils::RestartThread(&worker_, this, L"ABDEF", Start_Down); }

std::wstring CMTCurlDownloader::PartPath(int index) const { return savePath_ + L"_" + std::to_wstring(index); }

void CMTCurlDownloader::DeletePartFiles() {
  for (int i = 0; i < 2; ++i) {
    Utils::DeleteFileAt(PartPath(i));
    Utils::DeleteFileAt(ValidatorPath(PartPath(i)));
  }
}

void CMTCurlDownloader::Notify(int code, double value, const wchar_t* text) {
  if (!stopping_.load() && notify_) notify_(code, value, text);
}

bool CMTCurlDownloader::Pause(int milliseconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (std::chrono::steady_clock::now() < end) {
    if (stopping_.load()) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(milliseconds, 20)));
  }
  return !stopping_.load();
}

void CMTCurlDownloader::LaunchThread(std::thread thread) {
  std::lock_guard<std::mutex> lock(threadsMutex_);
  threads_.push_back(std::move(thread));
}

// Threads of an earlier pass are done or about to return: the parts ended
// before their finisher ran, and a finisher that started this pass from
// inside its notification only has to return.
void CMTCurlDownloader::JoinThreads() {
  std::vector<std::thread> threads;
  {
    std::lock_guard<std::mutex> lock(threadsMutex_);
    threads.swap(threads_);
  }
  for (auto& t : threads) {
    if (t.get_id() == std::this_thread::get_id()) t.detach();
    else if (t.joinable()) t.join();
  }
}

std::vector<std::pair<int64_t, int64_t>> CMTCurlDownloader::Ranges(int64_t fileLength) {
  const int64_t count = std::clamp<int64_t>(fileLength / kPartSize, 1, 2);
  const int64_t size = fileLength / count;
  std::vector<std::pair<int64_t, int64_t>> ranges;
  for (int64_t i = 0, start = 0; i < count; ++i, start += size) {
    ranges.emplace_back(start, i + 1 == count ? fileLength - 1 : start + size - 1);
  }
  return ranges;
}

unsigned long CMTCurlDownloader::Start_Down(void* downloader) {
  auto* self = static_cast<CMTCurlDownloader*>(downloader);
  self->JoinThreads();
  self->Notify(kDownloadBegun, 1.0, L"");
  UTILS_LOG(L"start download");
  const std::string url =
      Utils::WideToMultiByte(self->url_, IsFileUrl(self->url_) ? Utils::kCodePageAnsi : Utils::kCodePageUtf8);
  Utils::DeleteFileAt(self->savePath_);
  {
    std::lock_guard<std::mutex> lock(self->mutex_);
    if (self->lastReportedBytes_ == 0) self->DeletePartFiles();
  }
  if (self->realUrl_.empty() || self->fileLength_ < kMinimumLength) {
    if (!self->getRealDownloadUrl(url)) {
      self->Notify(kDownloadFailed, 0.0, L"LibCurl");
      return 0;
    }
  }

  self->restarted_.store(false);
  const auto ranges = Ranges(self->fileLength_);
  std::vector<CTailHasher::Piece> pieces;
  for (size_t i = 0; i < ranges.size(); ++i) {
    auto node = std::make_unique<DownloadPartNode>();
    node->owner = self;
    node->partPath = self->PartPath(static_cast<int>(i));
    node->rangeStart = ranges[i].first;
    int64_t existing = std::max<int64_t>(0, Utils::FileExists(node->partPath) ? Utils::FileSize(node->partPath) : 0);
    if (existing > 0) {
      // Stored bytes of another content than the server now has are not
      // resumed: the range starts again from its first byte.
      node->validator = ReadValidator(node->partPath);
      if (!node->validator.empty() && !self->validator_.empty() && node->validator != self->validator_) {
        UTILS_LOG(L"partPath::%s holds an earlier content, fetched again", node->partPath.c_str());
        Utils::DeleteFileAt(node->partPath);
        node->validator.clear();
        existing = 0;
      }
    }
    if (existing == 0) KeepValidator(node->partPath, "");
    node->received = existing;
    node->nextOffset = ranges[i].first + existing;
    node->lastOffset = ranges[i].second;
    node->handle = curl_easy_init();
    node->url = self->realUrl_;
    if (node->nextOffset > node->lastOffset) {
      node->state = 0;
    } else {
      node->state = -1;
      node->file = OpenPartFile(node->partPath, "ab+");
      if (!node->file) node->state = -2;
    }
    pieces.emplace_back(node->partPath, ranges[i].second - ranges[i].first + 1);
    self->parts_.push_back(std::move(node));
  }
  self->hasher_.Begin(std::move(pieces));
  for (auto& node : self->parts_) {
    if (node->state != -1) continue;
    {
      std::lock_guard<std::mutex> lock(self->mutex_);
      ++self->activeParts_;
    }
    self->LaunchThread(std::thread(downloadThreadFun, self, node.get()));
    if (!self->Pause(100)) break;
  }
  self->LaunchThread(std::thread(waitForFinishThreadFun, self));
  return 0;
}


bool CMTCurlDownloader::getRealDownloadUrl(const std::string& url) {
  realUrl_.clear();
  expectedMd5_.clear();
  fileLength_ = 0;
  if (!g_InstallerConfig.CurlReady) return false;
  CURL* handle = curl_easy_init();
  if (!handle) return false;
  curl_slist* headers = curl_slist_append(nullptr, "Connection: keep-alive");
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
  AnswerHeaders answer;
  curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, AnswerHeaders::Collect);
  curl_easy_setopt(handle, CURLOPT_HEADERDATA, &answer);
  validator_.clear();
  int code = 0;
  code |= curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  code |= curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
  code |= curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
  // The package runs with administrator rights: its source is verified.
  code |= curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
  code |= curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
  code |= curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, CurlClient::DiscardBody);
  code |= curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, 60L);
  if (code != 0 || PerformThroughProxy(handle, url) != CURLE_OK) {
    curl_easy_cleanup(handle);
    curl_slist_free_all(headers);
    return false;
  }
  char* effective = nullptr;
  if (curl_easy_getinfo(handle, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective) {
    realUrl_ = effective;
    if (!realUrl_.empty()) {
      UTILS_LOG(L"Download File real url %s", Utils::MultiByteToWide(realUrl_, Utils::kCodePageUtf8).c_str());
      expectedMd5_ = ExpectedMd5(realUrl_);
    }
  }
  curl_off_t length = -1;
  long status = 0;
  if (curl_easy_getinfo(handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK &&
      curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK && status >= 200 && status <= 399) {
    fileLength_ = static_cast<int64_t>(length);
    validator_ = answer.Validator();
    UTILS_LOG(L"Download File Length %lld", static_cast<long long>(fileLength_));
  }
  curl_easy_cleanup(handle);
  curl_slist_free_all(headers);
  return !realUrl_.empty() && fileLength_ >= kMinimumLength;
}

void CMTCurlDownloader::downloadThreadFun(CMTCurlDownloader* self, DownloadPartNode* node) {
  int budget = kBudget;
  int result = downloadExe(self, node);
  while (result != 0 && !self->stopping_.load()) {
    if (budget <= 0) break;
    budget -= result == kPartialFile ? 1 : 2;
    UTILS_LOG(L"CurlDownLoader Code=%d", result);
    if (!self->Pause(self->retryPauseMs_)) break;
    result = downloadExe(self, node);
  }
  if (node->file) {
    std::fclose(node->file);
    node->file = nullptr;
  }
  // The last act of a part thread: after it the finisher owns the node.
  std::lock_guard<std::mutex> lock(self->mutex_);
  --self->activeParts_;
  self->partsChanged_.notify_all();
}

int CMTCurlDownloader::downloadExe(CMTCurlDownloader* self, DownloadPartNode* node) {
  char range[64];
  std::snprintf(range, sizeof range, "%lld-%lld", static_cast<long long>(node->nextOffset),
                static_cast<long long>(node->lastOffset));
  CURL* h = node->handle;
  if (!h) return node->state;
  int result = 0;
  result |= curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  result |= curl_easy_setopt(h, CURLOPT_URL, node->url.c_str());
  result |= curl_easy_setopt(h, CURLOPT_TIMEOUT, 0L);
  result |= curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
  result |= curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, WritePart);
  result |= curl_easy_setopt(h, CURLOPT_WRITEDATA, node);
  result |= curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
  result |= curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, Progress);
  result |= curl_easy_setopt(h, CURLOPT_XFERINFODATA, self);
  result |= curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L);
  result |= curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 60L);
  result |= curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
  result |= curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
  result |= curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
  result |= curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, self->lowSpeedSeconds_);
  result |= curl_easy_setopt(h, CURLOPT_RANGE, range);
  result |= curl_easy_setopt(h, CURLOPT_BUFFERSIZE, 512L * 1024);
  // A resumed range asks for the rest of the content its bytes came from.
  curl_slist* headers = nullptr;
  node->sentIfRange = !node->validator.empty() && node->nextOffset > node->rangeStart;
  if (node->sentIfRange) headers = curl_slist_append(nullptr, ("If-Range: " + node->validator).c_str());
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, AnswerHeaders::Collect);
  curl_easy_setopt(h, CURLOPT_HEADERDATA, &node->answer);
  if (result != 0) {
    curl_easy_reset(h);
    curl_slist_free_all(headers);
    return result;
  }
  node->answerChecked = false;
  node->refusedHtml = false;
  result = PerformThroughProxy(h, node->url);
  // A range that is full is complete, even when the server kept sending
  // (it ignored the range) and the write was refused.
  if (result == CURLE_WRITE_ERROR && node->file && node->nextOffset > node->lastOffset) result = 0;
  if (node->refusedHtml) result = kHtmlAnswer;
  if (result != 0) {
    UTILS_LOG(L"error:%d:%s", result, CurlText(result).c_str());
  } else {
    UTILS_LOG(L"curl_easy_cleanup");
  }
  curl_easy_reset(h);
  curl_slist_free_all(headers);
  if (result == 0 && node->file) {
    // Data a full disk refused to flush is not a complete range.
    if (std::fclose(node->file) != 0) result = CURLE_WRITE_ERROR;
    node->file = nullptr;
  }
  node->state = result;
  return result;
}

size_t CMTCurlDownloader::WritePart(char* data, size_t size, size_t count, void* object) {
  auto* node = static_cast<DownloadPartNode*>(object);
  if (!node->file || node->nextOffset > node->lastOffset) return 0;
  if (!node->answerChecked) {
    if (!FirstChunk(node, data, size * count)) return 0;
    node->answerChecked = true;
  }
  size_t n = size * count;
  const int64_t room = node->lastOffset - node->nextOffset + 1;
  if (static_cast<int64_t>(n) > room) n = static_cast<size_t>(room);
  node->owner->hasher_.Pace(node->rangeStart == 0 ? 0 : 1);
  const size_t written = std::fwrite(data, 1, n, node->file);
  node->nextOffset += static_cast<int64_t>(written);
  node->received += static_cast<int64_t>(written);
  return written;
}

// Decides on an answer from its headers and first bytes. An HTML page is
// refused. A 200 is the file from its first byte: to a request with
// If-Range it means the content changed, so the part file starts again
// (and takes the bytes when its range starts at 0); otherwise the server
// ignores Range, and the bytes belong in this range only if it starts
// there. A 206 that does not start at the next byte to store would splice.
bool CMTCurlDownloader::FirstChunk(DownloadPartNode* node, const char* data, size_t n) {
  long status = 0;
  curl_easy_getinfo(node->handle, CURLINFO_RESPONSE_CODE, &status);
  char* type = nullptr;
  curl_easy_getinfo(node->handle, CURLINFO_CONTENT_TYPE, &type);
  if (LooksLikeHtml(type, data, n)) {
    node->refusedHtml = true;
    ReportHtmlAnswer(type);
    return false;
  }
  if (status == 200 && node->sentIfRange) {
    std::fclose(node->file);
    node->file = OpenPartFile(node->partPath, "wb");
    node->owner->restarted_.store(true);
    UTILS_LOG(L"partPath::%s: the package changed, the range starts again", node->partPath.c_str());
    node->nextOffset = node->rangeStart;
    node->received = 0;
    node->validator = node->answer.Validator();
    KeepValidator(node->partPath, node->validator);
    if (!node->file || node->rangeStart != 0) return false;
  } else if (status == 200 && node->nextOffset != 0) {
    return false;
  } else if (status == 206 && node->answer.StartsElsewhereThan(node->nextOffset)) {
    return false;
  }
  if (node->nextOffset == node->rangeStart) {
    node->validator = node->answer.Validator();
    KeepValidator(node->partPath, node->validator);
  }
  return true;
}

int CMTCurlDownloader::Progress(void* object, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto* self = static_cast<CMTCurlDownloader*>(object);
  if (self->stopping_.load()) return 1;  // the downloader is being destroyed
  std::lock_guard<std::mutex> lock(self->mutex_);
  const int64_t now = static_cast<int64_t>(std::time(nullptr));
  if (now < self->lastProgressSecond_ + 1) return 0;
  self->lastProgressSecond_ = now;
  // Counted in bytes: whether a whole percent has passed is decided in
  // integers, and the fraction is one division.
  int64_t total = 0;
  if (self->fileLength_ >= kMinimumLength) {
    for (const auto& node : self->parts_) {
      const int64_t received = node->received.load();
      if (received > 0) total += received;
    }
  }
  if (total > self->fileLength_) return 0;
  if (total > 0 && (total - self->lastReportedBytes_) * 100 >= self->fileLength_) {
    self->lastReportedBytes_ = total;
    self->Notify(kDownloadProgress, static_cast<double>(total) / static_cast<double>(self->fileLength_), L"");
  }
  return 0;
}

void CMTCurlDownloader::waitForFinishThreadFun(CMTCurlDownloader* self) {
  {
    std::unique_lock<std::mutex> lock(self->mutex_);
    self->partsChanged_.wait(lock, [self] { return self->activeParts_ <= 0; });
  }
  if (self->stopping_.load()) return;
  int cause = 0;
  for (const auto& node : self->parts_) {
    if (node->state != 0) {
      cause = node->state;
      break;
    }
  }
  if (cause == 0) {
    // Every range must hold bytes of one and the same content.
    std::string validator;
    for (const auto& node : self->parts_) {
      if (node->validator.empty()) continue;
      if (!validator.empty() && node->validator != validator) cause = kChangedFile;
      validator = node->validator;
    }
  }
  if (cause == 0) {
    {
      std::lock_guard<std::mutex> lock(self->mutex_);
      self->lastReportedBytes_ = 0;
    }
    // Appends the later parts to part 0 and moves it to the save path. A
    // join that cannot open part 0, copy a part or rename the result fails
    // the pass rather than report a package that is not there.
    FILE* first = Utils::OpenFile(self->PartPath(0), "ab");
    bool ok = first != nullptr && std::fclose(first) == 0;
    for (size_t i = 1; i < self->parts_.size(); ++i) {
      if (ok) ok = AppendFileTo(self->PartPath(0), self->parts_[i]->partPath);
      UTILS_LOG(L"partPath::%s", self->parts_[i]->partPath.c_str());
    }
    // Hashed while the ranges landed, and during the join (which does not
    // touch the bytes the hasher reads): only what is still behind is read
    // now, before the rename moves the files.
    auto hashed = self->hasher_.Finish();
    if (self->restarted_.load()) hashed = {"", -1};
    cause = ok ? 0 : kJoinFailed;
    if (ok) {
      Utils::DeleteFileAt(self->savePath_);
      if (!Utils::ReplaceFile(self->PartPath(0), self->savePath_)) cause = kRenameFailed;
    }
    self->DeletePartFiles();
    if (cause == 0) {
      if (IsUsableMd5(self->expectedMd5_)) {
        std::string actual = hashed.first;
        if (actual.empty() || Utils::FileSize(self->savePath_) != hashed.second) actual = PackageMd5(self->savePath_);
        if (actual.size() == 32 && actual != self->expectedMd5_) {
          self->Notify(kDownloadMd5Notice, 0.0, L"mtcurl文件md5校验失败");
          Utils::DeleteFileAt(self->savePath_);
          self->ClearParts();
          if (!self->retried_) {
            self->retried_ = true;
            UTILS_LOG(L"finish recv, md5 chaek failed retry once.");
            self->Notify(kDownloadRetry, 0.0, L"LibCurl");
          } else {
            UTILS_LOG(L"finish recv, md5 chaek failed and retry failed.");
            self->Notify(kDownloadFailed, 0.0, L"LibCurl");
          }
          return;
        }
      } else {
        self->Notify(kDownloadMd5Notice, 0.0, L"mtcurl获取url-md5失败");
      }
      UTILS_LOG(L"finish recv");
      self->ClearParts();
      self->Notify(kDownloadComplete, 0.0, L"LibCurl");
      return;
    }
  }
  self->hasher_.Abandon();
  self->ClearParts();
  {
    std::lock_guard<std::mutex> lock(self->mutex_);
    if (cause == kChangedFile) self->lastReportedBytes_ = 0;
    if (self->lastReportedBytes_ == 0) self->DeletePartFiles();
  }
  if (!self->retried_) {
    self->retried_ = true;
    self->Notify(kDownloadRetry, cause, L"LibCurl");
  } else {
    {
      std::lock_guard<std::mutex> lock(self->mutex_);
      self->lastReportedBytes_ = 0;
    }
    self->Notify(kDownloadFailed, cause, L"LibCurl");
  }
}



void CMTCurlDownloader::ClearParts() {
  for (auto& node : parts_) {
    if (node->handle) curl_easy_cleanup(node->handle);
    if (node->file) std::fclose(node->file);
  }
  parts_.clear();
}
