#include <windows.h>

#include "common_properties.h"
#include "utils/nt_version_win.h"

namespace tarvix {
namespace analytics {
namespace {

// IsWow64Process when kernel32 has it and it answers; otherwise the native
// processor architecture.
bool OsIs64Bit() {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  if (kernel) {
    using IsWow64 = BOOL(WINAPI*)(HANDLE, PBOOL);
    if (auto isWow64 = reinterpret_cast<IsWow64>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")))) {
      BOOL wow = FALSE;
      if (isWow64(GetCurrentProcess(), &wow)) return wow != FALSE;
    }
  }
  SYSTEM_INFO info = {};
  using NativeInfo = void(WINAPI*)(LPSYSTEM_INFO);
  auto native = kernel ? reinterpret_cast<NativeInfo>(
                             reinterpret_cast<void*>(GetProcAddress(kernel, "GetNativeSystemInfo")))
                       : nullptr;
  if (native) {
    native(&info);
  } else {
    GetSystemInfo(&info);
  }
  return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
         info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64;
}

std::string ReadOsVersion() {
  DWORD major = 0, minor = 0, build = 0;
  if (!Utils::NtVersionNumbers(&major, &minor, &build)) return "XP-";
  const bool r2 = major == 5 && minor == 2 && GetSystemMetrics(SM_SERVERR2) != 0;
  return OsVersionName(major, minor, build, OsIs64Bit(), r2);
}

}  // namespace

DeviceFacts ReadDeviceFacts() {
  DeviceFacts facts;
  facts.osVersion = ReadOsVersion();
  char language[16] = {};
  char country[16] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SISO639LANGNAME, language, sizeof(language)) > 0 &&
      GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SISO3166CTRYNAME, country, sizeof(country)) > 0) {
    facts.language = language;
    facts.country = country;
  }
  facts.screenWidth = GetSystemMetrics(SM_CXSCREEN);
  facts.screenHeight = GetSystemMetrics(SM_CYSCREEN);
  return facts;
}

}  // namespace analytics
}  // namespace tarvix
