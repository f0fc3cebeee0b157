// Files named by wide paths, the same names on both targets: Windows opens
// the UTF-16 path itself (so names outside the ANSI code page work too);
// Linux opens the path's UTF-8 bytes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace Utils {

// fopen with a wide path; mode as for fopen ("rb", "ab+", ...).
FILE* OpenFile(const std::wstring& path, const char* mode);
// Size in bytes, or -1 when the file cannot be examined.
int64_t FileSize(const std::wstring& path);
bool FileExists(const std::wstring& path);
// True when the file is gone afterwards (a missing file is not an error).
bool DeleteFileAt(const std::wstring& path);
// Moves `from` over `to`, replacing an existing `to`.
bool ReplaceFile(const std::wstring& from, const std::wstring& to);

}  // namespace Utils
