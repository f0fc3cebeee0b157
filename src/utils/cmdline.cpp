#include "cmdline.h"

namespace Utils {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

}  // namespace

std::vector<std::wstring> SplitCommandLine(const std::wstring& line) {
  std::vector<std::wstring> tokens;
  const wchar_t* s = line.c_str();
  const wchar_t* const end = s + line.size();
  if (s == end) return tokens;

  std::wstring token;
  if (*s == L'"') {
    ++s;
    while (s < end && *s != L'"') token += *s++;
    if (s < end) ++s;
  } else {
    while (s < end && !IsBlank(*s)) token += *s++;
  }
  tokens.push_back(token);
  while (s < end && IsBlank(*s)) ++s;
  if (s >= end) return tokens;

  // qcount counts quotes of the current group modulo 3: 1 is inside a
  // group, 2 means a group just closed (a third quote is a literal one).
  token.clear();
  int quotes = 0;
  size_t backslashes = 0;
  while (s < end) {
    if (IsBlank(*s) && quotes == 0) {
      tokens.push_back(token);
      token.clear();
      while (s < end && IsBlank(*s)) ++s;
      backslashes = 0;
      if (s >= end) return tokens;
    } else if (*s == L'\\') {
      token += *s++;
      ++backslashes;
    } else if (*s == L'"') {
      if (backslashes % 2 == 0) {
        token.resize(token.size() - backslashes / 2);
        ++quotes;
      } else {
        token.resize(token.size() - backslashes / 2 - 1);
        token += L'"';
      }
      ++s;
      backslashes = 0;
      while (s < end && *s == L'"') {
        if (++quotes == 3) {
          token += L'"';
          quotes = 0;
        }
        ++s;
      }
      if (quotes == 2) quotes = 0;
    } else {
      token += *s++;
      backslashes = 0;
    }
  }
  tokens.push_back(token);
  return tokens;
}

std::wstring QuoteCommandLineArgument(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes count double only before a quote, ours or the closing one.
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

}  // namespace Utils
