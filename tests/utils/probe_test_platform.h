// What the probe tests expect of the platform they run on.
#pragma once

#include <string>

namespace quillon_test {

std::wstring ExpectedOsFamily();
void CheckOsVersionName(const std::wstring& version);
bool ExpectedOs64Bit();
void CheckUserRights();

}  // namespace quillon_test
