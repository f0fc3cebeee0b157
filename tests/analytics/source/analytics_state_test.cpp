#include "analytics_state.h"

#include <gtest/gtest.h>

#include "support/scratch_dir.h"

namespace tarvix {
namespace analytics {
namespace {

namespace sp = state_platform;
using quillon_test::ScratchDir;

std::string Narrow(const std::filesystem::path& path) { return path.string(); }

// The path with native separators turned into the other kind.
std::string Foreign(std::string path) {
  for (char& c : path) {
    if (c == sp::Separator()) c = sp::ForeignSeparator();
  }
  return path;
}

const std::string kSep(1, sp::Separator());

TEST(AnalyticsPaths, DefaultDirectoryUnderTheBaseFolder) {
  ScratchDir dir;
  std::filesystem::create_directories(dir / "exe");
  const std::string base = Narrow(dir / "base");
  const AnalyticsPaths paths = ResolveAnalyticsPaths("velmo", Narrow(dir / "exe"), base);
  const std::string expected = base + kSep + "KXLocal" + kSep + "velmo" + kSep;
  EXPECT_EQ(paths.directory, expected);
  EXPECT_EQ(paths.configFile, expected + "velmo_KXSConfigure.ini");
  EXPECT_EQ(paths.defaultLogPath, expected + "velmo_KXSLog.txt");
  EXPECT_TRUE(std::filesystem::is_directory(paths.directory));
}

TEST(AnalyticsPaths, SetIniOverrideWithTheOtherSeparatorIsUsedAndItsDirectoryMade) {
  ScratchDir dir;
  const std::string target = Narrow(dir / "over" / "ride" / "ids.ini");
  dir.Write(L"Set.ini", "[Install]\r\nKXAnalyticsIni=" + Foreign(target) + "\r\n");
  // The executable directory may come without its trailing separator.
  const AnalyticsPaths paths = ResolveAnalyticsPaths("velmo", Narrow(dir.Path()), Narrow(dir / "base"));
  EXPECT_EQ(paths.configFile, target);
  EXPECT_EQ(paths.directory, Narrow(dir / "over" / "ride") + kSep);
  EXPECT_EQ(paths.defaultLogPath, paths.directory + "velmo_KXSLog.txt");
  EXPECT_TRUE(std::filesystem::is_directory(dir / "over" / "ride"));
  EXPECT_FALSE(std::filesystem::exists(dir / "base"));
}

TEST(AnalyticsPaths, AnOverrideWithoutADirectoryIsIgnored) {
  ScratchDir dir;
  for (const char* value : {"", "ids.ini"}) {
    dir.Write(L"Set.ini", std::string("[Install]\r\nKXAnalyticsIni=") + value + "\r\n");
    const AnalyticsPaths paths = ResolveAnalyticsPaths("velmo", Narrow(dir.Path()) + kSep, Narrow(dir / "base"));
    EXPECT_EQ(paths.configFile, Narrow(dir / "base") + kSep + "KXLocal" + kSep + "velmo" + kSep +
                                    "velmo_KXSConfigure.ini")
        << value;
  }
}

TEST(AnalyticsDirectories, EveryLevelIsMadeAndAFileInTheWayFails) {
  ScratchDir dir;
  EXPECT_TRUE(CreateAnalyticsDirectories(Foreign(Narrow(dir / "a" / "b" / "c"))));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "a" / "b" / "c"));
  EXPECT_TRUE(CreateAnalyticsDirectories(Narrow(dir / "a" / "b")));  // exists already
  dir.Write(L"file", "x");
  EXPECT_FALSE(CreateAnalyticsDirectories(Narrow(dir / "file" / "d")));
  EXPECT_FALSE(CreateAnalyticsDirectories(""));
}

class Identity : public ::testing::Test {
 protected:
  std::string File() const { return Narrow(dir_ / "id.ini"); }
  void Store(const std::string& text) const { dir_.Write(L"id.ini", text); }
  std::string Stored() const { return dir_.Read(L"id.ini"); }
  ScratchDir dir_;
};

TEST_F(Identity, AMissingFileGetsANewIdSaved) {
  const AnalyticsIdentity identity = LoadIdentity(File());
  EXPECT_EQ(identity.distinctId.size(), 36u);
  EXPECT_TRUE(identity.primaryDistinctId.empty());
  EXPECT_FALSE(identity.isLogined);
  EXPECT_EQ(sp::ReadString("Base", "DistinctId", "", File()), identity.distinctId);
  EXPECT_EQ(sp::ReadString("Base", "isLogined", "", File()), "NG");
  // The next run reads the same id.
  EXPECT_EQ(LoadIdentity(File()).distinctId, identity.distinctId);
}

TEST_F(Identity, ReadsTheStoredValues) {
  Store("[Base]\r\nDistinctId=D-1\r\nPrimaryDistinctId=P-1\r\nUserId=u7\r\nUserVipLevel=3\r\n"
        "URL=https://c.example/sa?project=pc\r\nisLogined=OK\r\n");
  const AnalyticsIdentity identity = LoadIdentity(File());
  EXPECT_EQ(identity.distinctId, "D-1");
  EXPECT_EQ(identity.primaryDistinctId, "P-1");
  EXPECT_EQ(identity.userId, "u7");
  EXPECT_EQ(identity.userVipLevel, 3);
  EXPECT_EQ(identity.url, "https://c.example/sa?project=pc");
  EXPECT_TRUE(identity.isLogined);
}

TEST_F(Identity, OnlyTheExactOkIsLoggedInAndAnEmptyPrimaryTakesTheDistinctId) {
  for (const char* flag : {"ok", "Ok", "OKAY", "NG", "yes", ""}) {
    Store(std::string("[Base]\r\nDistinctId=D-2\r\nPrimaryDistinctId=\r\nisLogined=") + flag + "\r\n");
    const AnalyticsIdentity identity = LoadIdentity(File());
    EXPECT_FALSE(identity.isLogined) << flag;
    EXPECT_EQ(identity.primaryDistinctId, "D-2");
  }
  Store("[Base]\r\nDistinctId=D-2\r\nisLogined=ok\r\n");
  EXPECT_FALSE(LoadIdentity(File()).isLogined);
  EXPECT_EQ(LoadIdentity(File()).primaryDistinctId, "D-2");
  EXPECT_EQ(LoadIdentity(File()).userVipLevel, 0);
}

TEST_F(Identity, ValuesAreCutAt127Characters) {
  Store("[Base]\r\nDistinctId=" + std::string(200, 'a') + "\r\n");
  EXPECT_EQ(LoadIdentity(File()).distinctId, std::string(127, 'a'));
}

TEST_F(Identity, SaveWritesTheSixKeysInOrderAndReadsBack) {
  AnalyticsIdentity identity;
  identity.distinctId = "D-3";
  identity.primaryDistinctId = "P-3";
  identity.userId = "";
  identity.userVipLevel = 12;
  identity.url = "http://127.0.0.1:9/sa?project=pc";
  identity.isLogined = true;
  SaveIdentity(File(), identity);
  WriteUninstallInfo(File(), "QuillonSetup.exe", "velmo", "1.7.9");
  const std::string text = Stored();
  size_t at = 0;
  for (const char* line : {"[Base]", "DistinctId=D-3", "PrimaryDistinctId=P-3", "UserId=", "UserVipLevel=12",
                           "URL=http://127.0.0.1:9/sa?project=pc", "isLogined=OK", "[UninstallInfo]",
                           "AppStore=QuillonSetup.exe", "AppName=velmo", "AppVersion=1.7.9"}) {
    const size_t found = text.find(line, at);
    ASSERT_NE(found, std::string::npos) << line << " after " << at << " in\n" << text;
    at = found + 1;
  }
  const AnalyticsIdentity back = LoadIdentity(File());
  EXPECT_EQ(back.distinctId, "D-3");
  EXPECT_EQ(back.userVipLevel, 12);
  EXPECT_TRUE(back.isLogined);
  // Saving again replaces the values rather than adding lines.
  identity.isLogined = false;
  SaveIdentity(File(), identity);
  EXPECT_EQ(Stored().find("isLogined=OK"), std::string::npos);
  EXPECT_EQ(Stored().find("isLogined=NG"), Stored().rfind("isLogined="));
}

// 8-4-4-4-12 upper-case hexadecimal digits.
bool IsGuidText(const std::string& id) {
  if (id.size() != 36) return false;
  for (size_t i = 0; i < id.size(); ++i) {
    const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
    const char c = id[i];
    if (dash ? c != '-' : !((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  }
  return true;
}

TEST(DistinctId, FreshIdsAreUpperCaseGuids) {
  const std::string first = GenerateDistinctId();
  const std::string second = GenerateDistinctId();
  EXPECT_TRUE(IsGuidText(first)) << first;
  EXPECT_TRUE(IsGuidText(second)) << second;
  EXPECT_NE(first, second);
  EXPECT_FALSE(IsGuidText("0012abcd-00EF-4A01-8A0B-0001FF10203C"));
}

TEST(DistinctId, FormatsOfTheGuidAndOfTheFallback) {
  const unsigned char data4[8] = {0x8a, 0x0b, 0, 1, 0xff, 0x10, 0x20, 0x3c};
  EXPECT_EQ(FormatDistinctId(0x0012abcd, 0x00ef, 0x4a01, data4), "0012ABCD-00EF-4A01-8A0B-0001FF10203C");
  const uint32_t numbers[8] = {0x1a, 0x2b, 0x3c, 0xFFFF, 0x3FFF + 5, 0, 0x7FFFFFFF, 9};
  EXPECT_EQ(FallbackDistinctId(numbers), "1a2b-3c-4fff-8005-07fffffff9");
}

}  // namespace
}  // namespace analytics
}  // namespace tarvix
