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

#include <cstddef>
#include <cstdint>
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

// A package answer that is an HTML page (a portal's or a proxy's error
// page sent with 200): by its Content-Type, or by its first bytes when the
// type claims otherwise. Such an answer is never stored.
bool LooksLikeHtml(const char* contentType, const char* data, size_t size);
// The download failure report for such an answer.
void ReportHtmlAnswer(const char* contentType);

// The server's validator of the content a part file holds (its ETag, else
// its Last-Modified), kept beside the part file as "<part file>.validator"
// so that a resumed request can ask for the rest of that same content only.
std::wstring ValidatorPath(const std::wstring& partPath);
std::string ReadValidator(const std::wstring& partPath);  // empty when none is kept
void KeepValidator(const std::wstring& partPath, const std::string& validator);  // empty: none

// What the body-writing code needs to know of the answer being received:
// collected by libcurl's header function, reset at every status line (so
// after redirects it describes the last answer).
struct AnswerHeaders {
  std::string etag;
  std::string lastModified;
  int64_t rangeStart = -1;  // first byte of a Content-Range, -1 without one

  std::string Validator() const { return etag.empty() ? lastModified : etag; }
  // A 206 with this Content-Range would splice other bytes in after
  // `asked`, the first byte the request asked for. Without a readable
  // Content-Range the answer is taken as starting there.
  bool StartsElsewhereThan(int64_t asked) const { return rangeStart >= 0 && rangeStart != asked; }
  // CURLOPT_HEADERFUNCTION with CURLOPT_HEADERDATA = an AnswerHeaders.
  static size_t Collect(char* data, size_t size, size_t count, void* headers);
};
