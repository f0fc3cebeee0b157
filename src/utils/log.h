// Diagnostic trace lines on the system debugger channel.
//
// Every statement formats one complete line and hands it to the channel with
// one call, so lines from different threads never mix. There is no level, no
// switch and no buffering; the installer's "-log=PATH" adds a copy in a
// file (OpenLogFile). On Windows the channel is
// OutputDebugStringW; on Linux it is standard error, one write(2) per line,
// in UTF-8.
//
//   UTILS_LOG(L"CurlDownLoader Code=%d", code);
//   -> <P01234><T05678><2024-03-05 14:07:09.042>(CCurlDownloader::dlThreadFun)<0152>: CurlDownLoader Code=7
//
// Formats are wide printf formats on both targets, and "%s" / "%c" take wide
// arguments on both (the Windows convention); narrow text is converted by the
// caller before it is passed.
#pragma once

#include <string>

namespace Utils {

struct LogTime {
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// Who writes a line and when: the parts of the prefix that are not the tag.
struct LogOrigin {
  unsigned long processId = 0;
  unsigned long threadId = 0;
  LogTime time;
};

// Formats one line and emits it. Never throws; a line that cannot be
// allocated is dropped.
void OutputDebugPrintf(const wchar_t* format, ...);

namespace log {

// Test seams. Install them before the threads under test start and remove
// them (nullptr) after those threads are joined; the objects must outlive
// their installation. Any thread may call Write/Now concurrently.
class Sink {
 public:
  virtual ~Sink() = default;
  virtual void Write(const std::wstring& line) = 0;
};
class OriginSource {
 public:
  virtual ~OriginSource() = default;
  virtual LogOrigin Now() = 0;
};
void SetSink(Sink* sink);
void SetOriginSource(OriginSource* source);

// The "-log=PATH" switch: from a successful call on, every trace line is
// also appended to `path` in UTF-8 (line ends as written, CR LF), one
// flushed write per line, so the file is complete up to a crash. False
// when the file cannot be opened for appending; a second call replaces the
// first file.
bool OpenLogFile(const std::wstring& path);
void CloseLogFile();

// The real process id, thread id and local time.
LogOrigin SystemOrigin();
LogOrigin CurrentOrigin();

// "void CurlClient::Start()" -> "CurlClient::Start"; lambdas keep the
// enclosing name: "CurlClient::Start()::<lambda(int)>" -> "CurlClient::Start::<lambda>".
std::wstring FunctionTag(const char* prettyFunction);

// Rewrites bare "%s" and "%c" to "%ls" and "%lc" so that they take wide
// arguments under every C library.
std::wstring WideArgumentFormat(const wchar_t* format);

extern const wchar_t kPrefixFormat[];

template <typename... Args>
void Statement(const char* prettyFunction, int line, const wchar_t* message, Args... args) {
  const LogOrigin o = CurrentOrigin();
  std::wstring format;
  std::wstring tag;
  try {
    tag = FunctionTag(prettyFunction);
    format = kPrefixFormat;
    format += message;
    format += L"\r\n";
  } catch (...) {
    return;
  }
  OutputDebugPrintf(format.c_str(), static_cast<int>(o.processId), static_cast<int>(o.threadId),
                    o.time.year, o.time.month, o.time.day, o.time.hour, o.time.minute,
                    o.time.second, o.time.millisecond, tag.c_str(), line, args...);
}

}  // namespace log
}  // namespace Utils

#define UTILS_LOG(message, ...) \
  ::Utils::log::Statement(__PRETTY_FUNCTION__, __LINE__, L"" message, ##__VA_ARGS__)
