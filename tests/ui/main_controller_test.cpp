// The main window's decisions on a recording view: controls by name with
// the real controls' notification rules (a change of selection or page
// notifies, no change does not), prompts answered from a script, a test
// clock for the timers and the stopwatch. Records are real files in a
// scratch folder; analytics reports are watched through the adapter.
#include "ui/main_controller.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "../install/install_test_platform.h"
#include "app/analytics_adapter.h"
#include "install/signature.h"
#include "support/scratch_dir.h"
#include "ui/ui_texts.h"
#include "uikit/text_table.h"
#include "utils/utf8.h"

namespace {

namespace fs = std::filesystem;
using quillon_test::ScratchDir;
using quillon_test::WidePath;

struct Prompt {
  std::string layout;
  std::optional<std::string> text, caption;
};

struct FakeControl {
  enum Kind { kPlain, kCheck, kTab, kCombo, kProgress, kSequence } kind = kPlain;
  bool selected = false, enabled = true, visible = true, playing = false;
  std::string text, userData, bkImage, foreImage;
  int value = 0, cur = 0, items = 0, fixedWidth = 0;
};

class RecordingView : public IMainView {
 public:
  RecordingView() {
    using K = FakeControl::Kind;
    for (const char* n : {"winCtn", "defaultInstallBtn", "customeBtn", "backBtn", "chDirBtn", "customeInstallBtn",
                          "openProduceBtn", "installDirEdit", "progressLb", "softNameLbl", "installLogo",
                          "bTitleLbl1", "bTitleLbl2", "bTitleLbl3", "titleGrpCtn", "lbLanguage", "lbInstallPath", "closebtn", "minbtn"})
      controls[n] = FakeControl{};
    for (const char* n : {"treatyCb", "treatyBtn", "serviceCb", "createDSCb", "createQSCb"})
      controls[n] = Check();
    controls["tipLbl"].visible = false;
    controls["backBtn"].visible = false;
    controls["softNameLbl"].visible = false;
    controls["installLogo"].visible = false;
    controls["mainTabLt"] = Tab(4, 0);
    controls["titleTabLt"] = Tab(3, 1);
    controls["languageCombo"] = Tab(3, 0);
    controls["languageCombo"].kind = K::kCombo;
    controls["installPrg"].kind = K::kProgress;
    controls["progressAnLb"].kind = K::kSequence;
    controls["finishedLbl"].kind = K::kSequence;
  }
  static FakeControl Check() {
    FakeControl c;
    c.kind = FakeControl::kCheck;
    c.selected = true;
    return c;
  }
  static FakeControl Tab(int items, int cur) {
    FakeControl c;
    c.kind = FakeControl::kTab;
    c.items = items;
    c.cur = cur;
    return c;
  }

  MainController* controller = nullptr;
  std::map<std::string, FakeControl> controls;
  std::deque<int> answers;  // prompt results, in order; 2 when none left
  std::vector<Prompt> prompts;
  std::vector<int> closes;
  std::deque<std::pair<std::string, uintptr_t>> posted;
  std::vector<std::pair<std::string, uintptr_t>> sent;
  std::map<int, std::pair<uint32_t, uint64_t>> timers;  // id -> period, due
  uint64_t* clock = nullptr;
  int broughtToFront = 0, relayouts = 0, pumps = 0;
  std::optional<std::wstring> browseAnswer;

