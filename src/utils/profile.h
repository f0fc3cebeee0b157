// Private-profile (ini) files, read and written by the Windows rules.
//
// Windows calls GetPrivateProfileStringW and friends. Linux keeps the same
// rules in its own code (the pure functions below), on UTF-8 files:
//  - section and key names compare case-insensitively; the first section
//    of a name and the first key of a name in it count;
//  - white space around names and values is trimmed, then one pair of
//    matching quotes (" or ') around a value;
//  - a value is cut to the buffer (buffer characters less the terminator);
//  - a missing file, section or key gives the default;
//  - a write creates the file and the section when missing and keeps every
//    other line.
#pragma once

#include <cstddef>
#include <string>

namespace Utils {

constexpr size_t kProfileBuffer = 260;

std::wstring ReadProfileString(const std::wstring& section, const std::wstring& key,
                               const std::wstring& defaultValue, const std::wstring& path,
                               size_t bufferChars = kProfileBuffer);
// Leading decimal digits (with a sign); the default when the key is
// missing or empty, 0 when the value has no digits.
int ReadProfileInt(const std::wstring& section, const std::wstring& key, int defaultValue,
                   const std::wstring& path);
bool StoreProfileString(const std::wstring& section, const std::wstring& key,
                        const std::wstring& value, const std::wstring& path);

namespace profile {

// The value of `key` in `section` of ini text, trimmed and unquoted; false
// when there is none.
bool Lookup(const std::wstring& text, const std::wstring& section, const std::wstring& key,
            std::wstring* value);
// The ini text with `key` in `section` set to `value`.
std::wstring WithValue(const std::wstring& text, const std::wstring& section,
                       const std::wstring& key, const std::wstring& value);
// The private-profile integer rule on a value.
int IntegerOf(const std::wstring& value, int defaultValue);

}  // namespace profile
}  // namespace Utils
