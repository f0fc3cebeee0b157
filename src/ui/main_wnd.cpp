#include "ui/main_wnd.h"

#include <atomic>
#include <utility>

#include "app/installer_config.h"
#include "install/download_installer.h"
#include "ui/main_controller.h"
#include "ui/message_box.h"
#include "ui/shell.h"
#include "uikit/button.h"
#include "uikit/combo.h"
#include "uikit/container.h"
#include "uikit/label.h"
#include "uikit/progress.h"
#include "uikit/text.h"
#include "uikit/text_table.h"
#include "utils/thread.h"

using namespace SkinUI;

namespace {

// The real pipeline: CDownloadInstaller, whose notifications go to the
// window's callback.
class RealPipeline : public IMainPipeline {
 public:
  explicit RealPipeline(CMainWnd* window)
      : installer_([window](int code, double value, const wchar_t* text) {
          window->OnPipelineNotify(code, value, text);
        }) {}
  void SetJob(const Job& job) override {
    installer_.SetUrl(job.url);
    installer_.SetPreviousInstallPath(job.previousInstallPath);
    installer_.SetOldUninstallerPath(job.oldUninstallerPath);
    installer_.SetInstallFolder(job.folder);
    installer_.SetDesktopShortcut(job.desktopShortcut);
    installer_.SetQuickLaunchShortcut(job.quickLaunchShortcut);
    installer_.SetAdminAccount(job.adminAccount);
    installer_.SetAdminToken(job.adminToken);
    installer_.SetInstallLanguage(job.language);
  }
  void Start() override { installer_.Start(); }
  void DownloadFailureReport(int code, double value, const std::wstring& text) override {
    installer_.DownloadFailureReport(code, value, text.c_str());
  }
  void FailureReport(int code, double value, const std::wstring& text, bool download) override {
    installer_.FailureReport(code, value, text.c_str(), download);
  }

 private:
  CDownloadInstaller installer_;
};

std::atomic<size_t> g_liveRecords{0};

void FreeRecord(PipelineRecord* record) {
  delete record;
  g_liveRecords.fetch_sub(1);
}

}  // namespace

// The controls of the layout, by name, for the controller. Every call
// looks the control up (the layout is small) and does nothing without it.
class CMainWnd::View : public IMainView {
 public:
  explicit View(CMainWnd& w) : w_(w) {}

  bool Exists(const std::string& name) const override { return Find(name) != nullptr; }
  bool IsSelected(const std::string& name) const override {
    Option* o = As<Option>(name, "Option");
    return o && o->IsSelected();
  }
  void SetSelected(const std::string& name, bool selected) override {
    if (Option* o = As<Option>(name, "Option")) o->Selected(selected);
  }
  bool IsEnabled(const std::string& name) const override {
    Control* c = Find(name);
    return c && c->IsEnabled();
  }
  void SetEnabled(const std::string& name, bool enabled) override {
    if (Control* c = Find(name)) c->SetEnabled(enabled);
  }
  bool IsVisible(const std::string& name) const override {
    Control* c = Find(name);
    return c && c->IsVisible();
  }
  void SetVisible(const std::string& name, bool visible) override {
    if (Control* c = Find(name)) c->SetVisible(visible);
  }
  std::string GetText(const std::string& name) const override {
    Control* c = Find(name);
    return c ? c->GetText() : std::string();
  }
  void SetText(const std::string& name, const std::string& text) override {
    if (Control* c = Find(name)) c->SetText(text);
  }
  std::string GetUserData(const std::string& name) const override {
    Control* c = Find(name);
    return c ? c->GetUserData() : std::string();
  }
  int GetValue(const std::string& name) const override {
    Progress* p = As<Progress>(name, "Progress");
    return p ? p->GetValue() : 0;
  }
  void SetValue(const std::string& name, int value) override {
    if (Progress* p = As<Progress>(name, "Progress")) p->SetValue(value);
  }
  int GetCurSel(const std::string& name) const override {
    if (TabLayout* t = As<TabLayout>(name, "TabLayout")) return t->GetCurSel();
    if (Combo* c = As<Combo>(name, "Combo")) return c->GetCurSel();
    return -1;
  }
  void SelectItem(const std::string& name, int index) override {
    if (TabLayout* t = As<TabLayout>(name, "TabLayout"))
      t->SelectItem(index);
    else if (Combo* c = As<Combo>(name, "Combo"))
      c->SelectItem(index);
  }
  void SetBkImage(const std::string& name, const std::string& image) override {
    if (Control* c = Find(name)) {
      c->SetBkImage(image);
      c->Invalidate();
    }
  }
  void SetForeImage(const std::string& name, const std::string& image) override {
    if (Progress* p = As<Progress>(name, "Progress")) {
      p->SetForeImage(image);
      p->Invalidate();
    }
  }
  void SetFocus(const std::string& name) override {
    if (Control* c = Find(name)) w_.PaintManager().SetFocus(c);
  }
  bool IsSequenceLabel(const std::string& name) const override {
    return As<CSequenceLabelUI>(name, "SequenceLabel") != nullptr;
  }
  void StartAnimation(const std::string& name) override {
    if (CSequenceLabelUI* s = As<CSequenceLabelUI>(name, "SequenceLabel")) s->Start();
  }
  void StopAnimation(const std::string& name) override {
    if (CSequenceLabelUI* s = As<CSequenceLabelUI>(name, "SequenceLabel")) s->Stop();
  }
  void FitWidthToText(const std::string& name, const std::optional<std::string>& text, bool withPadding) override {
    Label* l = As<Label>(name, "Label");
    if (!l) return;
    if (text) l->SetText(*text);
    l->FitWidthToText(w_.PaintManager().GetGlyphSource(), withPadding);
  }
  void Relayout() override {
    w_.PaintManager().NeedUpdate();
    w_.PaintManager().InvalidateAll();
  }

