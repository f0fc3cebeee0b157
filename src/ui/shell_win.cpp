#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include "ui/shell.h"

namespace ShellActions {

void Open(const std::wstring& target, const std::wstring& folder, bool maximised) {
  ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, folder.empty() ? nullptr : folder.c_str(),
                maximised ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
}

bool CanBrowseForFolder() { return true; }

bool BrowseForFolder(void* owner, const std::wstring& title, const std::wstring& /*start*/, std::wstring* folder,
                     const std::function<bool()>& /*pump*/) {
  BROWSEINFOW info = {};
  info.hwndOwner = static_cast<HWND>(owner);
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_NEWDIALOGSTYLE | BIF_RETURNONLYFSDIRS;
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  bool chosen = false;
  if (PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info)) {
    wchar_t path[MAX_PATH] = {};
    if (SHGetPathFromIDListW(item, path) && path[0]) {
      *folder = path;
      chosen = true;
    }
    CoTaskMemFree(item);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return chosen;
}

}  // namespace ShellActions
