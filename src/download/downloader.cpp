#include "downloader.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <memory>

#include "app/analytics_adapter.h"

#include "utils/file_io.h"
#include "utils/md5.h"
#include "utils/text.h"

std::string ExpectedMd5(const std::string& realUrl) { return Utils::UrlParentName(realUrl); }

bool IsUsableMd5(const std::string& md5) { return md5.size() == 32; }

std::string PackageMd5(const std::wstring& path) {
  FILE* file = path.empty() ? nullptr : Utils::OpenFile(path, "rb");
  if (!file) return "";
  // Large reads: the digest of a package of hundreds of megabytes is on the
  // path between the last byte received and the install.
  constexpr size_t kBlock = 1 << 20;
  std::unique_ptr<unsigned char[]> block(new unsigned char[kBlock]);
  Utils::Md5 md5;
  size_t n;
  while ((n = std::fread(block.get(), 1, kBlock, file)) > 0) md5.Update(block.get(), n);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  return failed ? std::string() : md5.FinalHex();
}

namespace {

bool StartsWithNoCase(const char* data, size_t size, const char* prefix) {
  const size_t n = std::strlen(prefix);
  if (size < n) return false;
  for (size_t i = 0; i < n; ++i) {
    if (std::tolower(static_cast<unsigned char>(data[i])) != prefix[i]) return false;
  }
  return true;
}

std::string Trimmed(const char* data, size_t size) {
  size_t a = 0;
  while (a < size && std::isspace(static_cast<unsigned char>(data[a]))) ++a;
  while (size > a && std::isspace(static_cast<unsigned char>(data[size - 1]))) --size;
  return std::string(data + a, size - a);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The first byte of "bytes FIRST-LAST/TOTAL", read as sscanf's
// "bytes %lld" reads it, -1 when there is none or it is negative. A number
// beyond 64 bits stops at the largest, which matches no byte of any file:
// glibc's and MinGW's sscanf do the same, but the C library is free to
// answer anything there, and an answer that wrapped round could match the
// byte asked for and splice.
int64_t RangeStartOf(const std::string& value) {
  if (value.compare(0, 5, "bytes") != 0) return -1;
  size_t i = 5;
  while (i < value.size() && std::isspace(static_cast<unsigned char>(value[i]))) ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == '+' || value[i] == '-')) negative = value[i++] == '-';
  if (i >= value.size() || !IsDigit(value[i])) return -1;
  int64_t first = 0;
  for (; i < value.size() && IsDigit(value[i]); ++i) {
    const int digit = value[i] - '0';
    if (first > (INT64_MAX - digit) / 10) {
      first = INT64_MAX;
    } else {
      first = first * 10 + digit;
    }
  }
  // "-0" is 0; any other negative start is none.
  return negative && first != 0 ? -1 : first;
}

}  // namespace

bool LooksLikeHtml(const char* contentType, const char* data, size_t size) {
  if (contentType && StartsWithNoCase(contentType, std::strlen(contentType), "text/html")) return true;
  // A UTF-8 byte order mark and white space may come before the markup.
  if (size >= 3 && std::memcmp(data, "\xEF\xBB\xBF", 3) == 0) {
    data += 3;
    size -= 3;
  }
  while (size > 0 && std::isspace(static_cast<unsigned char>(*data))) {
    ++data;
    --size;
  }
  return StartsWithNoCase(data, size, "<!doctype html") || StartsWithNoCase(data, size, "<html");
}

void ReportHtmlAnswer(const char* contentType) {
  wchar_t text[201];
  const std::wstring type = Utils::MultiByteToWide(contentType ? contentType : "", Utils::kCodePageUtf8);
  std::swprintf(text, 201, L"2.下载内容为网页而非安装包，Content-Type=%ls；", type.c_str());
  ReportStep(L"下载失败原因", 0.0f, text);
}

std::wstring ValidatorPath(const std::wstring& partPath) { return partPath + L".validator"; }

std::string ReadValidator(const std::wstring& partPath) {
  FILE* file = Utils::OpenFile(ValidatorPath(partPath), "rb");
  if (!file) return "";
  char buffer[512];
  const size_t n = std::fread(buffer, 1, sizeof buffer, file);
  std::fclose(file);
  return n == sizeof buffer ? std::string() : std::string(buffer, n);
}

void KeepValidator(const std::wstring& partPath, const std::string& validator) {
  const std::wstring path = ValidatorPath(partPath);
  if (validator.empty() || validator.size() >= 512) {
    Utils::DeleteFileAt(path);
    return;
  }
  FILE* file = Utils::OpenFile(path, "wb");
  if (!file) return;
  const bool written = std::fwrite(validator.data(), 1, validator.size(), file) == validator.size();
  // A validator that is not whole would name another content.
  if (std::fclose(file) != 0 || !written) Utils::DeleteFileAt(path);
}

size_t AnswerHeaders::Collect(char* data, size_t size, size_t count, void* object) {
  auto* self = static_cast<AnswerHeaders*>(object);
  const size_t n = size * count;
  const std::string line = Trimmed(data, n);
  if (StartsWithNoCase(line.data(), line.size(), "http/")) {
    *self = AnswerHeaders();
  } else if (StartsWithNoCase(line.data(), line.size(), "etag:")) {
    self->etag = Trimmed(line.data() + 5, line.size() - 5);
  } else if (StartsWithNoCase(line.data(), line.size(), "last-modified:")) {
    self->lastModified = Trimmed(line.data() + 14, line.size() - 14);
  } else if (StartsWithNoCase(line.data(), line.size(), "content-range:")) {
    const int64_t first = RangeStartOf(Trimmed(line.data() + 14, line.size() - 14));
    if (first >= 0) self->rangeStart = first;
  }
  return n;
}
