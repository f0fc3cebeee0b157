// What the system error tests expect of the platform they run on.
#pragma once

#include <cstdint>

namespace system_error_test {

// ENOENT / ERROR_FILE_NOT_FOUND.
extern const uint32_t kNotFound;
// The step PipedProcess::Start names when the program is not found.
extern const char kStartOperation[];

}  // namespace system_error_test
