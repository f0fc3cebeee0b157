// UTF-8 <-> wide text, the same on both targets (UTF-16 wchar_t on Windows,
// UTF-32 on Linux). Malformed input becomes U+FFFD; nothing throws but
// std::bad_alloc.
#pragma once

#include <string>

namespace Utils {

std::string WideToUtf8(const std::wstring& text);
std::wstring Utf8ToWide(const std::string& bytes);

// Code points: each malformed, truncated, overlong or surrogate sequence
// becomes one U+FFFD per byte it spoils, and decoding goes on with the next
// byte. Appending a code point beyond Unicode or a surrogate appends U+FFFD.
std::u32string DecodeUtf8(const std::string& bytes);
void AppendUtf8(char32_t codepoint, std::string* out);

}  // namespace Utils
