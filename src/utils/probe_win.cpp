#include <windows.h>
// After windows.h:
#include <lm.h>
#include <netlistmgr.h>
#include <objbase.h>
#include <tlhelp32.h>
#include <wtsapi32.h>

#include "log.h"
#include "nt_version_win.h"
#include "probe.h"
#include "system_error.h"

namespace Utils {

namespace probe_platform {

bool QueryConnectivity(Connectivity* out) {
  INetworkListManager* manager = nullptr;
  const HRESULT hr = CoCreateInstance(CLSID_NetworkListManager, nullptr, CLSCTX_ALL,
                                      IID_INetworkListManager, reinterpret_cast<void**>(&manager));
  if (FAILED(hr) || !manager) return false;
  NLM_CONNECTIVITY flags = NLM_CONNECTIVITY_DISCONNECTED;
  if (FAILED(manager->GetConnectivity(&flags))) flags = NLM_CONNECTIVITY_DISCONNECTED;
  out->flags = static_cast<uint32_t>(flags);
  if (out->flags != 0) {
    // get_IsConnectedToInternet; the MinGW headers name the property without "get_".
    VARIANT_BOOL connected = VARIANT_FALSE;
    if (FAILED(manager->IsConnectedToInternet(&connected))) connected = VARIANT_FALSE;
    out->internet = connected != VARIANT_FALSE;
  }
  manager->Release();
  CoFreeUnusedLibraries();
  return true;
}

}  // namespace probe_platform

bool HardDiskManager::CheckFreeSpace(const std::wstring& folder) {
  ULARGE_INTEGER available, total, free;
  if (!GetDiskFreeSpaceExW(folder.c_str(), &available, &total, &free)) {
    const uint32_t error = LastSystemError();
    UTILS_LOG(L"HardDiskManager::CheckFreeSpace FAIL code=%lu%s", static_cast<unsigned long>(error),
              SystemErrorNote(error).c_str());
    return false;
  }
  freeBytesAvailable_ = available.QuadPart;
  totalBytes_ = total.QuadPart;
  totalFreeBytes_ = free.QuadPart;
  return true;
}

bool IsProcessAdmin() {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID administrators = nullptr;
  if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0,
                                0, 0, 0, 0, &administrators)) {
    return false;
  }
  BOOL member = FALSE;
  if (!CheckTokenMembership(nullptr, administrators, &member)) member = FALSE;
  FreeSid(administrators);
  return member != FALSE;
}

bool ConsoleUserName(std::wstring* name) {
  LPWSTR buffer = nullptr;
  DWORD bytes = 0;
  if (!WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, WTSGetActiveConsoleSessionId(),
                                   WTSUserName, &buffer, &bytes) ||
      !buffer) {
    return false;
  }
  *name = buffer;
  WTSFreeMemory(buffer);
  return true;
}

bool IsUserAdminAccount(const std::wstring& userName) {
  LPBYTE buffer = nullptr;
  if (NetUserGetInfo(nullptr, userName.c_str(), 1, &buffer) != NERR_Success || !buffer) {
    return false;
  }
  const bool admin = reinterpret_cast<USER_INFO_1*>(buffer)->usri1_priv == USER_PRIV_ADMIN;
  NetApiBufferFree(buffer);
  return admin;
}

OsVersionName GetOsVersionName() {
  OsVersionName name{L"Windows", L"XP-"};
  DWORD major = 0, minor = 0, build = 0;
  // Without the numbers, major 0 names the oldest family.
  NtVersionNumbers(&major, &minor, &build);
  const bool r2 = major == 5 && minor == 2 && GetSystemMetrics(SM_SERVERR2) != 0;
  name.version = WindowsVersionName(major, minor, build & 0xFFFF, r2);
  return name;
}

bool IsOs64Bit() {
  // A 64-bit process is not WOW64, so IsWow64Process would call its own
  // system 32-bit; only a 32-bit process needs to ask.
  if (sizeof(void*) == 8) return true;
  using IsWow64 = BOOL(WINAPI*)(HANDLE, PBOOL);
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  if (!kernel) return false;
  auto isWow64 =
      reinterpret_cast<IsWow64>(reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")));
  if (!isWow64) return false;
  BOOL wow = FALSE;
  if (isWow64(GetCurrentProcess(), &wow)) return wow != FALSE;
  using NativeInfo = void(WINAPI*)(LPSYSTEM_INFO);
  SYSTEM_INFO info = {};
  if (auto native = reinterpret_cast<NativeInfo>(
          reinterpret_cast<void*>(GetProcAddress(kernel, "GetNativeSystemInfo")))) {
    native(&info);
  } else {
    GetSystemInfo(&info);
  }
  return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
         info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64;
}

uint32_t FindProcessByName(const std::wstring& name) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  uint32_t found = 0;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (name == entry.szExeFile) {
      found = entry.th32ProcessID;
      break;
    }
  }
  CloseHandle(snapshot);
  return found;
}

std::wstring MakeGuidString() {
  GUID guid = {};
  if (FAILED(CoCreateGuid(&guid))) return std::wstring();
  return FormatGuid(guid.Data1, guid.Data2, guid.Data3, guid.Data4);
}

}  // namespace Utils