  FakeControl* Get(const std::string& n) {
    auto it = controls.find(n);
    return it == controls.end() ? nullptr : &it->second;
  }
  const FakeControl* Get(const std::string& n) const {
    auto it = controls.find(n);
    return it == controls.end() ? nullptr : &it->second;
  }
  int Page() const { return Get("mainTabLt")->cur; }
  // Delivers the posted notifications, as the window's loop does.
  void Pump() {
    while (!posted.empty()) {
      auto n = posted.front();
      posted.pop_front();
      controller->OnNotify(n.first, "", n.second);
    }
  }
  void Advance(uint64_t ms) {
    const uint64_t end = *clock + ms;
    for (;;) {
      int next = -1;
      uint64_t due = end + 1;
      for (auto& t : timers)
        if (t.second.second < due) due = t.second.second, next = t.first;
      if (next < 0 || due > end) break;
      *clock = due;
      timers[next].second = due + timers[next].first;
      controller->OnTimer(next);
    }
    *clock = end;
  }
  // A real user's click: a check box toggles first.
  void Click(const std::string& n) {
    FakeControl* c = Get(n);
    if (!c || !c->enabled || !c->visible) return;
    if (c->kind == FakeControl::kCheck) SetSelected(n, !c->selected);
    controller->OnNotify("click", n, 0);
  }

