#include "uikit/values.h"

#include <climits>
#include <cstddef>
#include <vector>

namespace SkinUI {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string Trim(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Exactly `count` comma-separated integers.
bool ParseIntList(const std::string& text, int* values, size_t count) {
  size_t start = 0;
  for (size_t i = 0; i < count; ++i) {
    size_t comma = text.find(',', start);
    bool last = i + 1 == count;
    if (last != (comma == std::string::npos)) return false;
    std::string part = text.substr(start, last ? std::string::npos : comma - start);
    if (!ParseInt(part, &values[i])) return false;
    start = comma + 1;
  }
  return true;
}

bool ParseHexDigits(const std::string& digits, uint32_t* out) {
  if (digits.size() != 8 && digits.size() != 6) return false;
  uint32_t value = 0;
  for (char c : digits) {
    int d = HexDigit(c);
    if (d < 0) return false;
    value = value << 4 | static_cast<uint32_t>(d);
  }
  if (digits.size() == 6) value |= 0xFF000000u;
  *out = value;
  return true;
}

// One key='value' pair starting at *pos; advances past it.
bool NextPair(const std::string& text, size_t* pos, std::string* key, std::string* value) {
  size_t i = *pos;
  size_t keyStart = i;
  while (i < text.size() && text[i] != '=' && !IsBlank(text[i]) && text[i] != '\'') ++i;
  *key = text.substr(keyStart, i - keyStart);
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (key->empty() || i >= text.size() || text[i] != '=') return false;
  ++i;
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (i >= text.size() || text[i] != '\'') return false;
  size_t close = text.find('\'', i + 1);
  if (close == std::string::npos) return false;
  *value = text.substr(i + 1, close - i - 1);
  *pos = close + 1;
  return true;
}

bool LooksLikePairs(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && text[i] != '=' && !IsBlank(text[i]) && text[i] != '\'') ++i;
  if (i == 0) return false;
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (i >= text.size() || text[i] != '=') return false;
  ++i;
  while (i < text.size() && IsBlank(text[i])) ++i;
  return i < text.size() && text[i] == '\'';
}

bool ApplyPair(const std::string& key, const std::string& value, ImageDescriptor* d) {
  if (key == "file") {
    d->file = value;
  } else if (key == "res") {
    d->res = value;
  } else if (key == "restype") {
    d->restype = value;
  } else if (key == "color") {
    if (!ParseColour(value, &d->color)) return false;
    d->hasColor = true;
  } else if (key == "dest") {
    return ParseRect(value, &d->dest);
  } else if (key == "source") {
    return ParseRect(value, &d->source);
  } else if (key == "corner" || key == "scale9") {
    return ParseRect(value, &d->corner);
  } else if (key == "mask") {
    std::string v = Trim(value);
    if (!v.empty() && v[0] == '#') v.erase(0, 1);
    else if (v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X')) v.erase(0, 2);
    if (!ParseHexDigits(v, &d->mask)) return false;
    d->hasMask = true;
  } else if (key == "fade") {
    int fade = 0;
    if (!ParseInt(value, &fade)) return false;
    d->fade = fade < 0 ? 0 : fade > 255 ? 255 : fade;
  } else if (key == "hole") {
    d->hole = ParseBool(value);
  } else if (key == "xtiled") {
    d->xtiled = ParseBool(value);
  } else if (key == "ytiled") {
    d->ytiled = ParseBool(value);
  } else if (key == "hsl") {
    d->hsl = ParseBool(value);
  }
  return true;
}

}  // namespace

bool ParseInt(const std::string& text, int* out) {
  *out = 0;
  std::string t = Trim(text);
  size_t i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == '-' || t[i] == '+')) negative = t[i++] == '-';
  if (i == t.size()) return false;
  long long value = 0;
  for (; i < t.size(); ++i) {
    if (t[i] < '0' || t[i] > '9') return false;
    value = value * 10 + (t[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) return false;
  }
  if (negative) value = -value;
  if (value > INT_MAX || value < INT_MIN) return false;
  *out = static_cast<int>(value);
  return true;
}

bool ParseRect(const std::string& text, Rect* out) {
  int v[4];
  *out = Rect{};
  if (!ParseIntList(text, v, 4)) return false;
  *out = Rect{v[0], v[1], v[2], v[3]};
  return true;
}

bool ParseSize(const std::string& text, Size* out) {
  int v[2];
  *out = Size{};
  if (!ParseIntList(text, v, 2)) return false;
  *out = Size{v[0], v[1]};
  return true;
}

bool ParsePoint(const std::string& text, Point* out) {
  int v[2];
  *out = Point{};
  if (!ParseIntList(text, v, 2)) return false;
  *out = Point{v[0], v[1]};
  return true;
}

bool ParseColour(const std::string& text, uint32_t* out) {
  *out = 0;
  std::string t = Trim(text);
  std::string digits;
  if (!t.empty() && t[0] == '#') digits = t.substr(1);
  else if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) digits = t.substr(2);
  else return false;
  return ParseHexDigits(digits, out);
}

bool ParseBool(const std::string& text) { return text == "true"; }

bool ParseImageDescriptor(const std::string& text, ImageDescriptor* out) {
  *out = ImageDescriptor{};
  std::string t = Trim(text);
  if (t.empty()) return false;
  if (!LooksLikePairs(t)) {
    out->file = t;
    return true;
  }
  ImageDescriptor d;
  size_t pos = 0;
  while (pos < t.size()) {
    std::string key, value;
    if (!NextPair(t, &pos, &key, &value) || !ApplyPair(key, value, &d)) return false;
    if (pos < t.size() && !IsBlank(t[pos])) return false;
    while (pos < t.size() && IsBlank(t[pos])) ++pos;
  }
  *out = d;
  return true;
}

}  // namespace SkinUI
