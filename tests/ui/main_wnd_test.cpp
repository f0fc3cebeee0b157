// The main window on a real window of the test's display, the product's
// skin embedded, driven by real clicks. The pipeline is a recording one
// that never starts anything; its notifications are made by the test
// through the window's own callback, from another thread as the phases do.
#include "ui/main_wnd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "../install/install_test_platform.h"
#include "app/analytics_adapter.h"
#include "app/installer_config.h"
#include "support/scratch_dir.h"
#include "driven_window.h"
#include "ui/main_controller.h"
#include "ui/sequence_controls.h"
#include "uikit/automation.h"
#include "uikit/button.h"
#include "uikit/combo.h"
#include "uikit/container.h"
#include "uikit/label.h"
#include "uikit/png.h"
#include "uikit/progress.h"
#include "uikit/text.h"
#include "uikit/text_table.h"

namespace {

namespace fs = std::filesystem;
using namespace SkinUI;
using quillon_test::ScratchDir;

constexpr int kWait = 8000;  // ms; only a bound

class CountingPipeline : public IMainPipeline {
 public:
  CountingPipeline(int* starts, int* downloadFailures) : starts_(starts), downloadFailures_(downloadFailures) {}
  void SetJob(const Job&) override {}
  void Start() override { ++*starts_; }
  void DownloadFailureReport(int, double, const std::wstring&) override { ++*downloadFailures_; }
  void FailureReport(int, double, const std::wstring&, bool) override {}

 private:
  int* starts_;
  int* downloadFailures_;
};

using ui_test::DrivenWindow;

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* v : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "APPDATA"}) {
      const char* old = getenv(v);
      saved_.emplace_back(v, old ? std::optional<std::string>(old) : std::nullopt);
      install_test::SetEnvironment(v, (scratch_.Path() / v).u8string().c_str());
    }
  }
  void TearDown() override {
    window_.reset();
    for (auto& e : saved_) install_test::SetEnvironment(e.first.c_str(), e.second ? e.second->c_str() : nullptr);
  }

  void Open(std::function<void()> startNetworkCheck = nullptr) {
    MainSystem system;
    system.startNetworkCheck = std::move(startNetworkCheck);
    system.processRunning = [](const std::wstring&) { return false; };
    system.readRegistry = [] { return Install::RegistryRecords(); };
    system.defaultFolder = [this](const std::wstring&, const std::wstring&) {
      Install::DefaultFolder d;
      d.folder = (scratch_.Path() / "velmotranslate").wstring();
      return d;
    };
    system.shellOpen = [this](const std::wstring& target, const std::wstring&, bool) { opened_.push_back(target); };
    window_ = std::make_unique<DrivenWindow>(std::move(system),
                                             std::make_unique<CountingPipeline>(&starts_, &downloadFailures_));
    ASSERT_TRUE(window_->Create(nullptr, L"Quillon"));
    window_->Host().Move(Point{60, 60});
    window_->ShowWindow();
    // Shown when the install button's blue is on the screen.
    ASSERT_TRUE(Automation::WaitFor([&] { return Shows("defaultInstallBtn"); }, kWait));
  }

  Control* Find(const char* name) { return window_->FindControl(name); }
  Point Centre(const char* name) {
    const Rect r = Find(name)->GetPos();
    return Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  // The control's centre pixel on the screen is not the page's white.
  bool Shows(const char* name) {
    Control* c = Find(name);
    if (!c || !c->IsShown()) return false;
    const Bitmap shot = Automation::CaptureWindow(window_->Host());
    const Point p = Centre(name);
    if (shot.IsEmpty() || p.x >= shot.width || p.y >= shot.height) return false;
    return (shot.At(p.x, p.y) & 0xFFFFFF) != 0xFFFFFF;
  }
  bool Click(const char* name) { return Automation::Click(window_->Host(), Centre(name)); }
  int Page() { return static_cast<TabLayout*>(Find("mainTabLt")->GetInterface("TabLayout"))->GetCurSel(); }
  int Bar() { return static_cast<Progress*>(Find("installPrg")->GetInterface("Progress"))->GetValue(); }
  bool WaitPage(int page) { return Automation::WaitFor([&] { return Page() == page; }, kWait); }
  // Notifications from a worker thread, as the pipeline's phases send them.
  void FromWorker(const std::vector<std::pair<int, double>>& notes) {
    std::thread worker([&] {
      for (auto& n : notes) window_->OnPipelineNotify(n.first, n.second, L"");
    });
    worker.join();
  }
  void Capture(const std::string& name) {
    // Let every dirty rectangle reach the screen first.
    Automation::WaitFor([] { return false; }, 300);
    const Bitmap shot = Automation::CaptureWindow(window_->Host());
    ASSERT_FALSE(shot.IsEmpty());
    const char* dir = getenv("QUILLON_SCREENSHOT_DIR");
    if (!dir) return;
    std::ofstream out(fs::path(dir) / (name + ".png"), std::ios::binary);
    const std::string png = EncodePng(shot);
    out.write(png.data(), static_cast<std::streamsize>(png.size()));
  }

  ScratchDir scratch_;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
  std::unique_ptr<DrivenWindow> window_;
  int starts_ = 0;
  int downloadFailures_ = 0;
  std::vector<std::wstring> opened_;
};

