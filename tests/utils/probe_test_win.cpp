#include <windows.h>

#include <gtest/gtest.h>
#include <objbase.h>

#include <thread>

#include "probe_test_platform.h"
#include "utils/probe.h"

namespace quillon_test {

std::wstring ExpectedOsFamily() { return L"Windows"; }

void CheckOsVersionName(const std::wstring& version) {
  // Whatever Wine claims to be, the name is one of the table's.
  EXPECT_NE(version, L"XP-");
}

// From the processor the system itself runs on, whatever this process's
// own word size.
bool ExpectedOs64Bit() {
  SYSTEM_INFO info = {};
  GetNativeSystemInfo(&info);
  return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
         info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64;
}

void CheckUserRights() {
  Utils::IsProcessAdmin();  // answers either way under Wine
  std::wstring name;
  if (Utils::ConsoleUserName(&name)) {
    EXPECT_FALSE(name.empty());
  }
}

namespace {

// The result's layout holds whatever the network list manager answers.
void CheckLayout(int32_t r) {
  const int verdict = Utils::NetworkVerdict(r);
  EXPECT_LE(verdict, 2);
  if (r == 0) return;
  if (verdict == 1) {
    EXPECT_EQ(r & 0xFFFF, 0);
  } else {
    EXPECT_NE(r & 0xFFFF, 0);
  }
}

TEST(CheckNetwork, ResultLayoutWithCom) {
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  const int32_t r = Utils::CheckNetwork();
  CoUninitialize();
  CheckLayout(r);
}

TEST(CheckNetwork, WithoutComTheQueryFails) {
  int32_t r = -1;
  std::thread([&r] { r = Utils::CheckNetwork(); }).join();
  EXPECT_EQ(r, 0);
}

}  // namespace
}  // namespace quillon_test
