#include "text.h"

#include "utf8.h"

namespace Utils {

std::string Utf8ToAnsi(const std::string& bytes) {
  return WideToMultiByte(MultiByteToWide(bytes, kCodePageUtf8), kCodePageAnsi);
}

std::wstring UrlEncode(const std::wstring& text) {
  static const char kHex[] = "0123456789ABCDEF";
  const std::string bytes = WideToMultiByte(text, kCodePageUtf8);
  std::string out;
  out.reserve(bytes.size() * 3);
  for (unsigned char c : bytes) {
    if (c >= 33 && c <= 126) {
      out += static_cast<char>(c);
    } else if (c == ' ') {
      out += '+';
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return MultiByteToWide(out, kCodePageUtf8);
}

std::wstring ReplaceAll(std::wstring text, const std::wstring& what, const std::wstring& with) {
  if (what.empty()) return text;
  // Looking again from the very start finds nothing before the place where
  // the last match began, less what a new match overlapping the replacement
  // could reach; starting there gives the same result without going over
  // the whole text each time.
  const bool selfMatching = with.find(what) != std::wstring::npos;
  std::wstring::size_type from = 0;
  for (;;) {
    const std::wstring::size_type at = text.find(what, from);
    if (at == std::wstring::npos) break;
    text.replace(at, what.size(), with);
    if (selfMatching) {
      from = at + with.size();
    } else {
      from = at >= what.size() - 1 ? at - (what.size() - 1) : 0;
    }
  }
  return text;
}

std::wstring ToDecimal(unsigned long number) {
  wchar_t digits[32];
  int n = 0;
  do {
    digits[n++] = static_cast<wchar_t>(L'0' + number % 10);
    number /= 10;
  } while (number != 0);
  std::wstring out;
  while (n > 0) out += digits[--n];
  return out;
}

std::string UrlParentName(const std::string& url) {
  const std::string::size_type last = url.rfind('/');
  if (last == std::string::npos || last == 0) return std::string();
  const std::string::size_type before = url.rfind('/', last - 1);
  if (before == std::string::npos) return std::string();
  return url.substr(before + 1, last - before - 1);
}

}  // namespace Utils
