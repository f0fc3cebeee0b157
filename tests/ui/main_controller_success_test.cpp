// A finished install: the records written, the product started, and the
// finished window's timers.
#include "main_controller_fixture.h"

namespace main_controller_test {

// --- success ----------------------------------------------------------------

TEST_F(MainControllerTest, SuccessWritesTheRecordsOfTheReportedFolder) {
  Start();
  InstallNow();
  const fs::path folder = scratch_.Path() / "reported";
  fs::create_directories(folder);
  quillon_test::WriteBytes(folder / "my_uninst.exe", "x");
  Notify(3000, 0, folder.wstring() + L"\r");  // as the status line carries it
  Notify(3003, 0, (folder / "my_uninst.exe").wstring() + L"\r");
  Notify(2003);
  EXPECT_EQ(controller_->InstallFolder(), folder.wstring());
  EXPECT_EQ(reports_.Count(L"安装成功"), 1);
  EXPECT_EQ(view_.GetValue("installPrg"), 100);
  EXPECT_TRUE(view_.IsVisible("softNameLbl"));
  EXPECT_TRUE(fs::exists(folder / "set.ini"));
  EXPECT_TRUE(fs::exists(folder / "config.ini"));
  const Install::RegistryRecords written = Install::ReadRegistryRecords();
  EXPECT_EQ(written.previousInstallPath, folder.wstring());
  EXPECT_EQ(written.oldUninstallerPath, (folder / "my_uninst.exe").wstring());
  EXPECT_EQ(view_.Get("installPrg")->foreImage, "");  // no finished bar on disk

  fs::create_directories(scratch_.Path() / "skin" / "res" / "mainWnd");
  quillon_test::WriteBytes(scratch_.Path() / "skin" / "res" / "mainWnd" / "installPrg3.png", "png");
  Notify(2003);
  EXPECT_EQ(view_.Get("installPrg")->foreImage, "res\\mainWnd\\installPrg3.png");
}

TEST_F(MainControllerTest, StartupStylesDecideWhenTheProductRuns) {
  const fs::path exe = scratch_.Path() / "velmotranslate.exe";
  quillon_test::WriteBytes(exe, "x");
  for (int style : {0, 1, 2}) {
    opened_.clear();
    view_ = RecordingView();
    Start();
    InstallNow();
    Notify(3001, 0, exe.wstring());
    Notify(3005, style);
    Notify(2003);
    const size_t atSuccess = opened_.size();
    view_.Click("openProduceBtn");
    EXPECT_EQ(view_.closes, std::vector<int>{1}) << style;
    if (style == 0) {
      EXPECT_TRUE(opened_.empty());
      continue;
    }
    EXPECT_EQ(atSuccess, style == 1 ? 2u : 0u) << style;
    ASSERT_EQ(opened_.size(), 2u) << style;
    EXPECT_EQ(opened_[0].target, MainController::kDefaultStartUrl);
    EXPECT_TRUE(opened_[0].maximised);
    EXPECT_EQ(opened_[1].target, exe.wstring());
    EXPECT_FALSE(opened_[1].maximised);
  }
  EXPECT_EQ(std::wstring(MainController::kDefaultStartUrl).size(), 35u);
  EXPECT_EQ(std::wstring(MainController::kDefaultStartUrl).rfind(L"https://", 0), 0u);
}

TEST_F(MainControllerTest, AShortStartUrlAndAMissingProductOpenNothing) {
  Start();
  InstallNow();
  Notify(3004, 0, L"about");
  Notify(3001, 0, (scratch_.Path() / "missing.exe").wstring());
  Notify(3005, 1);
  Notify(2003);
  EXPECT_TRUE(opened_.empty());
  EXPECT_EQ(view_.pumps, 0);
}

TEST_F(MainControllerTest, TheFinishedWindowComesToTheFrontAndClosesOnTheTestClock) {
  Start();
  InstallNow();
  Notify(3008, 5000);
  Notify(2003);
  view_.Advance(2999);
  EXPECT_EQ(view_.broughtToFront, 0);
  view_.Advance(1);
  EXPECT_EQ(view_.broughtToFront, 1);
  view_.Advance(1999);
  EXPECT_TRUE(view_.closes.empty());
  view_.Advance(1);
  EXPECT_EQ(view_.closes, std::vector<int>{1});
  view_.Advance(60000);  // both timers were killed
  EXPECT_EQ(view_.broughtToFront, 1);
  EXPECT_EQ(view_.closes.size(), 1u);
}

TEST_F(MainControllerTest, ByDefaultTheFinishedWindowStaysAtTheLongestTimerPeriod) {
  Start();
  InstallNow();
  Notify(3007, 0);       // no bringing to the front
  Notify(3008, -5);      // nonsense saturates to 0: no close timer
  Notify(3005, 1e300);   // saturates instead of being undefined
  Notify(2003);
  EXPECT_TRUE(view_.timers.empty());
  view_ = RecordingView();
  Start();
  InstallNow();
  Notify(2003);
  ASSERT_EQ(view_.timers.count(MainController::kFinishCloseTimer), 1u);
  EXPECT_EQ(view_.timers[MainController::kFinishCloseTimer].first, 0x7FFFFFFFu);
  EXPECT_EQ(view_.timers[MainController::kTopShowTimer].first, 3000u);
}

}  // namespace main_controller_test
