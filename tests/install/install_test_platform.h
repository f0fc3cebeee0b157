// What the installation tests do to the system around them.
#pragma once

#include <cstdint>
#include <string>

namespace install_test {

// Sets (or, with nullptr, removes) a variable of this process's environment.
void SetEnvironment(const char* name, const char* value);
// The stored size in bytes of a value of the installation record, -1 when
// it is missing.
long long StoredValueBytes(const std::wstring& name);
// Removes the whole installation record.
void ClearRegistryRecord();
// Ends a process by its id (a helper's grandchild the test never started
// itself).
void KillProcess(unsigned long id);

}  // namespace install_test
