// The multi-part downloader: the package in one or two byte ranges fetched
// in parallel, each into its own part file ("<save path>_0", "_1"), then
// joined and checked against the URL MD5.
//
// Threads: Start runs Start_Down on a "ABDEF" worker, which launches one
// thread per range still to fetch and a finisher, and returns. Part files
// survive a failed pass when progress had been reported, and the next pass
// resumes them. Destroying the downloader aborts the transfers and joins
// every thread it started; no notification arrives after that.
#pragma once

#include <curl/curl.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "downloader.h"
#include "tail_hasher.h"
#include "utils/thread.h"

class CMTCurlDownloader;

struct DownloadPartNode {
  FILE* file = nullptr;
  int64_t nextOffset = 0;  // next byte of the remote file to store
  int64_t lastOffset = 0;  // last byte of the range, inclusive
  CURL* handle = nullptr;
  std::string url;
  std::wstring partPath;
  int32_t state = -1;  // 0 complete, -1 to fetch, -2 part file not openable, else libcurl's code
  std::atomic<int64_t> received{0};  // bytes in the part file; read by every part's progress
  bool answerChecked = false;        // this attempt's response was found to fit the range
  CMTCurlDownloader* owner = nullptr;
  int64_t rangeStart = 0;            // first byte of the range
  std::string validator;             // of the content the part file holds; empty when unknown
  bool sentIfRange = false;          // this attempt asked for the rest of that content only
  bool refusedHtml = false;          // this attempt's answer was an HTML page
  AnswerHeaders answer;              // of this attempt's answer
};

class CMTCurlDownloader : public CDownloader {
 public:
  static constexpr int64_t kPartSize = 10485760;
  static constexpr int64_t kMinimumLength = 256;
  // Causes of a failed join (the ranges were all complete).
  static constexpr int kJoinFailed = -3;
  static constexpr int kRenameFailed = -4;
  // The ranges were stored from two different contents of the file (it
  // changed during the pass): none of them is kept.
  static constexpr int kChangedFile = -5;
  // A range's answer was an HTML page (its state after the attempts).
  static constexpr int kHtmlAnswer = -6;

  CMTCurlDownloader(DownloadNotify notify, const std::wstring& url, const std::wstring& savePath);
  ~CMTCurlDownloader() override;

  void Start() override;

  static unsigned long Start_Down(void* downloader);
  bool getRealDownloadUrl(const std::string& url);
  static int downloadExe(CMTCurlDownloader* downloader, DownloadPartNode* node);
  static void downloadThreadFun(CMTCurlDownloader* downloader, DownloadPartNode* node);
  static void waitForFinishThreadFun(CMTCurlDownloader* downloader);
  static size_t WritePart(char* data, size_t size, size_t count, void* node);
  static bool FirstChunk(DownloadPartNode* node, const char* data, size_t size);
  static int Progress(void* downloader, curl_off_t dltotal, curl_off_t dlnow, curl_off_t ultotal, curl_off_t ulnow);

  // How the file is split: ranges as (first byte, last byte).
  static std::vector<std::pair<int64_t, int64_t>> Ranges(int64_t fileLength);

  // Tests shorten the pauses between attempts and the stall limit.
  void SetTimingForTesting(int retryPauseMs, long lowSpeedSeconds) {
    retryPauseMs_ = retryPauseMs;
    lowSpeedSeconds_ = lowSpeedSeconds;
  }

 private:
  void ClearParts();
  void DeletePartFiles();
  void LaunchThread(std::thread thread);
  void JoinThreads();
  bool Pause(int milliseconds);
  void Notify(int code, double value, const wchar_t* text);
  std::wstring PartPath(int index) const;

  std::vector<std::unique_ptr<DownloadPartNode>> parts_;
  const DownloadNotify notify_;
  const std::wstring savePath_;
  const std::wstring url_;
  std::string realUrl_;
  int64_t fileLength_ = -1;
  std::string expectedMd5_;
  // Bytes of both parts at the last progress notification; 0 while none
  // was made in this attempt.
  int64_t lastReportedBytes_ = 0;  // guarded by mutex_
  int32_t activeParts_ = 0;   // guarded by mutex_
  std::mutex mutex_;
  std::condition_variable partsChanged_;
  int64_t lastProgressSecond_ = 0;  // guarded by mutex_
  bool retried_ = false;
  std::unique_ptr<Utils::Thread> worker_;

  std::mutex threadsMutex_;
  std::vector<std::thread> threads_;  // part threads and finishers not yet joined
  std::atomic<bool> stopping_{false};
  // Hashes the ranges in file order while they land; its digest is not
  // used when a part file had to start again during the pass.
  CTailHasher hasher_;
  std::atomic<bool> restarted_{false};
  std::string validator_;  // the package's, from the preliminary query
  int retryPauseMs_ = 400;
  long lowSpeedSeconds_ = 5;
};
