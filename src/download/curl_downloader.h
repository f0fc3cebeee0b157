// The single-stream downloader: one CurlClient, a retry budget, and the
// URL MD5 check.
//
// Start runs a pass on a "ABDEF" worker; a Start from inside a
// notification (the answer to 1005) does not wait for the worker it runs
// on. The destructor aborts the transfer and joins the worker.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "curl_client.h"
#include "downloader.h"
#include "utils/thread.h"

class CCurlDownloader : public CDownloader {
 public:
  CCurlDownloader(DownloadNotify notify, const std::wstring& url, const std::wstring& savePath);
  ~CCurlDownloader() override;

  void Start() override;
  static unsigned long dlThreadFun(void* downloader);

  // The pause between two attempts of one pass; tests shorten it.
  void SetRetryPause(int milliseconds) { retryPauseMs_ = milliseconds; }
  // The stall limit of every attempt; tests shorten it.
  void SetLowSpeedTime(long seconds) { client_.SetLowSpeedTime(seconds); }

 private:
  static void Progress(void* owner, double speed, double reserved, double percent);
  void Notify(int code, double value, const wchar_t* text);
  bool PauseBeforeRetry();

  const DownloadNotify notify_;
  const std::wstring savePath_;
  const std::wstring url_;
  CurlClient client_;
  std::unique_ptr<Utils::Thread> worker_;
  bool retried_ = false;  // touched by one pass at a time
  std::atomic<bool> stopping_{false};
  int retryPauseMs_ = 500;
};
