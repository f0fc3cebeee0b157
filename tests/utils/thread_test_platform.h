// What the thread tests ask of the platform.
#pragma once

#include <string>

namespace quillon_test {

// The name the system holds for the calling thread.
std::string CurrentThreadName();
// A name as the system keeps it (Linux keeps 15 bytes).
std::string AsSystemKeepsIt(const std::string& name);

}  // namespace quillon_test