// "-insnew=true" over an installed copy starts the installation from the
// window's initialisation; it begins once the user can see the window, so
// the wait for a running product shows on the installing page.
TEST_F(MainWindow, AnInstallationStartedAtInitialisationBeginsOnlyOnceTheWindowShows) {
  const bool insNew = g_InstallerConfig.InsNew;
  g_InstallerConfig.InsNew = true;
  MainSystem system;
  system.processRunning = [](const std::wstring&) { return false; };
  const std::wstring installed = (scratch_.Path() / "installed").wstring();
  system.readRegistry = [installed] {
    Install::RegistryRecords records;
    records.previousInstallPath = installed;
    return records;
  };
  system.defaultFolder = [installed](const std::wstring&, const std::wstring&) {
    Install::DefaultFolder d;
    d.folder = installed;
    return d;
  };
  window_ = std::make_unique<DrivenWindow>(std::move(system),
                                           std::make_unique<CountingPipeline>(&starts_, &downloadFailures_));
  ASSERT_TRUE(window_->Create(nullptr, L"Quillon"));
  g_InstallerConfig.InsNew = insNew;
  // The loop turns with the window still hidden: nothing begins.
  Automation::WaitFor([] { return false; }, 300);
  EXPECT_EQ(starts_, 0);
  EXPECT_FALSE(window_->Host().IsVisible());
  window_->ShowWindow();
  ASSERT_TRUE(Automation::WaitFor([&] { return starts_ == 1; }, kWait));
  EXPECT_EQ(Page(), MainController::kInstallingPage);
}

TEST_F(MainWindow, AgreementCustomPageAndBackByRealClicks) {
  Open();
  EXPECT_EQ(window_->Host().ClientSize().cx, 600);
  EXPECT_EQ(window_->Host().ClientSize().cy, 400);
  EXPECT_EQ(Page(), 0);
  Capture("main-start");

  ASSERT_TRUE(Click("treatyCb"));
  ASSERT_TRUE(Automation::WaitFor([&] { return !Find("customeBtn")->IsEnabled(); }, kWait));
  EXPECT_FALSE(static_cast<Option*>(Find("treatyBtn")->GetInterface("Option"))->IsSelected());
  ASSERT_TRUE(Click("treatyCb"));
  ASSERT_TRUE(Automation::WaitFor([&] { return Find("customeBtn")->IsEnabled(); }, kWait));

  ASSERT_TRUE(Click("treatyBtn"));  // the terms link: opened, mark kept
  ASSERT_TRUE(Automation::WaitFor([&] { return !opened_.empty(); }, kWait));
  EXPECT_EQ(opened_[0], MainController::kTermsUrl);
  EXPECT_TRUE(static_cast<Option*>(Find("treatyBtn")->GetInterface("Option"))->IsSelected());

  ASSERT_TRUE(Click("customeBtn"));
  ASSERT_TRUE(WaitPage(1));
  ASSERT_TRUE(Automation::WaitFor([&] { return Shows("backBtn"); }, kWait));
  Capture("main-custom");
  ASSERT_TRUE(Click("backBtn"));
  ASSERT_TRUE(WaitPage(0));
}

