#include <windows.h>

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <new>

#include "log_platform.h"

namespace Utils::log::platform {

bool FormatLine(const wchar_t* format, va_list args, std::wstring* out) {
  va_list counting;
  va_copy(counting, args);
  const int count = _vscwprintf(format, counting);
  va_end(counting);
  if (count < 0 || count > INT_MAX / 2 - 2) return false;
  const size_t size = static_cast<size_t>(count) + 2;
  wchar_t* buffer = new (std::nothrow) wchar_t[size];
  if (!buffer) return false;
  va_list copy;
  va_copy(copy, args);
  const int n = _vsnwprintf(buffer, size, format, copy);
  va_end(copy);
  if (n >= 0) out->assign(buffer, static_cast<size_t>(n));
  delete[] buffer;
  return n >= 0;
}

void EmitLine(const std::wstring& line) { OutputDebugStringW(line.c_str()); }

LogOrigin Now() {
  LogOrigin o;
  o.processId = GetCurrentProcessId();
  o.threadId = GetCurrentThreadId();
  SYSTEMTIME t;
  GetLocalTime(&t);
  o.time.year = t.wYear;
  o.time.month = t.wMonth;
  o.time.day = t.wDay;
  o.time.hour = t.wHour;
  o.time.minute = t.wMinute;
  o.time.second = t.wSecond;
  o.time.millisecond = t.wMilliseconds;
  return o;
}

}  // namespace Utils::log::platform
