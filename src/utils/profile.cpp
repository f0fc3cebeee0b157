#include "profile.h"

#include <climits>
#include <cwctype>
#include <vector>

namespace Utils::profile {
namespace {

bool IsSpace(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f'; }

std::wstring Trim(const std::wstring& s, size_t from, size_t to) {
  while (from < to && IsSpace(s[from])) ++from;
  while (to > from && IsSpace(s[to - 1])) --to;
  return s.substr(from, to - from);
}

bool SameName(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i]))) return false;
  }
  return true;
}

struct Line {
  size_t begin, end;  // in the text, without the line break
};

std::vector<Line> Lines(const std::wstring& text) {
  std::vector<Line> lines;
  size_t from = 0;
  while (from < text.size()) {
    size_t nl = text.find(L'\n', from);
    const size_t next = nl == std::wstring::npos ? text.size() : nl + 1;
    size_t end = nl == std::wstring::npos ? text.size() : nl;
    if (end > from && text[end - 1] == L'\r') --end;
    lines.push_back({from, end});
    from = next;
  }
  return lines;
}

// A "[name]" line gives the text between "[" and the last "]".
bool SectionName(const std::wstring& text, const Line& line, std::wstring* name) {
  size_t b = line.begin;
  while (b < line.end && IsSpace(text[b])) ++b;
  if (b >= line.end || text[b] != L'[') return false;
  size_t close = line.end;
  while (close > b + 1 && text[close - 1] != L']') --close;
  if (close <= b + 1) return false;
  --close;
  *name = text.substr(b + 1, close - b - 1);
  return true;
}

// A "key = value" line; the key is trimmed, the value is left raw.
bool KeyOf(const std::wstring& text, const Line& line, std::wstring* key, size_t* equals) {
  size_t eq = line.begin;
  while (eq < line.end && text[eq] != L'=') ++eq;
  if (eq >= line.end) return false;
  *key = Trim(text, line.begin, eq);
  *equals = eq;
  return true;
}

std::wstring Unquote(std::wstring value) {
  if (value.size() >= 2 && (value[0] == L'"' || value[0] == L'\'') && value.back() == value[0]) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// Finds the first section named `section`: the index of its header line
// (lines.size() for the nameless part before the first header).
bool FindSection(const std::wstring& text, const std::vector<Line>& lines,
                 const std::wstring& section, size_t* header) {
  std::wstring name;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (SectionName(text, lines[i], &name) && SameName(name, section)) {
      *header = i;
      return true;
    }
  }
  return false;
}

}  // namespace

bool Lookup(const std::wstring& text, const std::wstring& section, const std::wstring& key,
            std::wstring* value) {
  const std::vector<Line> lines = Lines(text);
  size_t header = 0;
  if (!FindSection(text, lines, section, &header)) return false;
  std::wstring name, k;
  size_t eq = 0;
  for (size_t i = header + 1; i < lines.size(); ++i) {
    if (SectionName(text, lines[i], &name)) break;
    if (KeyOf(text, lines[i], &k, &eq) && SameName(k, key)) {
      *value = Unquote(Trim(text, eq + 1, lines[i].end));
      return true;
    }
  }
  return false;
}

std::wstring WithValue(const std::wstring& text, const std::wstring& section,
                       const std::wstring& key, const std::wstring& value) {
  const std::vector<Line> lines = Lines(text);
  std::vector<std::wstring> out;
  out.reserve(lines.size() + 3);
  for (const Line& l : lines) out.push_back(text.substr(l.begin, l.end - l.begin));
  size_t header = 0;
  if (!FindSection(text, lines, section, &header)) {
    if (!out.empty() && !Trim(out.back(), 0, out.back().size()).empty()) out.push_back(L"");
    out.push_back(L"[" + section + L"]");
    out.push_back(key + L"=" + value);
  } else {
    std::wstring name, k;
    size_t eq = 0;
    size_t lastContent = header;
    bool done = false;
    for (size_t i = header + 1; i < lines.size(); ++i) {
      if (SectionName(text, lines[i], &name)) break;
      if (KeyOf(text, lines[i], &k, &eq) && SameName(k, key)) {
        out[i] = k + L"=" + value;
        done = true;
        break;
      }
      if (!Trim(out[i], 0, out[i].size()).empty()) lastContent = i;
    }
    if (!done) out.insert(out.begin() + static_cast<std::ptrdiff_t>(lastContent + 1), key + L"=" + value);
  }
  std::wstring result;
  for (const std::wstring& l : out) {
    result += l;
    result += L"\r\n";
  }
  return result;
}

int IntegerOf(const std::wstring& value, int defaultValue) {
  if (value.empty()) return defaultValue;
  size_t i = 0;
  while (i < value.size() && IsSpace(value[i])) ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == L'+' || value[i] == L'-')) negative = value[i++] == L'-';
  long long n = 0;
  for (; i < value.size() && value[i] >= L'0' && value[i] <= L'9'; ++i) {
    // Out-of-range numbers stop growing at the limit.
    if (n < 10000000000LL) n = n * 10 + (value[i] - L'0');
  }
  if (negative) n = -n;
  if (n > INT_MAX) return INT_MAX;
  if (n < INT_MIN) return INT_MIN;
  return static_cast<int>(n);
}

}  // namespace Utils::profile