TEST_F(MainWindow, InstallingPageRefusesToCloseAndShowsPostedProgress) {
  Open();
  ASSERT_TRUE(Click("defaultInstallBtn"));
  ASSERT_TRUE(WaitPage(2));
  EXPECT_EQ(starts_, 1);
  EXPECT_FALSE(Find("titleGrpCtn")->IsVisible());
  // Before any progress arrives the page already speaks the window's language.
  EXPECT_EQ(Find("progressLb")->GetText(), "Installing: 0%. Please wait...");

  window_->Host().Close();  // what Alt+F4 asks for
  Automation::WaitFor([] { return false; }, 300);
  ASSERT_TRUE(window_->Host().IsAlive());

  // The spinner turns on the window's own timers.
  auto* spinner = dynamic_cast<CSequenceLabelUI*>(Find("progressAnLb"));
  ASSERT_NE(spinner, nullptr);
  const unsigned firstFrame = spinner->Sequence().GetCurrentFrame();
  EXPECT_TRUE(Automation::WaitFor([&] { return spinner->Sequence().GetCurrentFrame() != firstFrame; }, kWait));

  FromWorker({{1001, 0}, {1002, 0.5}});
  ASSERT_TRUE(Automation::WaitFor([&] { return Bar() == 35; }, kWait));
  // The window speaks English (language 0) and the table has the wording.
  EXPECT_EQ(Find("progressLb")->GetText(), "Installing: 35%. Please wait...");
  EXPECT_EQ(window_->PendingRecords(), 0u);
  EXPECT_EQ(CMainWnd::LiveRecords(), 0u);
  Capture("main-installing");

  FromWorker({{2003, 0}});
  ASSERT_TRUE(WaitPage(3));
  ASSERT_TRUE(Automation::WaitFor([&] { return Shows("openProduceBtn"); }, kWait));
  // The ring closes once and keeps its last frame; the spinner has stopped.
  auto* ring = dynamic_cast<CSequenceLabelUI*>(Find("finishedLbl"));
  ASSERT_NE(ring, nullptr);
  EXPECT_TRUE(Automation::WaitFor([&] { return ring->GetBkImage().text == "res\\mainWnd\\finishAnimate\\029.png"; }, kWait))
      << ring->GetBkImage().text;
  EXPECT_TRUE(Automation::WaitFor([&] { return !ring->IsPlaying(); }, kWait));
  EXPECT_EQ(ring->GetBkImage().text, "res\\mainWnd\\finishAnimate\\029.png");
  EXPECT_FALSE(spinner->IsPlaying());
  Capture("main-finished");
  window_->Host().Close();  // the finished page closes
  ASSERT_TRUE(Automation::WaitFor([&] { return !window_->Host().IsAlive(); }, kWait));
}

TEST_F(MainWindow, RecordsPostedToAGoneWindowOrLeftInItsQueueAreFreed) {
  Open();
  // Queued and never handled: the window object frees them. (The loop's
  // own queue keeps copies of the pointers, so a leak check alone would
  // not see them lost; the count does.)
  FromWorker({{3000, 0}, {3001, 0}, {1002, 0.1}});
  EXPECT_EQ(window_->PendingRecords(), 3u);
  window_->Host().Destroy();
  EXPECT_FALSE(window_->Host().IsAlive());
  // The post fails: freed at once.
  FromWorker({{1002, 0.2}});
  EXPECT_EQ(window_->PendingRecords(), 3u);
  EXPECT_EQ(CMainWnd::LiveRecords(), 3u);
  window_.reset();
  EXPECT_EQ(CMainWnd::LiveRecords(), 0u);
}

TEST_F(MainWindow, ARecordTheWindowDidNotPostIsIgnored) {
  Open();
  PipelineRecord stranger{1002, 0.9, L""};
  ASSERT_TRUE(window_->PostCustomMessage(kPipelineMessage, 0, reinterpret_cast<intptr_t>(&stranger)));
  ASSERT_TRUE(window_->PostCustomMessage(kPipelineMessage, 0, 0));
  FromWorker({{1002, 0.5}});
  ASSERT_TRUE(Automation::WaitFor([&] { return window_->PendingRecords() == 0; }, kWait));
  EXPECT_EQ(Bar(), 35);  // only the window's own record was read
  EXPECT_EQ(CMainWnd::LiveRecords(), 0u);
}

TEST_F(MainWindow, ADownloadFailureAsksAndRetriesFromInsideThePrompt) {
  Open();
  ASSERT_TRUE(Click("defaultInstallBtn"));
  ASSERT_TRUE(WaitPage(2));
  bool promptShown = false;
  // NetworkTipWnd's "okBtn" ("重新安装"), clicked once the prompt shows it.
  window_->WhenReady(
      [&] {
        Rect ok;
        return Automation::FindControl("okBtn", &ok) && !window_->Host().IsEnabled();
      },
      [&] {
        promptShown = Automation::ClickControl("okBtn");
      });
  FromWorker({{1004, 28}});
  ASSERT_TRUE(Automation::WaitFor([&] { return starts_ == 2; }, kWait));
  EXPECT_TRUE(promptShown);
  EXPECT_EQ(downloadFailures_, 1);
  EXPECT_EQ(Page(), 2);  // the retry's installing page
  EXPECT_TRUE(window_->Host().IsEnabled());
}

// Every text a window holds for the user, as it draws them (tokens
// replaced); the language names of the combo box are not among them, being
// each in its own language on purpose.
std::vector<std::string> ShownTexts(WindowImplBase& w) {
  std::vector<std::string> texts;
  w.PaintManager().GetRoot()->ForEach([&](Control& c) {
    if (c.GetParent() && c.GetParent()->GetInterface("Combo")) return;
    if (!c.GetInterface("Label")) return;
    const std::string text = ExpandTextTokens(c.GetText());
    if (!text.empty()) texts.push_back(text);
  });
  return texts;
}

