// The shell actions of the installer's window: open a page or a program,
// and ask the user for a folder.
//
// UI thread.
#pragma once

#include <string>

namespace ShellActions {

// Opens a URL in the browser or starts a program, in `folder` when given.
// Windows: ShellExecuteW "open"; Linux: xdg-open for URLs, the program
// itself otherwise. Never waits for what it started.
void Open(const std::wstring& target, const std::wstring& folder, bool maximised);

// The folder browser owned by `owner` (the native window handle, may be
// null) with `title`; false when no folder with a file-system path was
// chosen. Linux: zenity when installed, else false at once.
bool BrowseForFolder(void* owner, const std::wstring& title, std::wstring* folder);

// "https://" or "http://" at the start.
bool IsUrl(const std::wstring& target);

}  // namespace ShellActions
