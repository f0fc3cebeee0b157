#include <windows.h>

#include "app/startup.h"

namespace App {
namespace {

LONG WINAPI CrashFilter(EXCEPTION_POINTERS*) {
  ReportFatalCrash();
  return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

void HardenLibrarySearch() {
  wchar_t system[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll")) {
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefault) setDefault(0x800);  // LOAD_LIBRARY_SEARCH_SYSTEM32
  }
  SetDllDirectoryW(L"");
  if (length == 0 || length >= MAX_PATH) return;
  static const wchar_t* const kPreloaded[] = {L"version.dll",  L"ws2_32.dll",  L"sxs.dll",
                                              L"dwmapi.dll",   L"msimg32.dll", L"d3d8.dll",
                                              L"ieframe.dll",  L"ws2help.dll", L"WindowsCodecs.dll"};
  for (const wchar_t* name : kPreloaded) {
    std::wstring path(system, length);
    path += L'\\';
    path += name;
    LoadLibraryW(path.c_str());  // kept loaded; a missing one is fine
  }
}

void InstallCrashReporter() { SetUnhandledExceptionFilter(CrashFilter); }

}  // namespace App
