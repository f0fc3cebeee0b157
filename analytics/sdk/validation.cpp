#include "validation.h"

namespace analytics_sdk {
namespace {

bool InRange(unsigned char c, unsigned char low, unsigned char high) {
  return c >= low && c <= high;
}

bool IsContinuation(unsigned char c) { return InRange(c, 0x80, 0xBF); }

// Length of the sequence that starts at bytes[at], or 0 when none does.
size_t SequenceLength(const std::string& bytes, size_t at) {
  const size_t left = bytes.size() - at;
  auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[at + i]); };
  const unsigned char lead = byte(0);
  if (lead == 0x09 || lead == 0x0A || lead == 0x0D || InRange(lead, 0x20, 0x7E)) return 1;
  // Each lead byte: how many bytes follow and the range the first of them
  // must fall in (narrower than 80-BF where it excludes overlong forms,
  // surrogates and code points above U+10FFFF).
  size_t follow = 0;
  unsigned char low = 0x80, high = 0xBF;
  if (InRange(lead, 0xC2, 0xDF)) {
    follow = 1;
  } else if (lead == 0xE0) {
    follow = 2, low = 0xA0;
  } else if (InRange(lead, 0xE1, 0xEC) || InRange(lead, 0xEE, 0xEF)) {
    follow = 2;
  } else if (lead == 0xED) {
    follow = 2, high = 0x9F;
  } else if (lead == 0xF0) {
    follow = 3, low = 0x90;
  } else if (InRange(lead, 0xF1, 0xF3)) {
    follow = 3;
  } else if (lead == 0xF4) {
    follow = 3, high = 0x8F;
  } else {
    return 0;
  }
  if (left < follow + 1 || !InRange(byte(1), low, high)) return 0;
  for (size_t i = 2; i <= follow; ++i) {
    if (!IsContinuation(byte(i))) return 0;
  }
  return follow + 1;
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

}  // namespace

bool IsValidUtf8(const std::string& bytes) {
  for (size_t at = 0; at < bytes.size();) {
    const size_t n = SequenceLength(bytes, at);
    if (n == 0) return false;
    at += n;
  }
  return true;
}

bool CheckName(const std::string& label, const std::string& value, std::string* message) {
  if (value.empty() || value.size() > 100) {
    *message = "The " + label + " is empty or too long, max length is 100";
    return false;
  }
  for (size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    const bool ok = IsLetter(c) || c == '$' || c == '_' || (i > 0 && c >= '0' && c <= '9');
    if (!ok) {
      *message = "The " + label + " need to be a valid variable name.";
      return false;
    }
  }
  return true;
}

bool CheckId(const std::string& label, const std::string& value, std::string* message) {
  if (value.empty()) {
    *message = "The " + label + " is empty.";
    return false;
  }
  if (value.size() > 255) {
    *message = "The " + label + " is too long, max length is 255.";
    return false;
  }
  return true;
}

}  // namespace analytics_sdk