  int ShowPrompt(const std::string& layout, const std::optional<std::string>& text,
                 const std::optional<std::string>& caption) override {
    return SkinUI::ShowPrompt(&w_.Host(), layout, text, caption);
  }
  void Close(int result) override {
    w_.ownClose_ = true;
    w_.Close(result);
  }
  void PostNotify(const std::string& type, uintptr_t wParam) override {
    w_.PaintManager().PostNotify(w_.PaintManager().GetRoot(), type, wParam);
  }
  void SendNotify(const std::string& type, uintptr_t wParam) override {
    w_.PaintManager().SendNotify(w_.PaintManager().GetRoot(), type, wParam);
  }
  void StartTimer(int id, uint32_t periodMs) override {
    if (Control* root = w_.PaintManager().GetRoot()) w_.SetTimer(root, id, static_cast<int>(periodMs));
  }
  void KillTimer(int id) override {
    if (Control* root = w_.PaintManager().GetRoot()) w_.KillTimer(root, id);
  }
  void BringToFront() override { w_.BringToFront(); }
  // What is queued now, without waiting for more: the bound is the queue,
  // well inside `ms`. A quit request stays queued for the modal loop.
  void PumpMessages(int /*ms*/) override {
    if (w_.Host().IsAlive()) WindowHost::PumpMessages(0);
  }
  bool BrowseFolder(const std::wstring& title, std::wstring* folder) override {
    // The window stays painted and its timers run while the browser is
    // open, but takes no input, as under a modal dialog.
    WindowHost& host = w_.Host();
    host.SetInputEnabled(false);
    const std::wstring start = *folder;
    const bool chosen = ShellActions::BrowseForFolder(host.NativeHandle(), title, start, folder, [&host] {
      return host.IsAlive() && WindowHost::PumpMessages(50);
    });
    if (host.IsAlive()) host.SetInputEnabled(true);
    return chosen;
  }
  bool CanBrowseFolder() const override { return ShellActions::CanBrowseForFolder(); }

 private:
  Control* Find(const std::string& name) const { return w_.FindControl(name); }
  template <class T>
  T* As(const std::string& name, const char* kind) const {
    Control* c = Find(name);
    return c ? static_cast<T*>(c->GetInterface(kind)) : nullptr;
  }

  CMainWnd& w_;
};

CMainWnd::CMainWnd() : CMainWnd(MainSystem(), nullptr) {}

CMainWnd::CMainWnd(MainSystem system, std::unique_ptr<IMainPipeline> pipeline)
    : CSkinFrame(SkinDescriptor{kSkinResourceId, "", "MainWnd.xml", "MainWnd"}),
      view_(std::make_unique<View>(*this)),
      pipeline_(std::move(pipeline)) {
  if (!pipeline_) pipeline_ = std::make_unique<RealPipeline>(this);
  if (!system.startNetworkCheck) system.startNetworkCheck = [this] { StartNetworkCheck(); };
  controller_ = std::make_unique<MainController>(*view_, *pipeline_, std::move(system));
  MainSettings& settings = controller_->Settings();
  settings.downloadUrl = g_InstallerConfig.DownloadUrl;
  settings.isCheckNet = g_InstallerConfig.IsCheckNet;
  settings.insNew = g_InstallerConfig.InsNew;
  settings.downloadScale = g_InstallerConfig.DownloadScale;
  controller_->SetLanguageIndex(g_InstallerConfig.LanguageIndex);
}

