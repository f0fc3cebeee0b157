// What every package downloader offers and reports.
//
// Start begins (or begins again) a pass on the downloader's worker and
// returns at once; everything after that arrives through the notification
// callback, always on a worker thread of the downloader, never on the
// caller's. Codes:
//   1001 begun (1.0)            1002 progress (fraction 0..1)
//   1003 complete and accepted  1004 failed for good (the cause)
//   1005 failed, call Start once more (at most once per downloader)
//   1006 MD5 notice, just before the 1003/1004/1005 it concerns
// Start may be called from inside the callback (the answer to 1005).
// Destroying a downloader stops its transfer and waits for its threads;
// no notification arrives after the destructor returns.
#pragma once

#include <functional>
#include <string>

using DownloadNotify = std::function<void(int code, double value, const wchar_t* text)>;

enum DownloadCode : int {
  kDownloadBegun = 1001,
  kDownloadProgress = 1002,
  kDownloadComplete = 1003,
  kDownloadFailed = 1004,
  kDownloadRetry = 1005,
  kDownloadMd5Notice = 1006,
};

class CDownloader {
 public:
  virtual void Start() = 0;
  virtual ~CDownloader() = default;
};

// The MD5 a package's real URL carries: the segment between its last two
// "/", taken literally. Usable only when it has exactly 32 characters.
std::string ExpectedMd5(const std::string& realUrl);
bool IsUsableMd5(const std::string& md5);

// MD5 of the file at `path` as 32 lower-case hexadecimal digits; empty when
// the file cannot be read.
std::string PackageMd5(const std::wstring& path);
