// UTF-8 <-> wide text, the same on both targets (UTF-16 wchar_t on Windows,
// UTF-32 on Linux). Malformed input becomes U+FFFD; nothing throws but
// std::bad_alloc.
#pragma once

#include <string>

namespace Utils {

std::string WideToUtf8(const std::wstring& text);
std::wstring Utf8ToWide(const std::string& bytes);

}  // namespace Utils