CMainWnd::~CMainWnd() {
  // The phases and the check post to this window: end them before the
  // records they may still post are freed.
  pipeline_.reset();
  netCheck_.reset();
  FreePendingRecords();
}

Control* CMainWnd::CreateCustomControl(const std::string& className) {
  return CreateSequenceControl(className);
}

void CMainWnd::OnWindowReady() {
  StripFrameStyles(Host(), true);
  SetWindowIcon();
  CenterWindow();
  controller_->Initialise();
}

void CMainWnd::OnNotify(Notification& msg) {
  const std::string name = msg.sender ? msg.sender->GetName() : std::string();
  if (msg.type == "click" && (name == "minbtn" || name == "maxbtn" || name == "restorebtn")) {
    WindowImplBase::OnNotify(msg);
    return;
  }
  // Timers of other controls (the animations) are theirs.
  if (msg.type == "timer" && msg.sender != PaintManager().GetRoot()) return;
  controller_->OnNotify(msg.type, name, msg.wParam);
}

bool CMainWnd::OnHostEvent(const HostEvent& event) {
  if (event.type == HostEventType::kCloseRequest) {
    const bool own = ownClose_;
    ownClose_ = false;
    if (!own && !controller_->MayClose()) return true;
  }
  return CSkinFrame::OnHostEvent(event);
}

intptr_t CMainWnd::OnCustomMessage(unsigned message, uintptr_t wParam, intptr_t lParam, bool* handled) {
  switch (message) {
    case kPipelineMessage: {
      *handled = true;
      const std::optional<PipelineRecord> record = TakeRecord(lParam);
      if (record) controller_->OnPipeline(record->code, record->value, record->text);
      return 0;
    }
    case kCheckNetMessage:
      *handled = true;
      controller_->OnNotify("checknet", "", wParam);
      return 0;
    case kDownloaderStartedMessage:
      controller_->OnDownloaderStartedMessage();
      return 0;  // the toolkit's handling follows
    default:
      return 0;
  }
}

void CMainWnd::OnPipelineNotify(int code, double value, const wchar_t* text) {
  auto* record = new PipelineRecord{code, value, text ? text : L""};
  g_liveRecords.fetch_add(1);
  {
    std::lock_guard<std::mutex> lock(recordsMutex_);
    pending_.insert(record);
  }
  if (PostCustomMessage(kPipelineMessage, 0, reinterpret_cast<intptr_t>(record))) return;
  // Nobody will handle it: the window is gone (or never was).
  std::lock_guard<std::mutex> lock(recordsMutex_);
  if (pending_.erase(record)) FreeRecord(record);
}

std::optional<PipelineRecord> CMainWnd::TakeRecord(intptr_t pointer) {
  auto* record = reinterpret_cast<PipelineRecord*>(pointer);
  if (!record) return std::nullopt;
  std::lock_guard<std::mutex> lock(recordsMutex_);
  // Only a record this window posted and nobody took yet is read.
  if (pending_.erase(record) == 0) return std::nullopt;
  PipelineRecord copy = std::move(*record);
  FreeRecord(record);
  return copy;
}

size_t CMainWnd::LiveRecords() { return g_liveRecords.load(); }

size_t CMainWnd::PendingRecords() const {
  std::lock_guard<std::mutex> lock(recordsMutex_);
  return pending_.size();
}

void CMainWnd::FreePendingRecords() {
  std::lock_guard<std::mutex> lock(recordsMutex_);
  for (PipelineRecord* record : pending_) FreeRecord(record);
  pending_.clear();
}

void CMainWnd::StartNetworkCheck() {
  Utils::RestartThread(&netCheck_, this, L"ABDEF", [](void* self) -> unsigned long {
    const int32_t result = RunNetworkCheck();
    static_cast<CMainWnd*>(self)->PostCustomMessage(kCheckNetMessage, static_cast<uint32_t>(result), 0);
    return 0;
  });
}
