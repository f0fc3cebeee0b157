// Text conversion between code pages and the small string rules the
// installer applies to URLs.
//
// Wide text is UTF-16 on Windows and UTF-32 on Linux. Every function returns
// a new string; input that converts to nothing gives an empty string.
// Nothing throws but std::bad_alloc.
#pragma once

#include <string>

namespace Utils {

// Code page numbers as Windows counts them.
constexpr unsigned kCodePageAnsi = 0;      // the system's ANSI code page
constexpr unsigned kCodePageUtf8 = 65001;

// Bytes up to the first zero byte, in the given code page, to wide text.
// Bytes the code page cannot decode become U+FFFD.
std::wstring MultiByteToWide(const std::string& bytes, unsigned codePage);
// Wide text up to the first zero character to the given code page.
// Characters the code page cannot hold become "?".
std::string WideToMultiByte(const std::wstring& text, unsigned codePage);
// UTF-8 -> wide -> the system's ANSI code page.
std::string Utf8ToAnsi(const std::string& bytes);

// UTF-8 bytes 33..126 are kept, a space becomes "+", every other byte
// "%XX" with upper-case digits.
std::wstring UrlEncode(const std::wstring& text);

// Replaces every occurrence of `what`, looking again from the start after
// each replacement. An empty `what` leaves the text as it is; a replacement
// that contains `what` is not searched again (it would never end).
std::wstring ReplaceAll(std::wstring text, const std::wstring& what, const std::wstring& with);

std::wstring ToDecimal(unsigned long number);

// The text between the last "/" but one and the last "/"; empty when there
// are fewer than two.
std::string UrlParentName(const std::string& url);

}  // namespace Utils
