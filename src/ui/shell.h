// The shell actions of the installer's window: open a page or a program,
// and ask the user for a folder.
//
// UI thread.
#pragma once

#include <functional>
#include <string>

namespace ShellActions {

// Opens a URL in the browser or starts a program, in `folder` when given.
// Windows: ShellExecuteW "open"; Linux: xdg-open for URLs, the program
// itself otherwise. Never waits for what it started.
void Open(const std::wstring& target, const std::wstring& folder, bool maximised);

// The folder browser owned by `owner` (the native window handle, may be
// null) with `title`, opened at `start` where it can be; false when no
// folder with a file-system path was chosen. Windows: the system's dialog
// with its own modal loop. Linux: zenity, else kdialog, as a child process;
// while it runs `pump` keeps the caller's windows alive (painting, timers)
// and returns false to give up, which ends the child.
bool BrowseForFolder(void* owner, const std::wstring& title, const std::wstring& start, std::wstring* folder,
                     const std::function<bool()>& pump);
// Whether BrowseForFolder has a browser to show.
bool CanBrowseForFolder();

// "https://" or "http://" at the start.
bool IsUrl(const std::wstring& target);

}  // namespace ShellActions
