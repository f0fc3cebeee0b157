#include "uikit/display_dpi.h"

#include <cstring>

namespace SkinUI {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A positive decimal number ("192", "144.5", " 120 ") rounded half up;
// 0 for anything else. Past a million it is no display scale but garbage.
int ParseDpiValue(const char* begin, const char* end) {
  while (begin < end && IsBlank(*begin)) ++begin;
  while (end > begin && (IsBlank(end[-1]) || end[-1] == '\r')) --end;
  if (begin == end || !IsDigit(*begin)) return 0;
  long whole = 0;
  for (; begin < end && IsDigit(*begin); ++begin) {
    whole = whole * 10 + (*begin - '0');
    if (whole > 1000000) return 0;
  }
  if (begin < end && *begin == '.') {
    ++begin;
    if (begin < end && IsDigit(*begin) && *begin >= '5') ++whole;
    while (begin < end && IsDigit(*begin)) ++begin;
  }
  if (begin != end || whole <= 0) return 0;
  return static_cast<int>(whole);
}

}  // namespace

int ParseXftDpi(const char* resources) {
  if (!resources) return 0;
  static const char kName[] = "Xft.dpi";
  const size_t nameLength = sizeof kName - 1;
  int found = 0;
  for (const char* line = resources; *line;) {
    const char* lineEnd = std::strchr(line, '\n');
    if (!lineEnd) lineEnd = line + std::strlen(line);
    const char* p = line;
    while (p < lineEnd && IsBlank(*p)) ++p;
    if (static_cast<size_t>(lineEnd - p) > nameLength && std::memcmp(p, kName, nameLength) == 0) {
      p += nameLength;
      while (p < lineEnd && IsBlank(*p)) ++p;
      // Xlib keeps the last of repeated entries; an invalid one still
      // replaces a valid one before it.
      if (p < lineEnd && *p == ':') found = ParseDpiValue(p + 1, lineEnd);
    }
    line = *lineEnd ? lineEnd + 1 : lineEnd;
  }
  return found;
}

}  // namespace SkinUI
