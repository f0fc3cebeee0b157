// The installing page's bar and wording, and the language they speak.
#include "main_controller_fixture.h"

#include "install/signature.h"

namespace main_controller_test {

// --- progress ---------------------------------------------------------------

TEST_F(MainControllerTest, DownloadThenInstallProgressFollowsTheScale) {
  settings_.downloadScale = 0.7;
  Start();
  InstallNow();
  Notify(1001);
  Notify(1002, 0.5);
  EXPECT_EQ(view_.GetValue("installPrg"), 35);
  EXPECT_EQ(view_.GetText("progressLb"), "Installing: 35%. Please wait...");
  std::vector<int> shown;
  for (int i = 0; i < 8; ++i) {
    Notify(2002, 0.0);
    shown.push_back(view_.GetValue("installPrg"));
  }
  EXPECT_EQ(shown, (std::vector<int>{74, 78, 83, 88, 92, 97, 98, 98}));
  Notify(2002, 0.99);  // a reported value above the grown fraction replaces it
  EXPECT_EQ(view_.GetValue("installPrg"), 99);
}

TEST_F(MainControllerTest, AfterSixtySecondsOfDownloadTheWordingAsksForPatience) {
  Start();
  InstallNow();
  clock_ += 120000;
  Notify(1002, 0.5);  // no stopwatch yet
  EXPECT_EQ(view_.GetText("progressLb"), "Installing: 35%. Please wait...");
  Notify(1001);
  clock_ += 60000;
  Notify(1002, 0.5);
  EXPECT_EQ(view_.GetText("progressLb"), "Installing: 35%. Please wait...");
  clock_ += 1;
  Notify(1002, 1.0);
  EXPECT_EQ(view_.GetText("progressLb"), "Installing: 70%. This may take a few minutes...");
  Notify(1003);
  EXPECT_FLOAT_EQ(reports_.elapsedOf[L"大包下载完毕"], 60.001f);
}

// Every text the controller shows itself is looked up when it is shown, so
// the language chosen on the start page speaks in every later prompt, its
// caption, the folder browser and the installing page's first text.
TEST_F(MainControllerTest, ALanguageChosenOnTheStartPageSpeaksInEveryLaterText) {
  markedTexts_ = true;
  Start();
  view_.SelectItem("languageCombo", 2);
  auto zhTw = [](int id) { return "L2:" + std::to_string(id) + ":%d"; };
  auto lastPromptIs = [&](int text, int caption) {
    ASSERT_FALSE(view_.prompts.empty());
    EXPECT_EQ(view_.prompts.back().text, zhTw(text));
    EXPECT_EQ(view_.prompts.back().caption, zhTw(caption));
  };
  view_.Click("chDirBtn");
  ASSERT_EQ(view_.browseTitles.size(), 1u);
  EXPECT_EQ(view_.browseTitles[0], L"L2:106:%d");

  freeBytes_ = 0;
  view_.Click("defaultInstallBtn");
  lastPromptIs(UiTexts::kLowDiskSpace, UiTexts::kPromptCaption);
  freeBytes_ = 50 * kGiB;
  controller_->OnCheckNet(1 << 16);
  lastPromptIs(UiTexts::kPoorNetwork, UiTexts::kPromptCaption);
  view_.Click("customeBtn");
  view_.SetText("installDirEdit", (scratch_.Path() / "<bad>").u8string());
  view_.Click("customeInstallBtn");
  lastPromptIs(UiTexts::kInvalidFolder, UiTexts::kPromptCaption);
  view_.Click("backBtn");

  InstallNow();
  EXPECT_EQ(view_.GetText("progressLb"), "L2:110:0");  // before any progress arrives
  Notify(2004, 0, L"");
  lastPromptIs(UiTexts::kInstallFailed, UiTexts::kPromptCaption);
  InstallNow();
  Notify(2004, 0, L"\u5b89\u88c5\u5305\u5b89\u88c5\u5931\u8d25");  // the status stream's own words
  lastPromptIs(UiTexts::kPackageFailed, UiTexts::kPromptCaption);
  InstallNow();
  Notify(2004, 3, Install::SignatureRefusalText(Install::SignatureVerdict::kPublisherMismatch));
  lastPromptIs(UiTexts::kRefusedPublisherMismatch, UiTexts::kPromptCaption);
  InstallNow();
  Notify(3009, 0, L"from the package");
  EXPECT_EQ(view_.prompts.back().text, "from the package");
  EXPECT_EQ(view_.prompts.back().caption, zhTw(UiTexts::kMessageCaption));
  Notify(5004);
  lastPromptIs(UiTexts::kProductRunning, UiTexts::kPromptCaption);
  // Analytics still hears the words it always did.
  EXPECT_EQ(reports_.clicks.front(), L"\u7acb\u5373\u5b89\u88c5");  // 立即安装
}

// A language table with both wordings speaks the chosen language, also in
// the reset after a failed package; the 60-second rule still picks between
// them.
TEST_F(MainControllerTest, TheLanguageTablesWordingsReplaceTheBuiltInOnes) {
  SkinUI::AddLocalText(110, "Installing: %d%%, please wait...");
  SkinUI::AddLocalText(111, "Installing: %d%%, thank you for your patience...");
  Start();
  InstallNow();
  Notify(1001);
  Notify(1002, 0.5);
  EXPECT_EQ(view_.GetText("progressLb"), "Installing: 35%, please wait...");
  clock_ += 60001;
  Notify(1002, 1.0);
  EXPECT_EQ(view_.GetText("progressLb"), "Installing: 70%, thank you for your patience...");
  Notify(2004);
  EXPECT_EQ(view_.GetText("progressLb"), "Installing: 0%, please wait...");
}

TEST_F(MainControllerTest, TheSkinsFormatIsUsedButNeverAsAPrintfFormat) {
  Start();
  view_.Get("progressLb")->userData = "%s%n %d%% %x";
  InstallNow();
  Notify(1002, 1.0);
  EXPECT_EQ(view_.GetText("progressLb"), "%s%n 70% %x");
  std::string longFormat = "%d";
  for (int i = 0; i < 100; ++i) longFormat += "安";  // 3 bytes each
  view_.Get("progressLb")->userData = longFormat;
  Notify(1002, 1.0);
  const std::string cut = view_.GetText("progressLb");
  EXPECT_EQ(cut.size(), 248u);  // "70" and 82 whole characters: at most 250 bytes
  EXPECT_EQ(cut.substr(cut.size() - 3), "安");
}

}  // namespace main_controller_test
