#include <windows.h>

#include <cstdlib>

#include "install/records.h"
#include "install_test_platform.h"

namespace install_test {

void SetEnvironment(const char* name, const char* value) {
  // Both the C runtime's copy and the process's block: the code under test
  // asks the system.
  SetEnvironmentVariableA(name, value);
  _putenv_s(name, value ? value : "");
}

long long StoredValueBytes(const std::wstring& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, Install::kRecordKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
  DWORD size = 0;
  const LONG rc = RegQueryValueExW(key, name.c_str(), nullptr, nullptr, nullptr, &size);
  RegCloseKey(key);
  return rc == ERROR_SUCCESS ? static_cast<long long>(size) : -1;
}

void ClearRegistryRecord() { RegDeleteKeyW(HKEY_CURRENT_USER, Install::kRecordKey); }

uint32_t NotAProgramError() { return ERROR_BAD_EXE_FORMAT; }
uint32_t NotFoundError() { return ERROR_FILE_NOT_FOUND; }
const char* StartStep() { return "CreateProcessW"; }

}  // namespace install_test
