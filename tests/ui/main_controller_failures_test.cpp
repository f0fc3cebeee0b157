// The checks that refuse an install with a prompt, and the failures of a
// running one: what the window says and where it goes back to.
#include "main_controller_fixture.h"

namespace main_controller_test {

TEST_F(MainControllerTest, FreeSpaceBelowOneGibibyteIsRefusedExactlyOneIsAccepted) {
  Start();
  freeBytes_ = kGiB * 99 / 100;
  view_.Click("defaultInstallBtn");
  ASSERT_EQ(view_.prompts.size(), 1u);
  EXPECT_EQ(view_.prompts[0].layout, "MessageBox2Wnd.xml");
  EXPECT_EQ(view_.prompts[0].text,
            std::string("Not enough free space. Quillon needs at least 1 GB. Please choose another folder."));
  EXPECT_EQ(view_.prompts[0].caption, std::string(kCaption));
  EXPECT_EQ(view_.sent.back(), std::make_pair(std::string("install"), uintptr_t{0}));
  EXPECT_TRUE(pipeline_.jobs.empty());
  EXPECT_TRUE(view_.IsEnabled("customeInstallBtn"));

  SkinUI::AddLocalText(104, "localised 104");
  freeProbeWorks_ = false;  // a failed probe is refused too
  view_.Click("defaultInstallBtn");
  EXPECT_EQ(view_.prompts.back().text, std::string("localised 104"));

  freeProbeWorks_ = true;
  freeBytes_ = kGiB;
  view_.Click("defaultInstallBtn");
  view_.Pump();
  EXPECT_EQ(view_.prompts.size(), 2u);
  EXPECT_EQ(pipeline_.jobs.size(), 1u);
  EXPECT_EQ(view_.Page(), MainController::kInstallingPage);
}

TEST_F(MainControllerTest, AnUnusableFolderIsRefused) {
  Start();
  view_.Click("customeBtn");
  view_.SetText("installDirEdit", "<bad>");
  view_.Click("customeInstallBtn");
  ASSERT_EQ(view_.prompts.size(), 1u);
  EXPECT_EQ(view_.prompts[0].text, std::string("This folder cannot be used. Please choose another folder."));
  EXPECT_TRUE(view_.IsEnabled("customeInstallBtn"));
  EXPECT_EQ(view_.Page(), MainController::kCustomPage);
  EXPECT_TRUE(pipeline_.jobs.empty());
}

TEST_F(MainControllerTest, RunningProductOrUninstallerStopsTheInstallUnlessInsNew) {
  Start();
  running_ = {L"velmotranslate_un_asa.exe"};
  view_.Click("defaultInstallBtn");
  EXPECT_EQ(view_.prompts.back().text, std::string(kRunning));
  EXPECT_TRUE(view_.closes.empty());  // nothing installed: the window stays
  running_ = {L"velmotranslate.exe"};
  view_.Click("defaultInstallBtn");
  EXPECT_EQ(view_.closes, std::vector<int>{1});
  EXPECT_TRUE(pipeline_.jobs.empty());
  controller_->Settings().insNew = true;
  view_.Click("defaultInstallBtn");
  EXPECT_EQ(pipeline_.jobs.size(), 1u);
}

TEST_F(MainControllerTest, NetworkCheckShowsTheInstallingPageOnlyAfterAGoodVerdict) {
  settings_.isCheckNet = true;
  Start();
  view_.Click("defaultInstallBtn");
  view_.Pump();
  EXPECT_EQ(netChecks_, 1);
  EXPECT_EQ(view_.Page(), MainController::kStartPage);
  controller_->OnNotify("checknet", "", 1 << 16);  // no connectivity
  EXPECT_EQ(view_.prompts.back().text,
            std::string("Your network connection is poor. Please try again when it is stable."));
  EXPECT_EQ(view_.Page(), MainController::kStartPage);
  EXPECT_EQ(pipeline_.starts, 0);
  view_.Click("defaultInstallBtn");
  controller_->OnNotify("checknet", "", 0);  // a failed probe lets it go on
  EXPECT_EQ(view_.Page(), MainController::kInstallingPage);
  EXPECT_EQ(pipeline_.starts, 1);
  EXPECT_EQ(view_.prompts.size(), 1u);
}

TEST_F(MainControllerTest, InstallFailureResetsTheBarOnlyFromSeventyPercent) {
  Start();
  InstallNow();
  view_.SetValue("installPrg", 69);
  Notify(2004, 7, L"");
  EXPECT_EQ(view_.prompts.back().text, std::string("Installation failed."));
  EXPECT_EQ(view_.GetValue("installPrg"), 69);
  EXPECT_EQ(view_.Page(), MainController::kStartPage);
  InstallNow();
  view_.SetValue("installPrg", 70);
  Notify(2004, 7, L"包损坏");
  EXPECT_EQ(view_.prompts.back().text, std::string("包损坏"));
  EXPECT_EQ(view_.GetValue("installPrg"), 0);
  EXPECT_EQ(view_.GetText("progressLb"), "Installing: 0%. Please wait...");
  EXPECT_EQ(pipeline_.failureReports, (std::vector<std::pair<int, bool>>{{2004, false}, {2004, false}}));
}

TEST_F(MainControllerTest, DownloadFailureRetriesFromTheStartPageWithoutResettingProgressOrReports) {
  Start();
  view_.Click("customeBtn");
  view_.SetText("installDirEdit", (scratch_.Path() / "Custom").u8string());
  view_.Click("createDSCb");
  view_.Click("customeInstallBtn");
  view_.Pump();
  Notify(1001);
  Notify(2002, 0.0);
  const double fraction = controller_->InstallFraction();
  clock_ += 30000;
  view_.answers = {0};  // "重新安装"
  Notify(1004, 28);
  EXPECT_EQ(pipeline_.downloadFailureReports, std::vector<int>{1004});
  EXPECT_EQ(view_.Page(), MainController::kCustomPage);  // the start page, until "install"
  view_.Pump();
  EXPECT_EQ(view_.Page(), MainController::kInstallingPage);
  ASSERT_EQ(pipeline_.jobs.size(), 2u);
  EXPECT_EQ(pipeline_.jobs[1].folder, pipeline_.jobs[0].folder);
  EXPECT_FALSE(pipeline_.jobs[1].desktopShortcut);
  EXPECT_EQ(pipeline_.starts, 2);
  controller_->OnDownloaderStartedMessage();
  clock_ += 31000;  // the stopwatch still counts from the first 1001
  Notify(1002, 0.0);
  EXPECT_EQ(view_.GetText("progressLb"), "Installing: 0%. This may take a few minutes...");
  Notify(1001);
  EXPECT_EQ(reports_.Count(L"下载器启动"), 1);
  EXPECT_EQ(reports_.Count(L"开始下载大包"), 2);
  Notify(2002, 0.0);
  EXPECT_DOUBLE_EQ(controller_->InstallFraction(), fraction + 0.15);

  view_.answers = {2};
  Notify(1004, 28);
  EXPECT_EQ(view_.Page(), MainController::kCustomPage);
  EXPECT_EQ(pipeline_.jobs.size(), 2u);
  EXPECT_TRUE(view_.closes.empty());
}

TEST_F(MainControllerTest, OldVersionNotRemovedShowsTheRunningPrompt) {
  Start();
  InstallNow();
  Notify(5004);
  EXPECT_EQ(view_.prompts.back().text, std::string(kRunning));
  EXPECT_EQ(view_.Page(), MainController::kStartPage);
  EXPECT_TRUE(view_.closes.empty());
  Notify(3009, 0, L"来自安装包");
  EXPECT_EQ(view_.prompts.back().layout, "MessageBox1Wnd.xml");
  EXPECT_EQ(view_.prompts.back().caption, std::string("Message"));
}

}  // namespace main_controller_test
