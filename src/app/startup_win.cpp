#include <windows.h>

#include <process.h>

#include "app/startup.h"

namespace App {
namespace {

unsigned __stdcall ReportOnItsOwn(void*) {
  ReportFatalCrash();
  return 0;
}

// The reports run on a thread of their own, so that the faulting thread
// can stop waiting for them: one that waits on a lock the crashed thread
// (or any stopped one) holds would otherwise hold the process forever.
LONG WINAPI CrashFilter(EXCEPTION_POINTERS*) {
  const uintptr_t thread = _beginthreadex(nullptr, 256 * 1024, ReportOnItsOwn, nullptr, 0, nullptr);
  if (thread != 0) {
    WaitForSingleObject(reinterpret_cast<HANDLE>(thread), CrashReportSeconds() * 1000);
    CloseHandle(reinterpret_cast<HANDLE>(thread));
  }
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