  bool Exists(const std::string& n) const override { return Get(n) != nullptr; }
  bool IsSelected(const std::string& n) const override { return Get(n) && Get(n)->selected; }
  void SetSelected(const std::string& n, bool s) override {
    FakeControl* c = Get(n);
    if (!c || c->selected == s) return;
    c->selected = s;
    controller->OnNotify("selectchanged", n, s);
  }
  bool IsEnabled(const std::string& n) const override { return Get(n) && Get(n)->enabled; }
  void SetEnabled(const std::string& n, bool e) override {
    if (FakeControl* c = Get(n)) c->enabled = e;
  }
  bool IsVisible(const std::string& n) const override { return Get(n) && Get(n)->visible; }
  void SetVisible(const std::string& n, bool v) override {
    if (FakeControl* c = Get(n)) c->visible = v;
  }
  std::string GetText(const std::string& n) const override { return Get(n) ? Get(n)->text : ""; }
  void SetText(const std::string& n, const std::string& t) override {
    if (FakeControl* c = Get(n)) c->text = t;
  }
  std::string GetUserData(const std::string& n) const override { return Get(n) ? Get(n)->userData : ""; }
  int GetValue(const std::string& n) const override { return Get(n) ? Get(n)->value : 0; }
  void SetValue(const std::string& n, int v) override {
    if (FakeControl* c = Get(n)) c->value = v;
  }
  int GetCurSel(const std::string& n) const override { return Get(n) ? Get(n)->cur : -1; }
  void SelectItem(const std::string& n, int i) override {
    FakeControl* c = Get(n);
    if (!c || i < 0 || i >= c->items || i == c->cur) return;
    c->cur = i;
    controller->OnNotify(c->kind == FakeControl::kCombo ? "itemselect" : "tabselect", n, i);
  }
  void SetBkImage(const std::string& n, const std::string& i) override {
    if (FakeControl* c = Get(n)) c->bkImage = i;
  }
  void SetForeImage(const std::string& n, const std::string& i) override {
    if (FakeControl* c = Get(n)) c->foreImage = i;
  }
  void SetFocus(const std::string& n) override { focus = n; }
  bool IsSequenceLabel(const std::string& n) const override {
    return Get(n) && Get(n)->kind == FakeControl::kSequence;
  }
  void StartAnimation(const std::string& n) override { Get(n)->playing = true; }
  void StopAnimation(const std::string& n) override { Get(n)->playing = false; }
  void FitWidthToText(const std::string& n, const std::optional<std::string>& t, bool withPadding) override {
    FakeControl* c = Get(n);
    if (!c) return;
    if (t) c->text = *t;
    c->fixedWidth = static_cast<int>(c->text.size()) * 10 + (withPadding ? 26 : 0);
  }
  void Relayout() override { ++relayouts; }
  int ShowPrompt(const std::string& layout, const std::optional<std::string>& text,
                 const std::optional<std::string>& caption) override {
    prompts.push_back({layout, text, caption});
    if (answers.empty()) return 2;
    const int a = answers.front();
    answers.pop_front();
    return a;
  }
  void Close(int result) override { closes.push_back(result); }
  void PostNotify(const std::string& type, uintptr_t w) override { posted.emplace_back(type, w); }
  void SendNotify(const std::string& type, uintptr_t w) override {
    sent.emplace_back(type, w);
    controller->OnNotify(type, "", w);
  }
  void StartTimer(int id, uint32_t period) override { timers[id] = {period, *clock + period}; }
  void KillTimer(int id) override { timers.erase(id); }
  void BringToFront() override { ++broughtToFront; }
  void PumpMessages(int) override { ++pumps; }
  bool BrowseFolder(const std::wstring& title, std::wstring* folder) override {
    browseTitles.push_back(title);
    if (!browseAnswer) return false;
    *folder = *browseAnswer;
    return true;
  }
  std::string focus;
  std::vector<std::wstring> browseTitles;
};

class RecordingPipeline : public IMainPipeline {
 public:
  std::vector<Job> jobs;
  int starts = 0;
  std::vector<std::pair<int, bool>> failureReports;  // code, download
  std::vector<int> downloadFailureReports;
  void SetJob(const Job& job) override { jobs.push_back(job); }
  void Start() override { ++starts; }
  void DownloadFailureReport(int code, double, const std::wstring&) override { downloadFailureReports.push_back(code); }
  void FailureReport(int code, double, const std::wstring&, bool download) override {
    failureReports.emplace_back(code, download);
  }
};

class Reports : public analytics_adapter::Observer {
 public:
  Reports() { analytics_adapter::SetObserver(this); }
  ~Reports() override { analytics_adapter::SetObserver(nullptr); }
  void OnStep(const std::wstring& step, float elapsed, const std::wstring&, const AnalyticsProperties& extra) override {
    steps.push_back(step);
    elapsedOf[step] = elapsed;
    allAb = allAb && extra == AnalyticsProperties{{L"AB", L"IN"}};
  }
  void OnClick(const std::wstring& control, const AnalyticsProperties& extra) override {
    clicks.push_back(control);
    allAb = allAb && extra == AnalyticsProperties{{L"AB", L"IN"}};
  }
  void OnView(const AnalyticsProperties& extra) override {
    ++views;
    allAb = allAb && extra == AnalyticsProperties{{L"AB", L"IN"}};
  }
  int Count(const std::wstring& step) const {
    int n = 0;
    for (const auto& s : steps) n += s == step;
    return n;
  }
  std::vector<std::wstring> steps, clicks;
  std::map<std::wstring, float> elapsedOf;
  int views = 0;
  bool allAb = true;
};

// Without a language table the code's own English stands in.
const char kRunning[] = "Quillon is running.\r\nPlease quit Quillon and try again.";
const char kCaption[] = "Quillon Setup";
constexpr uint64_t kGiB = 1073741824ull;

class MainControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* v : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "APPDATA"}) {
      const char* old = getenv(v);
      savedEnv_.emplace_back(v, old ? std::optional<std::string>(old) : std::nullopt);
      install_test::SetEnvironment(v, (scratch_.Path() / "home" / v).u8string().c_str());
    }
    defaultFolder_ = scratch_.Path() / "Program Files" / "velmotranslate";
    SkinUI::ClearLocalTexts();
  }
  void TearDown() override {
    for (auto& e : savedEnv_) install_test::SetEnvironment(e.first.c_str(), e.second ? e.second->c_str() : nullptr);
    SkinUI::ClearLocalTexts();
  }

  MainSystem System() {
    MainSystem s;
    s.processRunning = [this](const std::wstring& name) { return running_.count(name) != 0; };
    s.createFolder = [this](const std::wstring& f) {
      created_.push_back(f);
      return f.find(L"<bad>") == std::wstring::npos;
    };
    s.freeSpace = [this](const std::wstring& probe, uint64_t* bytes) {
      probes_.push_back(probe);
      *bytes = freeBytes_;
      return freeProbeWorks_;
    };
    s.startNetworkCheck = [this] { ++netChecks_; };
    s.nowMs = [this] { return clock_; };
    s.fileExists = [](const std::wstring& p) { return fs::exists(fs::path(p)); };
    s.shellOpen = [this](const std::wstring& t, const std::wstring& folder, bool maximised) {
      opened_.push_back({t, folder, maximised});
    };
    s.readRegistry = [this] { return registry_; };
    s.defaultFolder = [this](const std::wstring&, const std::wstring&) {
      Install::DefaultFolder d;
      d.folder = defaultFolder_.wstring();
      d.adminAccount = true;
      return d;
    };
    s.installedLanguage = [this](const std::wstring&) { return installedLanguage_; };
    s.loadLanguage = [this](int n) {
      loads_.push_back(n);
      // Each language's texts marked with its number ("%d" kept for the
      // progress formats).
      if (markedTexts_)
        for (int id : UiTexts::CodeIds()) SkinUI::AddLocalText(id, "L" + std::to_string(n) + ":" + std::to_string(id) + ":%d");
      return n >= 0 && n <= 2 ? n : 0;
    };
    s.languageChanged = [](int) {};
    s.resourceFolder = WidePath(scratch_.Path() / "skin");
    return s;
  }

  // Builds and initialises the controller; the view's layout as changed.
  void Start() {
    controller_ = std::make_unique<MainController>(view_, pipeline_, System());
    view_.controller = controller_.get();
    view_.clock = &clock_;
    controller_->Settings() = settings_;
    controller_->Initialise();
  }
  // One-click install up to the installing page.
  void InstallNow() {
    view_.Click("defaultInstallBtn");
    view_.Pump();
    ASSERT_EQ(view_.Page(), MainController::kInstallingPage);
  }
  void Notify(int code, double value = 0, const std::wstring& text = L"") {
    controller_->OnPipeline(code, value, text);
  }

  struct Opened {
    std::wstring target, folder;
    bool maximised;
  };
  ScratchDir scratch_;
  std::vector<std::pair<std::string, std::optional<std::string>>> savedEnv_;
  RecordingView view_;
  RecordingPipeline pipeline_;
  Reports reports_;
  MainSettings settings_;
  std::unique_ptr<MainController> controller_;
  std::set<std::wstring> running_;
  std::vector<std::wstring> created_, probes_;
  uint64_t freeBytes_ = 50 * kGiB;
  bool freeProbeWorks_ = true;
  int netChecks_ = 0;
  uint64_t clock_ = 1000;
  std::vector<Opened> opened_;
  Install::RegistryRecords registry_;
  fs::path defaultFolder_;
  int installedLanguage_ = 0;
  std::vector<int> loads_;
  bool markedTexts_ = false;
};

// --- the start page -------------------------------------------------------

TEST_F(MainControllerTest, InitialisationFillsTheFolderFitsTheTitlesAndAppliesTheLanguage) {
  settings_.downloadScale = 0.7;
  Start();
  EXPECT_EQ(view_.GetText("installDirEdit"), defaultFolder_.u8string());
  for (const char* n : {"installLogo", "bTitleLbl1", "bTitleLbl2", "bTitleLbl3"}) {
    EXPECT_EQ(view_.GetText(n), "Quillon") << n;
    EXPECT_EQ(view_.Get(n)->fixedWidth, 70) << n;  // measured, without padding
  }
  EXPECT_EQ(loads_, std::vector<int>{0});
  EXPECT_EQ(view_.Get("backBtn")->fixedWidth, 26);  // the padding counts here
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

// --- language ---------------------------------------------------------------

TEST_F(MainControllerTest, LanguageChoiceAppliesRelayoutsAndTagsTheJob) {
  settings_.downloadScale = 0.7;
  Start();
  controller_->SetLanguageIndex(0);
  view_.SelectItem("languageCombo", 1);
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

}  // namespace
