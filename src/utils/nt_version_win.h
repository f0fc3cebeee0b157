// The real Windows version numbers. ntdll's RtlGetNtVersionNumbers is not
// shimmed by compatibility modes, unlike GetVersionEx, so it tells the
// version the machine really runs. For the Windows files only.
#pragma once

#include <windows.h>

namespace Utils {

// False, with the numbers left as they are, when ntdll or the function
// cannot be had. The build number's high bits are flags: callers mask it.
inline bool NtVersionNumbers(DWORD* major, DWORD* minor, DWORD* build) {
  HMODULE ntdll = LoadLibraryW(L"ntdll.dll");
  if (!ntdll) return false;
  using Numbers = void(WINAPI*)(DWORD*, DWORD*, DWORD*);
  auto get = reinterpret_cast<Numbers>(
      reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetNtVersionNumbers")));
  if (get) get(major, minor, build);
  FreeLibrary(ntdll);
  return get != nullptr;
}

}  // namespace Utils
