#include "utf8.h"

namespace Utils {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void Append(std::string* out, char32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacement;
  if (c < 0x80) {
    *out += static_cast<char>(c);
  } else if (c < 0x800) {
    *out += static_cast<char>(0xC0 | (c >> 6));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out += static_cast<char>(0xE0 | (c >> 12));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *out += static_cast<char>(0xF0 | (c >> 18));
    *out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void AppendWide(std::wstring* out, char32_t c) {
  if constexpr (sizeof(wchar_t) == 2) {
    if (c >= 0x10000) {
      c -= 0x10000;
      *out += static_cast<wchar_t>(0xD800 + (c >> 10));
      *out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
      return;
    }
  }
  *out += static_cast<wchar_t>(c);
}

}  // namespace

std::string WideToUtf8(const std::wstring& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 2);
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = static_cast<char32_t>(text[i]);
    if constexpr (sizeof(wchar_t) == 2) {
      c &= 0xFFFF;
      if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
        const char32_t low = static_cast<char32_t>(text[i + 1]) & 0xFFFF;
        if (low >= 0xDC00 && low <= 0xDFFF) {
          c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
          ++i;
        }
      }
    }
    Append(&out, c);
  }
  return out;
}

namespace {

// One code point from p[i..n): its value and length, or U+FFFD and 1.
char32_t DecodeAt(const unsigned char* p, size_t n, size_t i, size_t* length) {
  static const char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
  const unsigned char lead = p[i];
  const int extra = lead < 0x80 ? 0 : (lead >> 5) == 0x6 ? 1 : (lead >> 4) == 0xE ? 2 : (lead >> 3) == 0x1E ? 3 : -1;
  *length = 1;
  if (extra == 0) return lead;
  if (extra < 0 || n - i <= static_cast<size_t>(extra)) return kReplacement;
  char32_t c = lead & (0x7F >> extra);
  int k = 1;
  for (; k <= extra && (p[i + k] & 0xC0) == 0x80; ++k) c = (c << 6) | (p[i + k] & 0x3F);
  // Resynchronised on the next byte when the sequence is spoilt.
  if (k <= extra || c < kMin[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return kReplacement;
  *length = static_cast<size_t>(extra) + 1;
  return c;
}

}  // namespace

std::wstring Utf8ToWide(const std::string& bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  for (size_t i = 0, length = 0; i < bytes.size(); i += length) AppendWide(&out, DecodeAt(p, bytes.size(), i, &length));
  return out;
}

std::u32string DecodeUtf8(const std::string& bytes) {
  std::u32string out;
  out.reserve(bytes.size());
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  for (size_t i = 0, length = 0; i < bytes.size(); i += length) out.push_back(DecodeAt(p, bytes.size(), i, &length));
  return out;
}

void AppendUtf8(char32_t codepoint, std::string* out) { Append(out, codepoint); }

}  // namespace Utils
