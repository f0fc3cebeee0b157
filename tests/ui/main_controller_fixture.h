// The fixture of the main controller's suites (main_controller_*_test.cpp):
// the main window's decisions on a recording view: controls by name with
// the real controls' notification rules (a change of selection or page
// notifies, no change does not), prompts answered from a script, a test
// clock for the timers and the stopwatch. Records are real files in a
// scratch folder; analytics reports are watched through the adapter.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "../install/install_test_platform.h"
#include "app/analytics_adapter.h"
#include "support/scratch_dir.h"
#include "ui/main_controller.h"
#include "ui/ui_texts.h"
#include "uikit/text_table.h"
#include "utils/utf8.h"

namespace main_controller_test {

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
  int paddingLeft = 0;  // the text padding FitWidthToText adds when asked
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
    // The skin's texts for the labels fitted to the language: tokens, so
    // their width depends on the language loaded when they are measured.
    // Each padding differs, so a width tells whether it was added.
    controls["lbLanguage"].text = "%{6}";
    controls["lbLanguage"].paddingLeft = 4;
    controls["lbInstallPath"].text = "%{8}";
    controls["lbInstallPath"].paddingLeft = 6;
    controls["backBtn"].text = "%{12}";
    controls["backBtn"].paddingLeft = 26;
    for (const char* n : {"installLogo", "bTitleLbl1", "bTitleLbl2", "bTitleLbl3"}) controls[n].paddingLeft = 8;
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
    // As the real label measures: the text as shown now (tokens expanded
    // through the current table), 10 per character, plus its own padding.
    int characters = 0;
    for (unsigned char b : SkinUI::ExpandTextTokens(c->text)) characters += (b & 0xC0) != 0x80;
    c->fixedWidth = characters * 10 + (withPadding ? c->paddingLeft : 0);
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
      for (const auto& text : languageTexts_[n]) SkinUI::AddLocalText(text.first, text.second);
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
  std::map<int, std::map<int, std::string>> languageTexts_;  // added when that language loads
};

}  // namespace main_controller_test
