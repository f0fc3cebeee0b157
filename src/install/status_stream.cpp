#include "status_stream.h"

#include <charconv>
#include <climits>

namespace Install {

const wchar_t kPackageFailText[] = L"\u5b89\u88c5\u5305\u5b89\u88c5\u5931\u8d25";  // 安装包安装失败
const wchar_t kUninstallFailText[] = L"\u5b89\u88c5\u5305\u5378\u8f7d\u5931\u8d25";  // 安装包卸载失败

namespace {

bool IsSpace(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f'; }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

size_t SkipSpace(const std::wstring& s, size_t i) {
  while (i < s.size() && IsSpace(s[i])) ++i;
  return i;
}

bool StartsWith(const std::wstring& line, const wchar_t* key, size_t* keyLength) {
  const std::wstring k(key);
  if (line.compare(0, k.size(), k) != 0) return false;
  *keyLength = k.size();
  return true;
}

// The keys in the order they are tried; the first that begins the line wins.
enum class Key {
  kProgress, kInstPath, kState, kInstallVersion, kExePath, kStartExe, kUninstExePath, kUninstExe,
  kUninstEp, kError, kTopShowDetention, kFinishCloseDetention, kStartUrl, kStartupStyle, kEncode, kMessage,
};
struct KeyName {
  Key key;
  const wchar_t* name;
};
// "FinsihCloseDetention=" is spelled as the packages spell it.
const KeyName kPackageKeys[] = {
    {Key::kProgress, L"Progress="},
    {Key::kInstPath, L"InstPath="},
    {Key::kState, L"State="},
    {Key::kInstallVersion, L"InstallVersion="},
    {Key::kExePath, L"ExePath="},
    {Key::kStartExe, L"StartExe="},
    {Key::kUninstExePath, L"UninstExePath="},
    {Key::kUninstExe, L"UninstExe="},
    {Key::kUninstEp, L"UninstEp="},
    {Key::kError, L"Error="},
    {Key::kTopShowDetention, L"TopShowDetention="},
    {Key::kFinishCloseDetention, L"FinsihCloseDetention="},
    {Key::kStartUrl, L"StartUrl="},
    {Key::kStartupStyle, L"StartupStyle="},
    {Key::kEncode, L"Encode="},
    {Key::kMessage, L"Message="},
};

}  // namespace

std::vector<std::wstring> SplitStatusLines(const std::wstring& chunk) {
  std::vector<std::wstring> lines;
  size_t from = 0;
  for (;;) {
    const size_t lf = chunk.find(L'\n', from);
    if (lf == std::wstring::npos) {
      if (from < chunk.size()) lines.push_back(chunk.substr(from));
      return lines;
    }
    lines.push_back(chunk.substr(from, lf - from));
    from = lf + 1;
  }
}

std::wstring TrimStatusValue(const std::wstring& value) {
  size_t begin = 0, end = value.size();
  while (begin < end && IsSpace(value[begin])) ++begin;
  while (end > begin && IsSpace(value[end - 1])) --end;
  return value.substr(begin, end - begin);
}

std::wstring StatusText(const std::wstring& value) { return value.substr(0, kStatusValueCapacity); }

double LeadingDouble(const std::wstring& value) {
  size_t i = SkipSpace(value, 0);
  std::string number;
  if (i < value.size() && (value[i] == L'+' || value[i] == L'-')) {
    if (value[i] == L'-') number += '-';
    ++i;
  }
  size_t digits = 0;
  while (i < value.size() && IsDigit(value[i])) number += static_cast<char>(value[i++]), ++digits;
  if (i < value.size() && value[i] == L'.') {
    number += '.';
    ++i;
    while (i < value.size() && IsDigit(value[i])) number += static_cast<char>(value[i++]), ++digits;
  }
  if (digits == 0) return 0.0;
  if (i + 1 < value.size() && (value[i] == L'e' || value[i] == L'E')) {
    size_t j = i + 1;
    std::string exponent = "e";
    if (value[j] == L'+' || value[j] == L'-') exponent += static_cast<char>(value[j++]);
    if (j < value.size() && IsDigit(value[j])) {
      while (j < value.size() && IsDigit(value[j])) exponent += static_cast<char>(value[j++]);
      number += exponent;
    }
  }
  double result = 0.0;
  std::from_chars(number.data(), number.data() + number.size(), result);
  return result;
}

int32_t LeadingInteger(const std::wstring& value, bool* ok, bool* inRange) {
  size_t i = SkipSpace(value, 0);
  bool negative = false;
  if (i < value.size() && (value[i] == L'+' || value[i] == L'-')) negative = value[i++] == L'-';
  long long magnitude = 0;
  bool any = false, fits = true;
  for (; i < value.size() && IsDigit(value[i]); ++i) {
    any = true;
    if (magnitude <= 0xFFFFFFFFLL) magnitude = magnitude * 10 + (value[i] - L'0');
  }
  long long signedValue = negative ? -magnitude : magnitude;
  if (signedValue > INT32_MAX) signedValue = INT32_MAX, fits = false;
  if (signedValue < INT32_MIN) signedValue = INT32_MIN, fits = false;
  if (ok) *ok = any;
  if (inRange) *inRange = fits;
  return any ? static_cast<int32_t>(signedValue) : 0;
}

int32_t EncodeCodePage(const std::wstring& value) {
  const std::wstring name = TrimStatusValue(value);
  if (name == L"UTF8") return 65001;
  if (name == L"ACP") return 0;
  bool ok = false, inRange = false;
  const int32_t number = LeadingInteger(name, &ok, &inRange);
  return ok && inRange ? number : 0;
}

int StartupStyleNumber(const std::wstring& value) {
  const std::wstring style = TrimStatusValue(value);
  if (style == L"AutoStartup") return 1;
  if (style == L"UserStartup") return 2;
  return 0;
}

void ReadInstallVersion(const std::wstring& value, int32_t version[3]) {
  // Like swscanf("%d.%d.%d"): each number may have white space and a sign
  // before it; the dot must follow the number directly.
  size_t i = 0;
  for (int part = 0; part < 3; ++part) {
    if (part > 0) {
      if (i >= value.size() || value[i] != L'.') return;
      ++i;
    }
    size_t j = SkipSpace(value, i);
    if (j < value.size() && (value[j] == L'+' || value[j] == L'-')) ++j;
    if (j >= value.size() || !IsDigit(value[j])) return;
    while (j < value.size() && IsDigit(value[j])) ++j;
    version[part] = LeadingInteger(value.substr(i, j - i));
    i = j;
  }
}

int ParsePackageChunk(const std::wstring& chunk, PackageStreamState* state, std::vector<StatusEvent>* events) {
  int result = kStreamNoState;
  for (const std::wstring& line : SplitStatusLines(chunk)) {
    for (const KeyName& k : kPackageKeys) {
      size_t length = 0;
      if (!StartsWith(line, k.name, &length)) continue;
      const std::wstring value = line.substr(length);
      auto send = [&](int code, double number, const std::wstring& text) {
        events->push_back(StatusEvent{code, number, StatusText(text), k.name});
      };
      switch (k.key) {
        case Key::kProgress: send(kInstallProgress, LeadingDouble(value), L""); break;
        case Key::kInstPath: send(kReportInstallPath, 0.0, value); break;
        case Key::kState: {
          const std::wstring verdict = TrimStatusValue(value);
          if (verdict == L"Success") {
            send(kInstallSucceeded, 0.0, L"");
            result = kStreamSuccess;
          } else if (verdict == L"Fail") {
            send(kInstallFailed, 0.0, kPackageFailText);
            result = kStreamFailure;
          }
          break;
        }
        case Key::kInstallVersion: ReadInstallVersion(value, state->version); break;
        case Key::kExePath:
        case Key::kStartExe: send(kReportProductExe, 0.0, value); break;
        case Key::kUninstExePath:
        case Key::kUninstExe: send(kReportUninstallerExe, 0.0, value); break;
        case Key::kUninstEp: send(kReportUninstallerEp, 0.0, value); break;
        case Key::kError:
          send(kInstallFailed, 1000.0, value);
          result = kStreamFailure;
          break;
        case Key::kTopShowDetention:
          send(kReportTopShowDelay, static_cast<double>(static_cast<uint32_t>(LeadingInteger(value))), L"");
          break;
        case Key::kFinishCloseDetention:
          send(kReportFinishCloseDelay, static_cast<double>(static_cast<uint32_t>(LeadingInteger(value))), L"");
          break;
        case Key::kStartUrl: send(kReportStartUrl, 0.0, value); break;
        case Key::kStartupStyle: send(kReportStartupStyle, StartupStyleNumber(value), L""); break;
        case Key::kEncode: state->codePage = EncodeCodePage(value); break;
        case Key::kMessage: send(kReportMessage, 0.0, value); break;
      }
      break;
    }
  }
  return result;
}

int ParseUninstallChunk(const std::wstring& chunk, int32_t* codePage, std::vector<StatusEvent>* events) {
  int result = kStreamNoState;
  for (const std::wstring& line : SplitStatusLines(chunk)) {
    size_t length = 0;
    const wchar_t* key = nullptr;
    for (const wchar_t* k : {L"Progress=", L"Error=", L"State=", L"Encode="}) {
      if (StartsWith(line, k, &length)) {
        key = k;
        break;
      }
    }
    if (!key) continue;
    const std::wstring value = line.substr(length);
    auto send = [&](int code, double number, const std::wstring& text) {
      events->push_back(StatusEvent{code, number, StatusText(text), key});
    };
    const std::wstring name(key);
    if (name == L"Progress=") {
      send(kUninstallProgress, LeadingDouble(value), L"");
    } else if (name == L"Error=") {
      send(kUninstallFailed, 0.0, value);
      result = kStreamFailure;
    } else if (name == L"State=") {
      const std::wstring verdict = TrimStatusValue(value);
      if (verdict == L"Success") {
        send(kUninstallSucceeded, 0.0, L"");
        result = kStreamSuccess;
      } else if (verdict == L"Fail") {
        send(kUninstallFailed, 0.0, kUninstallFailText);
        result = kStreamFailure;
      }
    } else {
      // Only UTF-8 is told apart; any other name means the ANSI code page.
      *codePage = TrimStatusValue(value) == L"UTF8" ? 65001 : 0;
    }
  }
  return result;
}

}  // namespace Install
