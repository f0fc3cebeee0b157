#include "common_properties.h"

#include <gtest/gtest.h>

#include "kx_exception.h"
#include "sdk/validation.h"

namespace tarvix {
namespace analytics {
namespace {

struct OsCase {
  unsigned major, minor, build;
  bool is64, r2;
  const char* name;
};

TEST(OsVersionName, TheWindowsTable) {
  const OsCase cases[] = {
      {4, 10, 1998, false, false, "XP-"},      {3, 51, 0, true, false, "XP-"},
      {5, 0, 2195, false, false, "2K"},        {5, 1, 2600, true, false, "XP"},
      {5, 2, 3790, true, false, "XP64"},       {5, 2, 3790, true, true, "XP64"},
      {5, 2, 3790, false, true, "Server 2003 R2"}, {5, 2, 3790, false, false, "Server 2003"},
      {5, 3, 0, false, false, "XP+"},          {6, 0, 6002, true, false, "Vista64"},
      {6, 0, 6002, false, false, "Vista"},     {6, 1, 7601, true, false, "7"},
      {6, 1, 7601, false, false, "7-32"},      {6, 2, 9200, true, false, "8"},
      {6, 2, 9200, false, false, "8-32"},      {6, 3, 9600, false, false, "8.1"},
      {6, 4, 9841, true, false, "8.1+"},       {10, 0, 19045, true, false, "10"},
      {10, 0, 21999, false, false, "10"},      {10, 0, 22000, true, false, "11"},
      {10, 0, 26100, false, false, "11"},      {10, 1, 0, true, false, "11+"},
      {7, 2, 100, true, false, "7.2.100"},     {11, 0, 30000, true, false, "11.0.30000"},
  };
  for (const OsCase& c : cases) {
    EXPECT_EQ(OsVersionName(c.major, c.minor, c.build, c.is64, c.r2), c.name)
        << c.major << "." << c.minor << "." << c.build << " 64=" << c.is64 << " r2=" << c.r2;
  }
}

TEST(OsVersionName, OnlyTheLowSixteenBitsOfTheBuildCount) {
  // RtlGetNtVersionNumbers sets the top bits of the build for free builds.
  EXPECT_EQ(OsVersionName(10, 0, 0xF0000000u | 22631, true, false), "11");
  EXPECT_EQ(OsVersionName(10, 0, 0xF0000000u | 19045, true, false), "10");
  EXPECT_EQ(OsVersionName(12, 1, 0xF0000000u | 5, true, false), "12.1.5");
}

TEST(LocaleCodes, LanguageAndCountryOfALocaleName) {
  struct Case {
    const char* name;
    const char* language;
    const char* country;
  } cases[] = {
      {"zh_CN.UTF-8", "zh", "CN"}, {"en_US", "en", "US"}, {"de_DE@euro", "de", "DE"},
      {"ast_ES.UTF-8@x", "ast", "ES"}, {"C", "", ""}, {"POSIX", "", ""}, {"C.UTF-8", "", ""},
      {"", "", ""}, {"de", "", ""}, {"en_us", "", ""}, {"EN_US", "", ""}, {"_US", "", ""},
      {"en_", "", ""},
  };
  for (const Case& c : cases) {
    std::string language = "stale", country = "stale";
    LocaleCodes(c.name, &language, &country);
    EXPECT_EQ(language, c.language) << c.name;
    EXPECT_EQ(country, c.country) << c.name;
  }
}

TEST(OsReleasePrettyName, FindsTheLineAndUnquotes) {
  EXPECT_EQ(OsReleasePrettyName("NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nID=debian\n"),
            "Debian GNU/Linux 12 (bookworm)");
  EXPECT_EQ(OsReleasePrettyName("PRETTY_NAME='Arch Linux'"), "Arch Linux");
  EXPECT_EQ(OsReleasePrettyName("PRETTY_NAME=Plain\r\n"), "Plain");
  EXPECT_EQ(OsReleasePrettyName("NAME=x\nXPRETTY_NAME=no\n"), "");
  EXPECT_EQ(OsReleasePrettyName(""), "");
}

KxTrackerParams Params() {
  KxTrackerParams params;
  params.appName = "velmotranslate";
  params.appVersion = "1.7.9";
  params.appStore = "QuillonSetup.exe";
  return params;
}

DeviceFacts Facts() {
  DeviceFacts facts;
  facts.osVersion = "10";
  facts.language = "zh";
  facts.country = "CN";
  facts.screenWidth = 1920;
  facts.screenHeight = 1080;
  return facts;
}

TEST(CommonProperties, TheFullSetForAWindowsMachine) {
  const auto node = BuildCommonProperties(Params(), "", Facts());
  EXPECT_EQ(node.ToJson(),
            "{\"$app_id\":\"velmotranslate\",\"$app_version\":\"1.7.9\",\"$os\":\"Windows\","
            "\"$os_version\":\"10\",\"$screen_height\":1080,\"$screen_width\":1920,"
            "\"kx_app_id\":\"velmotranslate\",\"kx_app_platform\":\"Windows\","
            "\"kx_app_store\":\"QuillonSetup.exe\",\"kx_edition\":\"china\","
            "\"kx_l10n_country\":\"CN\",\"kx_l10n_language\":\"zh\",\"kx_l10n_locale\":\"zh_CN\","
            "\"kx_sdk\":\"WindowsCPP\",\"kx_sdk_version\":\"3.3.8\",\"kx_track_type\":\"Client\"}");
}

TEST(CommonProperties, OptionalKeysOnlyWhenGiven) {
  KxTrackerParams params = Params();
  params.dlAppId = "velmotranslate";
  params.dlAppVersion = "2.0";
  params.edition = 1;
  const auto node = BuildCommonProperties(params, "user-7", Facts());
  ASSERT_NE(node.Find("kx_dlapp_id"), nullptr);
  EXPECT_EQ(node.Find("kx_dlapp_id")->string(), "velmotranslate");
  EXPECT_EQ(node.Find("kx_dlapp_version")->string(), "2.0");
  EXPECT_EQ(node.Find("kx_user_id")->string(), "user-7");
  EXPECT_EQ(node.Find("kx_edition")->string(), "overseas");

  params.dlAppVersion.clear();
  const auto without = BuildCommonProperties(params, "", Facts());
  EXPECT_NE(without.Find("kx_dlapp_id"), nullptr);
  EXPECT_EQ(without.Find("kx_dlapp_version"), nullptr);
  EXPECT_EQ(without.Find("kx_user_id"), nullptr);
}

TEST(CommonProperties, UnknownLocaleStillRegistersEmptyTexts) {
  DeviceFacts facts = Facts();
  facts.language.clear();
  facts.country.clear();
  const auto node = BuildCommonProperties(Params(), "", facts);
  for (const char* key : {"kx_l10n_locale", "kx_l10n_language", "kx_l10n_country"}) {
    ASSERT_NE(node.Find(key), nullptr) << key;
    EXPECT_EQ(node.Find(key)->string(), "") << key;
  }
}

TEST(CommonProperties, TextsAreNormalisedAndAnUnknownEditionRaises) {
  KxTrackerParams params = Params();
  params.appStore = "\xB7\xAD\xD2\xEB.exe";  // narrow text: converted, so the SDK keeps it
  const auto node = BuildCommonProperties(params, "", Facts());
  ASSERT_NE(node.Find("kx_app_store"), nullptr);
  EXPECT_TRUE(analytics_sdk::IsValidUtf8(node.Find("kx_app_store")->string()));
  params.edition = 7;
  try {
    BuildCommonProperties(params, "", Facts());
    ADD_FAILURE() << "nothing raised";
  } catch (const KxException& e) {
    EXPECT_STREQ(e.what(), "Unknown edition [7]!");
  }
}

TEST(DeviceFacts, TheRunningSystemAnswers) {
  const DeviceFacts facts = ReadDeviceFacts();
  EXPECT_FALSE(facts.os.empty());
  EXPECT_FALSE(facts.osVersion.empty());
  EXPECT_EQ(facts.language.empty(), facts.country.empty());
  EXPECT_GE(facts.screenWidth, 0);
  EXPECT_GE(facts.screenHeight, 0);
  // Whatever the machine says, it makes a complete set.
  EXPECT_EQ(BuildCommonProperties(Params(), "", facts).size(), 16u);
}

}  // namespace
}  // namespace analytics
}  // namespace tarvix
