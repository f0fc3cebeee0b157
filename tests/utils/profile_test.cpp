// The same cases run against the system's private-profile functions on
// Windows and against our own on Linux.
#include "utils/profile.h"

#include <gtest/gtest.h>

#include "support/scratch_dir.h"

namespace {

using quillon_test::ScratchDir;

const char kIni[] =
    "; a comment\r\n"
    "[Install]\r\n"
    "DownloadUrl =  http://x/y  \r\n"
    "Quoted = \"  spaced value  \"\r\n"
    "Single='single'\r\n"
    "Mismatch=\"open\r\n"
    "Empty=\r\n"
    "NoEquals\r\n"
    "dup=first\r\n"
    "DUP=second\r\n"
    "Type=7x\r\n"
    "Negative=-3\r\n"
    "Letters=abc\r\n"
    "\r\n"
    "[install]\r\n"
    "later=hidden\r\n"
    "[Other]\n"
    "dup=other\n";

class Profile : public ::testing::Test {
 protected:
  void SetUp() override { dir_.Write(L"a.ini", kIni); }
  std::wstring Path(const wchar_t* name = L"a.ini") const { return dir_.Wide(name); }
  std::wstring Get(const wchar_t* section, const wchar_t* key, size_t buffer = Utils::kProfileBuffer) const {
    return Utils::ReadProfileString(section, key, L"<default>", Path(), buffer);
  }
  ScratchDir dir_;
};

TEST_F(Profile, ValuesAreTrimmedAndUnquoted) {
  EXPECT_EQ(Get(L"Install", L"DownloadUrl"), L"http://x/y");
  EXPECT_EQ(Get(L"Install", L"Quoted"), L"  spaced value  ");
  EXPECT_EQ(Get(L"Install", L"Single"), L"single");
  EXPECT_EQ(Get(L"Install", L"Mismatch"), L"\"open");
  EXPECT_EQ(Get(L"Install", L"Empty"), L"");
}

TEST_F(Profile, NamesAreCaseInsensitiveAndTheFirstCounts) {
  EXPECT_EQ(Get(L"INSTALL", L"downloadurl"), L"http://x/y");
  EXPECT_EQ(Get(L"Install", L"Dup"), L"first");
  EXPECT_EQ(Get(L"Other", L"dup"), L"other");
  EXPECT_EQ(Get(L"Install", L"later"), L"<default>");
}

TEST_F(Profile, MissingFileSectionOrKeyGivesTheDefault) {
  EXPECT_EQ(Get(L"Install", L"NoEquals"), L"<default>");
  EXPECT_EQ(Get(L"Install", L"Absent"), L"<default>");
  EXPECT_EQ(Get(L"Absent", L"dup"), L"<default>");
  EXPECT_EQ(Utils::ReadProfileString(L"Install", L"dup", L"d", Path(L"missing.ini")), L"d");
}

TEST_F(Profile, ValuesAreCutToTheBuffer) {
  EXPECT_EQ(Get(L"Install", L"DownloadUrl", 5), L"http");
  EXPECT_EQ(Utils::ReadProfileString(L"Install", L"Absent", L"longdefault", Path(), 5), L"long");
}

TEST_F(Profile, Integers) {
  EXPECT_EQ(Utils::ReadProfileInt(L"Install", L"Type", 1, Path()), 7);
  EXPECT_EQ(Utils::ReadProfileInt(L"Install", L"Negative", 1, Path()), -3);
  EXPECT_EQ(Utils::ReadProfileInt(L"Install", L"Letters", 1, Path()), 0);
  EXPECT_EQ(Utils::ReadProfileInt(L"Install", L"Absent", 1, Path()), 1);
  EXPECT_EQ(Utils::ReadProfileInt(L"Install", L"dup", 1, Path(L"missing.ini")), 1);
}

TEST_F(Profile, WritesKeepOtherLinesAndCreateWhatIsMissing) {
  ASSERT_TRUE(Utils::StoreProfileString(L"install", L"DUP", L"changed", Path()));
  ASSERT_TRUE(Utils::StoreProfileString(L"Install", L"NewKey", L"new", Path()));
  ASSERT_TRUE(Utils::StoreProfileString(L"Fresh", L"k", L"v", Path()));
  EXPECT_EQ(Get(L"Install", L"dup"), L"changed");
  EXPECT_EQ(Get(L"Install", L"NewKey"), L"new");
  EXPECT_EQ(Get(L"Fresh", L"k"), L"v");
  EXPECT_EQ(Get(L"Install", L"DownloadUrl"), L"http://x/y");
  EXPECT_EQ(Get(L"Install", L"Quoted"), L"  spaced value  ");
  EXPECT_EQ(Get(L"Other", L"dup"), L"other");
  EXPECT_NE(dir_.Read(L"a.ini").find("; a comment"), std::string::npos);

  ASSERT_TRUE(Utils::StoreProfileString(L"S", L"k", L"created", Path(L"new.ini")));
  EXPECT_EQ(Utils::ReadProfileString(L"S", L"k", L"", Path(L"new.ini")), L"created");
}

TEST_F(Profile, GarbageAndHugeLinesDoNotCrash) {
  std::string garbage;
  for (int i = 0; i < 300000; ++i) garbage += static_cast<char>((i * 2654435761u) >> 13);
  dir_.Write(L"garbage.ini", garbage);
  Utils::ReadProfileString(L"Install", L"DownloadUrl", L"d", Path(L"garbage.ini"));
  Utils::ReadProfileInt(L"Install", L"DownloadType", 1, Path(L"garbage.ini"));

  std::string huge = "[Install]\r\nDownloadUrl=" + std::string(10 * 1024 * 1024, 'u') + "\r\n" +
                     std::string(10 * 1024 * 1024, '[') + "\r\nInstCmd=after\r\n";
  dir_.Write(L"huge.ini", huge);
  EXPECT_EQ(Utils::ReadProfileString(L"Install", L"DownloadUrl", L"d", Path(L"huge.ini")),
            std::wstring(259, L'u'));
  const std::wstring after = Utils::ReadProfileString(L"Install", L"InstCmd", L"d", Path(L"huge.ini"));
  EXPECT_TRUE(after == L"after" || after == L"d");
}

TEST(ProfileRules, IntegerOfAValue) {
  EXPECT_EQ(Utils::profile::IntegerOf(L"", 9), 9);
  EXPECT_EQ(Utils::profile::IntegerOf(L"12ab", 9), 12);
  EXPECT_EQ(Utils::profile::IntegerOf(L"x12", 9), 0);
  EXPECT_EQ(Utils::profile::IntegerOf(L"99999999999999999999", 9), 2147483647);
}

}  // namespace
