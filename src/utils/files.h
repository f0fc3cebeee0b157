// Folders: the installer's temporary work folder and folder trees.
#pragma once

#include <string>
#include <vector>

namespace Utils {

// The separator of the platform's paths: "\" on Windows, "/" on Linux.
wchar_t PathSeparator();

// The user's temp folder followed by "~TarVixTemp.92482B06FB471E17" and a
// separator. Creates that one folder when it is missing; empty when it
// neither exists nor can be created.
std::wstring TempWorkFolder();

// Creates every missing folder of `path`, walking it from the left. False
// for a path longer than 260 characters (nothing is touched), as soon as
// one creation fails, and when a level exists but is a file (an install
// folder that is a file could never hold the installation).
bool CreateDirectoryTree(const std::wstring& path);

// The prefixes CreateDirectoryTree visits, in order: each prefix up to and
// including a separator, then the whole path unless it ends in one.
std::vector<std::wstring> DirectoryTreePrefixes(const std::wstring& path, wchar_t separator);

// The running program's full path (Windows: at most 259 characters, cut
// as GetModuleFileNameW cuts it); empty when it cannot be had.
std::wstring ExecutablePath();

bool PathExists(const std::wstring& path);
bool IsDirectory(const std::wstring& path);
bool CreateOneDirectory(const std::wstring& path);

}  // namespace Utils
