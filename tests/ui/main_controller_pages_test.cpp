// The main window's pages: the start page's boxes and buttons, the moves
// between pages, closing, the folder browser and the language choice.
#include "main_controller_fixture.h"

namespace main_controller_test {

// --- the start page -------------------------------------------------------

TEST_F(MainControllerTest, InitialisationFillsTheFolderFitsTheTitlesAndAppliesTheLanguage) {
  settings_.downloadScale = 0.7;
  // Words whose widths tell them from the tokens: a label fitted before its
  // language loaded would measure "%{12}".
  languageTexts_[0] = {{6, "Language"}, {8, "Install to"}, {12, "Back"}};
  Start();
  EXPECT_EQ(view_.GetText("installDirEdit"), defaultFolder_.u8string());
  for (const char* n : {"installLogo", "bTitleLbl1", "bTitleLbl2", "bTitleLbl3"}) {
    EXPECT_EQ(view_.GetText(n), "Quillon") << n;
    EXPECT_EQ(view_.Get(n)->fixedWidth, 70) << n;  // measured, without padding
  }
  EXPECT_EQ(loads_, std::vector<int>{0});
  EXPECT_EQ(view_.Get("backBtn")->fixedWidth, 40 + 26);  // the padding counts here
  EXPECT_EQ(view_.Get("lbLanguage")->fixedWidth, 80 + 4);
  EXPECT_EQ(view_.Get("lbInstallPath")->fixedWidth, 100 + 6);
  EXPECT_FALSE(controller_->AlreadyInstalled());
  EXPECT_TRUE(view_.prompts.empty());
}

TEST_F(MainControllerTest, UncheckingTheAgreementDisablesCustomButNotOneClickWhichThenOnlyShowsTheTip) {
  Start();
  view_.Click("treatyCb");
  EXPECT_FALSE(view_.IsSelected("treatyBtn"));  // the link mirrors the box
  EXPECT_FALSE(view_.IsEnabled("customeBtn"));
  EXPECT_TRUE(view_.IsEnabled("defaultInstallBtn"));
  view_.Click("defaultInstallBtn");
  view_.Pump();
  EXPECT_TRUE(view_.IsVisible("tipLbl"));
  EXPECT_EQ(view_.Page(), MainController::kStartPage);
  EXPECT_TRUE(pipeline_.jobs.empty());
  EXPECT_EQ(reports_.clicks, std::vector<std::wstring>{L"立即安装"});

  view_.Click("treatyCb");  // agreeing again hides the tip
  EXPECT_TRUE(view_.IsEnabled("customeBtn"));
  EXPECT_FALSE(view_.IsVisible("tipLbl"));
  EXPECT_TRUE(view_.IsSelected("treatyBtn"));
}

TEST_F(MainControllerTest, TheTermsLinkOpensThePageAndLeavesBothMarks) {
  Start();
  view_.Click("treatyBtn");
  EXPECT_TRUE(view_.IsSelected("treatyBtn"));
  EXPECT_TRUE(view_.IsSelected("treatyCb"));
  ASSERT_EQ(opened_.size(), 1u);
  EXPECT_EQ(opened_[0].target, MainController::kTermsUrl);
  EXPECT_EQ(opened_[0].target.rfind(L"https://", 0), 0u);
  EXPECT_TRUE(opened_[0].maximised);
  view_.Click("treatyCb");
  view_.Click("treatyBtn");  // unchecked box: the link stays unchecked too
  EXPECT_FALSE(view_.IsSelected("treatyBtn"));
  EXPECT_FALSE(view_.IsSelected("treatyCb"));
}

TEST_F(MainControllerTest, TheServiceBoxGatesBothButtons) {
  Start();
  view_.Click("serviceCb");
  EXPECT_FALSE(view_.IsEnabled("customeBtn"));
  EXPECT_FALSE(view_.IsEnabled("defaultInstallBtn"));
  view_.Click("treatyCb");  // agreement needs both boxes
  view_.Click("treatyCb");
  EXPECT_FALSE(view_.IsEnabled("customeBtn"));
  view_.Click("serviceCb");
  EXPECT_TRUE(view_.IsEnabled("customeBtn"));
  EXPECT_TRUE(view_.IsEnabled("defaultInstallBtn"));
}

TEST_F(MainControllerTest, ALayoutWithoutComboServiceBoxOrLogoWorksOnTheAgreementAlone) {
  view_.controls.erase("languageCombo");
  view_.controls.erase("serviceCb");
  view_.controls.erase("installLogo");
  Start();
  EXPECT_TRUE(loads_.empty());
  view_.Click("treatyCb");
  EXPECT_FALSE(view_.IsEnabled("customeBtn"));
  view_.Click("treatyCb");
  EXPECT_TRUE(view_.IsEnabled("customeBtn"));
  InstallNow();
  EXPECT_EQ(pipeline_.jobs.back().language, L"");  // no combo, no tag
}

TEST_F(MainControllerTest, PagesSetBackgroundTitleAndAnimations) {
  Start();
  view_.Click("customeBtn");
  EXPECT_EQ(view_.Page(), MainController::kCustomPage);
  EXPECT_EQ(view_.focus, "customeInstallBtn");
  EXPECT_EQ(view_.Get("winCtn")->bkImage, "res\\mainWnd\\bg2.png");
  EXPECT_TRUE(view_.IsVisible("backBtn"));
  view_.Click("backBtn");
  EXPECT_EQ(view_.Page(), MainController::kStartPage);
  EXPECT_EQ(view_.Get("winCtn")->bkImage, "res\\mainWnd\\bg1.png");
  EXPECT_FALSE(view_.IsVisible("backBtn"));

  InstallNow();
  EXPECT_EQ(view_.Get("winCtn")->bkImage, "res\\mainWnd\\bg3.png");
  EXPECT_FALSE(view_.IsVisible("titleGrpCtn"));
  EXPECT_TRUE(view_.IsVisible("installLogo"));
  EXPECT_TRUE(view_.Get("progressAnLb")->playing);
  EXPECT_EQ(reports_.views, 1);
  EXPECT_EQ(pipeline_.starts, 1);

  Notify(2003);
  EXPECT_EQ(view_.Page(), MainController::kFinishedPage);
  EXPECT_EQ(view_.Get("winCtn")->bkImage, "res\\mainWnd\\bg4.png");
  EXPECT_EQ(view_.GetCurSel("titleTabLt"), 2);
  EXPECT_FALSE(view_.Get("progressAnLb")->playing);
  EXPECT_TRUE(view_.Get("finishedLbl")->playing);
  EXPECT_TRUE(view_.IsVisible("titleGrpCtn"));
  EXPECT_TRUE(reports_.allAb);
}

TEST_F(MainControllerTest, CloseAsksOnEveryPageButTheLastAndNeverClosesWhileInstalling) {
  Start();
  view_.answers = {2, 1};
  view_.Click("closebtn");
  view_.Click("closebtn");
  EXPECT_TRUE(view_.closes.empty());  // "closebtn" (2) and "否" (1) stay
  view_.answers = {0};
  view_.Click("closebtn");
  EXPECT_EQ(view_.closes, std::vector<int>{1});
  EXPECT_EQ(view_.prompts.back().layout, "ExitTipWnd.xml");
  EXPECT_TRUE(controller_->MayClose());
  InstallNow();
  EXPECT_FALSE(controller_->MayClose());  // Alt+F4 on the installing page
  Notify(2003);
  EXPECT_TRUE(controller_->MayClose());
  const size_t asked = view_.prompts.size();
  view_.Click("closebtn");
  EXPECT_EQ(view_.prompts.size(), asked);
  EXPECT_EQ(view_.closes.size(), 2u);
}

TEST_F(MainControllerTest, TheFolderBrowserFillsTheEditOnlyWhenAFolderWasChosen) {
  Start();
  view_.Click("customeBtn");
  view_.Click("chDirBtn");
  EXPECT_EQ(view_.GetText("installDirEdit"), defaultFolder_.u8string());
  view_.browseAnswer = WidePath(scratch_.Path() / "D");
  view_.Click("chDirBtn");
  EXPECT_EQ(view_.GetText("installDirEdit"), (scratch_.Path() / "D").u8string());
}

// --- language ---------------------------------------------------------------

TEST_F(MainControllerTest, LanguageChoiceAppliesRelayoutsAndTagsTheJob) {
  settings_.downloadScale = 0.7;
  languageTexts_[1] = {{12, "\u8fd4\u56de"}};  // 返回
  Start();
  controller_->SetLanguageIndex(0);
  view_.SelectItem("languageCombo", 1);
  EXPECT_EQ(view_.Get("backBtn")->fixedWidth, 20 + 26);  // fitted again, to the chosen language's word
  EXPECT_EQ(controller_->LanguageIndex(), 1);
  EXPECT_EQ(controller_->LanguageTag(), L"zh-CN");
  EXPECT_EQ(loads_.back(), 1);
  EXPECT_GE(view_.relayouts, 2);
  controller_->ApplyLanguage(7);  // no such language: 0
  EXPECT_EQ(controller_->LanguageIndex(), 0);
}

TEST_F(MainControllerTest, AConfiguredLanguageTheComboLacksIsStillApplied) {
  controller_ = std::make_unique<MainController>(view_, pipeline_, System());
  view_.controller = controller_.get();
  view_.clock = &clock_;
  controller_->SetLanguageIndex(7);
  controller_->Initialise();
  EXPECT_EQ(loads_, std::vector<int>{7});
  EXPECT_EQ(controller_->LanguageIndex(), 0);
}

}  // namespace main_controller_test