// The texts holding a character of Chinese (language 0) or, for
// Traditional Chinese, one of a few common Simplified-only forms.
std::vector<std::string> ForeignTexts(const std::vector<std::string>& texts, int language) {
  const std::u32string simplifiedOnly = DecodeUtf8("这们个发开关时间门问题网络装载请选择软体验创启栏径简语译测检环较试败无资为从户协议读阅运动设进错误过页显视线连畅盘许联温吗当");
  std::vector<std::string> foreign;
  for (const std::string& text : texts)
    for (char32_t c : DecodeUtf8(text)) {
      const bool chinese = c >= 0x2E80 && c <= 0x9FFF;
      if ((language == 0 && chinese) || (language == 2 && simplifiedOnly.find(c) != std::u32string::npos)) {
        foreign.push_back(text);
        break;
      }
    }
  return foreign;
}

bool Holds(const std::vector<std::string>& texts, const std::string& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// The window starts in English; a language chosen in its combo box speaks in
// the window and in the prompt the close button brings up afterwards, read
// back from the real windows while the prompt is on the screen.
TEST_F(MainWindow, TheChosenLanguageSpeaksInTheWindowAndInEveryPromptAfterIt) {
  Open();
  std::vector<std::string> texts = ShownTexts(*window_);
  EXPECT_EQ(ForeignTexts(texts, 0), std::vector<std::string>{});
  EXPECT_TRUE(Holds(texts, "Install now"));

  struct Case {
    int language;
    std::vector<std::string> buttons;
  };
  for (const Case& c : {Case{2, {"\u78ba\u5b9a", "\u53d6\u6d88"}}, Case{0, {"Yes", "No"}}}) {
    SCOPED_TRACE(c.language);
    static_cast<Combo*>(Find("languageCombo")->GetInterface("Combo"))->SelectItem(c.language);
    texts = ShownTexts(*window_);
    EXPECT_EQ(ForeignTexts(texts, c.language), std::vector<std::string>{});
    EXPECT_EQ(Holds(texts, "Install now"), c.language == 0);

    std::vector<std::string> prompt;
    bool answered = false;
    window_->WhenReady(
        [&] {
          Rect ok;
          return Automation::FindControl("okBtn", &ok) && !window_->Host().IsEnabled();
        },
        [&] {
          prompt = ShownTexts(*WindowImplBase::LiveWindows().back());
          answered = Automation::ClickControl("cancelBtn");  // stay
        });
    // The close button's click as the window hands it on: a real click's
    // input would wait behind the turns posted above, which Windows hands
    // out first. The prompt runs modally in here and is answered by a real
    // click.
    window_->Controller().OnClick("closebtn");
    EXPECT_TRUE(answered);
    EXPECT_TRUE(window_->Host().IsEnabled());
    EXPECT_EQ(ForeignTexts(prompt, c.language), std::vector<std::string>{});
    for (const std::string& button : c.buttons) EXPECT_TRUE(Holds(prompt, button)) << button;
    EXPECT_TRUE(window_->Host().IsAlive());
  }
}

class StepCounter : public analytics_adapter::Observer {
 public:
  StepCounter() { analytics_adapter::SetObserver(this); }
  ~StepCounter() override { analytics_adapter::SetObserver(nullptr); }
  void OnStep(const std::wstring& step, float, const std::wstring&, const AnalyticsProperties&) override {
    std::lock_guard<std::mutex> lock(mutex);
    steps.push_back(step);
  }
  size_t Count(const std::wstring& step) {
    std::lock_guard<std::mutex> lock(mutex);
    return static_cast<size_t>(std::count(steps.begin(), steps.end(), step));
  }
  std::mutex mutex;
  std::vector<std::wstring> steps;
};

TEST_F(MainWindow, TheNetworkAnswerAndTheOutsideMessageArriveThroughTheQueue) {
  StepCounter counter;
  std::unique_ptr<std::thread> checker;
  Open([&] {
    // As the check's worker: the answer posted from another thread.
    checker = std::make_unique<std::thread>([&] { window_->PostCustomMessage(kCheckNetMessage, 0, 0); });
  });
  window_->Controller().Settings().isCheckNet = true;
  ASSERT_TRUE(Click("defaultInstallBtn"));
  ASSERT_TRUE(Automation::WaitFor([&] { return checker != nullptr; }, kWait));
  checker->join();
  ASSERT_TRUE(WaitPage(2));
  EXPECT_EQ(starts_, 1);

  ASSERT_TRUE(window_->PostCustomMessage(kDownloaderStartedMessage));
  ASSERT_TRUE(window_->PostCustomMessage(kDownloaderStartedMessage));
  FromWorker({{1001, 0}});
  ASSERT_TRUE(Automation::WaitFor([&] { return counter.Count(L"开始下载大包") == 1; }, kWait));
  EXPECT_EQ(counter.Count(L"下载器启动"), 1u);
}

}  // namespace
