// What a started install hands to the pipeline, and the start with an
// installed copy on the machine.
#include "main_controller_fixture.h"

namespace main_controller_test {

// --- StartInstall ---------------------------------------------------------

TEST_F(MainControllerTest, CustomInstallHandsTheChoicesToThePipeline) {
  Start();
  view_.Click("customeBtn");
  view_.SetText("installDirEdit", (scratch_.Path() / "Apps").u8string());
  view_.Click("createQSCb");
  view_.SelectItem("languageCombo", 2);
  view_.Click("customeInstallBtn");
  EXPECT_FALSE(view_.IsEnabled("customeInstallBtn"));  // until "install" arrives
  view_.Pump();
  EXPECT_TRUE(view_.IsEnabled("customeInstallBtn"));
  ASSERT_EQ(pipeline_.jobs.size(), 1u);
  const IMainPipeline::Job& job = pipeline_.jobs[0];
  EXPECT_EQ(job.folder, Install::EffectiveInstallFolder(WidePath(scratch_.Path() / "Apps"), defaultFolder_.wstring()));
  EXPECT_TRUE(job.desktopShortcut);
  EXPECT_FALSE(job.quickLaunchShortcut);
  EXPECT_TRUE(job.adminAccount);
  EXPECT_EQ(job.language, L"zh-TW");
  EXPECT_EQ(reports_.clicks, (std::vector<std::wstring>{L"自定义安装", L"自定义安装_立即安装"}));
  EXPECT_EQ(view_.Page(), MainController::kInstallingPage);
}

TEST_F(MainControllerTest, WithoutTheNetworkCheckTheInstallingPageFollowsTheChecks) {
  Start();
  view_.Click("defaultInstallBtn");
  EXPECT_EQ(view_.posted.size(), 1u);
  view_.Pump();
  EXPECT_EQ(netChecks_, 0);
  EXPECT_EQ(view_.Page(), MainController::kInstallingPage);
}

// --- an installed copy ------------------------------------------------------

class InstalledCopy : public MainControllerTest {
 protected:
  void SetUp() override {
    MainControllerTest::SetUp();
    previous_ = scratch_.Path() / "old" / "velmotranslate";
    fs::create_directories(previous_);
    registry_.previousInstallPath = previous_.wstring();
    registry_.oldUninstallerPath = (previous_ / "uninst.ep").wstring();
    installedLanguage_ = 1;
  }
  fs::path previous_;
};

TEST_F(InstalledCopy, InsNewInstallsIntoTheInstalledFolderAtOnce) {
  settings_.insNew = true;
  running_ = {L"velmotranslate.exe"};
  Start();
  view_.Pump();
  EXPECT_TRUE(view_.prompts.empty());
  ASSERT_EQ(pipeline_.jobs.size(), 1u);
  EXPECT_EQ(pipeline_.jobs[0].folder, previous_.wstring());
  EXPECT_EQ(pipeline_.jobs[0].oldUninstallerPath, (previous_ / "uninst.ep").wstring());
  EXPECT_EQ(pipeline_.jobs[0].language, L"zh-CN");  // the installed copy's language
  EXPECT_EQ(view_.Page(), MainController::kInstallingPage);
}

TEST_F(InstalledCopy, KeptInstallationHandsNoUninstaller) {
  settings_.insNew = true;
  quillon_test::WriteBytes(previous_ / "set.ini", "[Uninstall]\r\nIsOverride=false\r\n");
  Start();
  ASSERT_EQ(pipeline_.jobs.size(), 1u);
  EXPECT_EQ(pipeline_.jobs[0].oldUninstallerPath, L"");
}

TEST_F(InstalledCopy, RunningProductClosesTheWindowAfterThePrompt) {
  running_ = {L"velmotranslate.exe"};
  Start();
  ASSERT_EQ(view_.prompts.size(), 1u);
  EXPECT_EQ(view_.prompts[0].layout, "MessageBox1Wnd.xml");
  EXPECT_EQ(view_.closes, std::vector<int>{1});
}

TEST_F(InstalledCopy, TheUpdatePromptOpensInstallsOrCloses) {
  view_.answers = {1};  // "打开软件"
  Start();
  EXPECT_EQ(view_.prompts[0].layout, "InstalledPathTipWnd.xml");
  ASSERT_EQ(opened_.size(), 1u);
  EXPECT_EQ(opened_[0].target, Install::JoinPath(previous_.wstring(), L"velmotranslate.exe"));
  EXPECT_EQ(opened_[0].folder, previous_.wstring());
  EXPECT_FALSE(opened_[0].maximised);
  EXPECT_EQ(view_.closes, std::vector<int>{1});

  view_ = RecordingView();
  view_.answers = {0};  // "安装最新版本"
  Start();
  view_.Pump();
  EXPECT_EQ(pipeline_.jobs.back().folder, previous_.wstring());
  EXPECT_TRUE(view_.closes.empty());

  view_ = RecordingView();
  view_.answers = {2};
  Start();
  EXPECT_EQ(view_.closes, std::vector<int>{1});
}

}  // namespace main_controller_test
