// One remote file into one local file through libcurl, with resume.
//
// The client learns the file's final address (real URL) and length with
// header requests, writes the body into "<save path>.part", resumes a part
// file left by an earlier attempt, reports percent progress at most once a
// second, and on success moves the part file over the save path. One Start
// is one attempt; the owner decides about retries.
//
// Threads: every call runs on the owner's worker thread, except Abort,
// which any thread may call. Destroying the client deletes the part file;
// the owner must have ended the transfer (joined its worker) first.
#pragma once

#include <curl/curl.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "downloader.h"
#include "tail_hasher.h"

class CurlClient {
 public:
  // (owner, speed in bytes per second, reserved, percent)
  using ProgressHook = void (*)(void* owner, double speed, double reserved, double percent);

  static constexpr int kPartFileFailed = -996;
  static constexpr int kHandleFailed = -997;
  static constexpr int kLengthUnusable = -998;
  // The finished part file could not be moved over the save path.
  static constexpr int kRenameFailed = -995;
  // The server answered an HTML page instead of the package.
  static constexpr int kHtmlAnswer = -994;
  // A transfer that moves less than 1 byte per second for this long ends
  // with libcurl's time-out code (28).
  static constexpr long kLowSpeedSeconds = 30;
  static constexpr double kMinimumLength = 1048576.0;

  CurlClient(const std::wstring& url, const std::wstring& savePath, void* owner, ProgressHook hook);
  ~CurlClient();
  CurlClient(const CurlClient&) = delete;
  CurlClient& operator=(const CurlClient&) = delete;

  // One download attempt: 0, a libcurl result code, or one of the negative
  // codes above.
  int Start();
  // Makes the next progress call end the transfer (libcurl code 42).
  void Abort() { abort_.store(true); }

  static int ProgressCallback(void* client, curl_off_t dltotal, curl_off_t dlnow,
                              curl_off_t ultotal, curl_off_t ulnow);
  // A header-only request that follows redirects; the caller cleans the
  // handle up (it may be null).
  static CURL* Head(const std::string& url);
  static std::string GetRealUrl(CURL* handle);
  static double GetDownloadFileLength(CURL* handle);
  static double GetDownloadFileLength_Str(const std::string& url);
  static std::string GetRealUrl_Str(const std::string& url);
  static size_t DiscardBody(char* data, size_t size, size_t count, void* user);

  std::wstring GetSavePath(bool withPart) const;
  const std::string& RealUrl() const { return realUrl_; }
  double FileLength() const { return fileLength_; }
  // After a successful Start: the MD5 (32 lower-case hexadecimal digits)
  // of the bytes moved to the save path, hashed as they arrived; empty
  // when it is not known.
  const std::string& Digest() const { return digest_; }
  int64_t DigestLength() const { return digestLength_; }

  // Tests shorten the stall limit.
  void SetLowSpeedTime(long seconds) { lowSpeedSeconds_ = seconds; }

 private:
  // Where the body goes: the part file, the digest of everything in it,
  // and what is known of the answer being received.
  struct Sink {
    CurlClient* client = nullptr;
    FILE* file = nullptr;
    bool ranged = false;        // this attempt asked for the rest of the part file
    bool firstChunk = true;     // nothing of this answer has been seen yet
    bool refusedHtml = false;
    bool failed = false;        // a write or restart failed
    AnswerHeaders answer;
  };

  std::string NarrowUrl() const;
  int Transfer(Sink* sink);
  static size_t WriteBody(char* data, size_t size, size_t count, void* sink);
  bool FirstChunk(Sink* sink, const char* data, size_t n);

  const std::wstring url_;
  const std::wstring savePath_;
  void* const owner_;
  CURL* handle_ = nullptr;  // the main transfer, read by ProgressCallback
  const ProgressHook hook_;
  double fileLength_ = -1.0;
  int64_t resumeOffset_ = -1;
  int64_t lastProgressSecond_ = 0;
  std::atomic<bool> abort_{false};
  std::string realUrl_;

  // Hashes the part file behind the write path during an attempt (its
  // existing bytes first), so a finished file is checked without a second
  // pass.
  CTailHasher hasher_;
  std::string digest_;
  int64_t digestLength_ = -1;
  long lowSpeedSeconds_ = kLowSpeedSeconds;
};
