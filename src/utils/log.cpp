#include "log.h"

#include <atomic>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <mutex>

#include "file_io.h"
#include "log_platform.h"
#include "utf8.h"

namespace Utils {
namespace log {
namespace {

std::atomic<Sink*> g_sink{nullptr};
std::atomic<OriginSource*> g_origin{nullptr};

// The copy of the trace in a file: the lock keeps each line whole and
// keeps the file open while a line is written.
std::mutex g_fileLock;
FILE* g_file = nullptr;
std::atomic<bool> g_fileOpen{false};

void AppendToFile(const std::wstring& line) {
  if (!g_fileOpen.load(std::memory_order_acquire)) return;
  const std::string bytes = WideToUtf8(line);
  std::lock_guard<std::mutex> lock(g_fileLock);
  if (!g_file) return;
  std::fwrite(bytes.data(), 1, bytes.size(), g_file);
  std::fflush(g_file);
}

bool EndsWith(const std::string& s, const char* suffix) {
  const std::string::size_type n = std::char_traits<char>::length(suffix);
  return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

bool EndsWithOperatorKeyword(const std::string& s) {
  if (!EndsWith(s, "operator")) return false;
  const std::string::size_type at = s.size() - 8;
  return at == 0 || !(isalnum(static_cast<unsigned char>(s[at - 1])) || s[at - 1] == '_');
}

// Drops every parenthesised group except the "()" of "operator()".
std::string WithoutParameterLists(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (std::string::size_type i = 0; i < s.size(); ++i) {
    if (s[i] != '(') {
      out += s[i];
      continue;
    }
    if (EndsWithOperatorKeyword(out) && i + 1 < s.size() && s[i + 1] == ')') {
      out += "()";
      ++i;
      continue;
    }
    int depth = 0;
    for (; i < s.size(); ++i) {
      if (s[i] == '(') ++depth;
      if (s[i] == ')' && --depth == 0) break;
    }
  }
  return out;
}

std::string WithoutTrailingQualifiers(std::string s) {
  static const char* const kQualifiers[] = {" const", " volatile", " &&", " &", " noexcept",
                                            " override", " final"};
  for (bool stripped = true; stripped;) {
    stripped = false;
    for (const char* q : kQualifiers) {
      if (EndsWith(s, q)) {
        s.resize(s.size() - std::char_traits<char>::length(q));
        stripped = true;
      }
    }
  }
  return s;
}

// Start of the qualified name: after the last blank outside template
// brackets. The symbol characters of an operator name ("operator<") are not
// brackets.
std::string::size_type NameStart(const std::string& s) {
  std::string::size_type start = 0;
  int depth = 0;
  for (std::string::size_type i = 0; i < s.size(); ++i) {
    if (s.compare(i, 8, "operator") == 0 && (i == 0 || !isalnum(static_cast<unsigned char>(s[i - 1])))) {
      i += 8;
      while (i < s.size() && std::string("<>=!+-*/%^&|~[]()").find(s[i]) != std::string::npos) ++i;
      --i;
      continue;
    }
    if (s[i] == '<') ++depth;
    if (s[i] == '>' && depth > 0) --depth;
    if (s[i] == ' ' && depth == 0) start = i + 1;
  }
  return start;
}

}  // namespace

const wchar_t kPrefixFormat[] = L"<P%05d><T%05d><%04d-%02d-%02d %02d:%02d:%02d.%03d>(%s)<%04d>: ";

bool OpenLogFile(const std::wstring& path) {
  FILE* file = OpenFile(path, "ab");
  if (!file) return false;
  std::lock_guard<std::mutex> lock(g_fileLock);
  if (g_file) std::fclose(g_file);
  g_file = file;
  g_fileOpen.store(true, std::memory_order_release);
  return true;
}

void CloseLogFile() {
  std::lock_guard<std::mutex> lock(g_fileLock);
  g_fileOpen.store(false, std::memory_order_release);
  if (g_file) std::fclose(g_file);
  g_file = nullptr;
}

void SetSink(Sink* sink) { g_sink.store(sink, std::memory_order_release); }
void SetOriginSource(OriginSource* source) { g_origin.store(source, std::memory_order_release); }

LogOrigin SystemOrigin() { return platform::Now(); }

LogOrigin CurrentOrigin() {
  if (OriginSource* source = g_origin.load(std::memory_order_acquire)) return source->Now();
  return platform::Now();
}

std::wstring FunctionTag(const char* prettyFunction) {
  std::string s = prettyFunction ? prettyFunction : "";
  const std::string::size_type with = s.rfind(" [with ");
  if (with != std::string::npos) s.resize(with);
  s = WithoutTrailingQualifiers(WithoutParameterLists(s));
  s = s.substr(NameStart(s));
  // Function names are ASCII; anything else is passed through byte by byte.
  return std::wstring(s.begin(), s.end());
}

std::wstring WideArgumentFormat(const wchar_t* format) {
  std::wstring out;
  for (const wchar_t* p = format; *p; ++p) {
    out += *p;
    if (*p != L'%') continue;
    if (p[1] == L'%') {
      out += *++p;
      continue;
    }
    // Flags, width, precision: copied; a length modifier means the caller chose.
    while (p[1] && wcschr(L"-+ #0123456789.*", p[1])) out += *++p;
    if (p[1] == L's' || p[1] == L'c') out += L'l';
  }
  return out;
}

}  // namespace log

void OutputDebugPrintf(const wchar_t* format, ...) {
  if (!format) return;
  try {
    const std::wstring wideFormat = log::WideArgumentFormat(format);
    std::wstring line;
    va_list args;
    va_start(args, format);
    const bool formatted = log::platform::FormatLine(wideFormat.c_str(), args, &line);
    va_end(args);
    if (!formatted) return;
    if (log::Sink* sink = log::g_sink.load(std::memory_order_acquire)) {
      sink->Write(line);
    } else {
      log::platform::EmitLine(line);
    }
    log::AppendToFile(line);
  } catch (...) {
    // A trace line never changes what the caller does.
  }
}

}  // namespace Utils
