#include "utils/probe.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <set>

#include "probe_test_platform.h"
#include "support/log_capture.h"
#include "support/scratch_dir.h"
#include "utils/process.h"
#include "utils/system_error.h"

namespace {

using quillon_test::LogCapture;

TEST(WindowsVersionName, EveryRowOfTheTable) {
  struct Row {
    unsigned major, minor, build;
    bool r2;
    const wchar_t* name;
  };
  const Row rows[] = {
      {0, 0, 0, false, L"XP-"},   {4, 10, 1998, false, L"XP-"}, {5, 0, 2195, false, L"2K"},
      {5, 1, 2600, false, L"XP"}, {5, 2, 3790, false, L"Server 2003"},
      {5, 2, 3790, true, L"Server 2003 R2"}, {5, 3, 0, false, L"XP+"}, {6, 0, 6002, false, L"Vista"},
      {6, 1, 7601, false, L"7"},  {6, 2, 9200, false, L"8"},     {6, 3, 9600, false, L"8.1"},
      {6, 4, 0, false, L"8.1+"},  {10, 0, 19045, false, L"10"},  {10, 1, 0, false, L"10+"},
      {11, 0, 22000, false, L"11.0.22000"}, {7, 2, 5, false, L"7.2.5"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(Utils::WindowsVersionName(r.major, r.minor, r.build, r.r2), r.name)
        << r.major << "." << r.minor;
  }
}

TEST(GetOsVersionName, NamesTheRunningSystem) {
  const Utils::OsVersionName name = Utils::GetOsVersionName();
  EXPECT_EQ(name.family, quillon_test::ExpectedOsFamily());
  EXPECT_FALSE(name.version.empty());
  quillon_test::CheckOsVersionName(name.version);
}

TEST(IsOs64Bit, MachineNames) {
  EXPECT_TRUE(Utils::MachineIs64Bit("x86_64"));
  EXPECT_TRUE(Utils::MachineIs64Bit("aarch64"));
  EXPECT_TRUE(Utils::MachineIs64Bit("s390x"));
  EXPECT_FALSE(Utils::MachineIs64Bit("i686"));
  EXPECT_FALSE(Utils::MachineIs64Bit("armv7l"));
  EXPECT_EQ(Utils::IsOs64Bit(), quillon_test::ExpectedOs64Bit());
}

TEST(MakeGuidString, ThirtyTwoDigitsThirdGroupLowerCase) {
  std::set<std::wstring> seen;
  for (int i = 0; i < 200; ++i) {
    const std::wstring g = Utils::MakeGuidString();
    ASSERT_EQ(g.size(), 32u);
    for (size_t k = 0; k < g.size(); ++k) {
      const wchar_t c = g[k];
      const bool digit = c >= L'0' && c <= L'9';
      if (k >= 12 && k < 16) {
        EXPECT_TRUE(digit || (c >= L'a' && c <= L'f')) << testing::PrintToString(g);
      } else {
        EXPECT_TRUE(digit || (c >= L'A' && c <= L'F')) << testing::PrintToString(g);
      }
    }
    seen.insert(g);
  }
  EXPECT_EQ(seen.size(), 200u);
  const unsigned char tail[8] = {0xAB, 0, 1, 2, 3, 4, 5, 0xEF};
  EXPECT_EQ(Utils::FormatGuid(0x1A2B3C4D, 0xABCD, 0xABCD, tail), L"1A2B3C4DABCDabcdAB000102030405EF");
}

TEST(HardDiskManager, CountsTheVolumeOrLogsTheFailure) {
  quillon_test::ScratchDir dir;
  Utils::HardDiskManager disk;
  ASSERT_TRUE(disk.CheckFreeSpace(dir.Wide()));
  EXPECT_GT(disk.TotalBytes(), 0u);
  EXPECT_LE(disk.FreeBytesAvailable(), disk.TotalBytes());
  EXPECT_LE(disk.TotalFreeBytes(), disk.TotalBytes());

  LogCapture log;
  Utils::HardDiskManager missing;
  EXPECT_FALSE(missing.CheckFreeSpace(dir.Wide(L"no-such-folder")));
  EXPECT_EQ(missing.TotalBytes(), 0u);
  ASSERT_EQ(log.Messages().size(), 1u);
  EXPECT_EQ(log.Messages()[0].rfind(L"HardDiskManager::CheckFreeSpace FAIL code=", 0), 0u);
  // The code, then the same code with the system's words.
  const std::wstring prefix = L"HardDiskManager::CheckFreeSpace FAIL code=";
  const std::wstring rest = log.Messages()[0].substr(prefix.size());
  const unsigned long code = std::wcstoul(rest.c_str(), nullptr, 10);
  EXPECT_NE(code, 0u);
  EXPECT_EQ(rest, std::to_wstring(code) + Utils::SystemErrorNote(static_cast<uint32_t>(code)));
  EXPECT_NE(log.Lines()[0].find(L"(Utils::HardDiskManager::CheckFreeSpace)"), std::wstring::npos);
}

TEST(FindProcessByName, FindsARunningChildCaseSensitively) {
  // A copy under a name of its own (longer than the 15 bytes Linux keeps
  // as a process's short name): other tests run the helper at the same time.
  quillon_test::ScratchDir dir;
  const std::filesystem::path helper = quillon_test::BuiltProgram(L"tests", L"probe_helper");
  const std::wstring name = L"helper-" + Utils::MakeGuidString() + quillon_test::ExecutableSuffix();
  std::filesystem::copy_file(helper, dir.Path() / name);
  Utils::PipedProcess child;
  child.Start(quillon_test::Quoted(dir.Path() / name) + L" sleep 30000");
  EXPECT_EQ(Utils::FindProcessByName(name), child.ProcessId());
  std::wstring upper = name;
  upper[0] = L'H';
  EXPECT_EQ(Utils::FindProcessByName(upper), 0u);
  EXPECT_EQ(Utils::FindProcessByName(L"no-such-program-" + Utils::MakeGuidString()), 0u);
  EXPECT_EQ(Utils::FindProcessByName(L""), 0u);
  child.Terminate();
  uint32_t code = 0;
  EXPECT_TRUE(child.WaitFor(30000, &code));
}

TEST(UserRights, AnswersWithoutFailingForKnownAndUnknownAccounts) {
  EXPECT_FALSE(Utils::IsUserAdminAccount(L"no-such-user-" + Utils::MakeGuidString()));
  EXPECT_FALSE(Utils::IsUserAdminAccount(L""));
  quillon_test::CheckUserRights();
}

}  // namespace
