// Loading the language table into the toolkit's texts.
#include <gtest/gtest.h>

#include <fstream>

#include "support/scratch_dir.h"
#include "ui/localization.h"
#include "uikit/text_table.h"

using namespace Localization;

namespace {

const char kTable[] = R"([
  {"id": 104, "en-US": "Not enough space", "zh-CN": "\u78c1\u76d8\u7a7a\u95f4\u4e0d\u8db3", "zh-TW": "\u78c1\u789f\u7a7a\u9593\u4e0d\u8db3"},
  {"id": 12, "en-US": "Path", "zh-TW": "\u8def\u5f91"},
  {"en-US": "no id"}
])";

EntryReader Serving(std::string bytes) {
  return [bytes](const std::string& path, std::string* out) {
    if (path != "language.json") return false;
    *out = bytes;
    return true;
  };
}

std::string Text(int id) { return SkinUI::LocalText(id).value_or("<none>"); }

class LanguageTest : public ::testing::Test {
 protected:
  void SetUp() override { SkinUI::ClearLocalTexts(); }
  void TearDown() override { SkinUI::ClearLocalTexts(); }
};

}  // namespace

TEST_F(LanguageTest, TheTagDecidesOverTheNumber) {
  EXPECT_EQ(LoadLanguage(Serving(kTable), 0, L"zh-TW"), 2);
  EXPECT_EQ(Text(104), "\xe7\xa3\x81\xe7\xa2\x9f\xe7\xa9\xba\xe9\x96\x93\xe4\xb8\x8d\xe8\xb6\xb3");
  EXPECT_EQ(Text(12), "\xe8\xb7\xaf\xe5\xbe\x91");
  EXPECT_EQ(Text(0), "");  // the entry without an id

  EXPECT_EQ(LoadLanguage(Serving(kTable), 1, L"fr-FR"), 1);
  EXPECT_EQ(Text(12), "");  // no zh-CN member: an empty text
  EXPECT_EQ(LoadLanguage(Serving(kTable), 7, L""), 0);
  EXPECT_EQ(Text(104), "Not enough space");
  EXPECT_EQ(LoadLanguage(Serving(kTable), 2, L""), 2);
}

TEST_F(LanguageTest, ATableThatCannotBeReadLoadsNothing) {
  SkinUI::AddLocalText(104, "kept");
  EXPECT_EQ(LoadLanguage([](const std::string&, std::string*) { return false; }, 2, L""), 0);
  EXPECT_EQ(LoadLanguage(Serving(""), 2, L"zh-TW"), 0);
  EXPECT_EQ(LoadLanguage(Serving(std::string(kMaxTableBytes + 1, ' ')), 2, L""), 0);
  // Unparsable or of the wrong shape: the resolved number, nothing loaded.
  for (const char* bad : {"[{\"id\": 104, \"en-US\": ", "\"text\"", "[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[]]"}) {
    EXPECT_EQ(LoadLanguage(Serving(bad), 0, L"zh-CN"), 1) << bad;
  }
  EXPECT_EQ(Text(104), "kept");
  // Members of the wrong type load as empty or 0, never throw.
  EXPECT_EQ(LoadLanguage(Serving(R"([7, {"id": "104", "en-US": 5}, {"id": 9, "en-US": ["x"]}])"), 0, L""), 0);
  EXPECT_EQ(Text(0), "");
  EXPECT_EQ(Text(9), "");
  EXPECT_EQ(Text(104), "kept");
}

TEST_F(LanguageTest, AnInstalledCopyNamesItsLanguageInItsConfig) {
  quillon_test::ScratchDir folder;
  EXPECT_EQ(InstalledLanguage(Serving(kTable), folder.Path().wstring()), 0);
  {
    std::ofstream ini(folder.Path() / "config.ini");
    ini << "[Install]\r\nLanguage=zh-TW\r\n";
  }
  EXPECT_EQ(InstalledLanguage(Serving(kTable), folder.Path().wstring()), 2);
  {
    std::ofstream ini(folder.Path() / "config.ini");
    ini << "[Install]\r\nOther=1\r\n";
  }
  EXPECT_EQ(InstalledLanguage(Serving(kTable), folder.Path().wstring()), 0);  // default "en-US"
  EXPECT_EQ(LanguageTagOf(1), L"zh-CN");
  EXPECT_EQ(LanguageTagOf(3), L"");
}
