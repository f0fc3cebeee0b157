// The main window's decisions (MainController). One file because its
// handlers are one state machine over the same members: the clicks choose
// the folder and start the pipeline, and the pipeline's codes move the
// same pages, progress and folder that the clicks read. Split by handler,
// each file would reach into the other's state, and a page's transitions
// would no longer read in one place.
#include "ui/main_controller.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "app/analytics_adapter.h"
#include "install/download_installer.h"
#include "install/product_files.h"
#include "install/signature.h"
#include "ui/localization.h"
#include "ui/ui_texts.h"
#include "utils/files.h"
#include "utils/probe.h"
#include "utils/utf8.h"
#include "utils/whole_number.h"

namespace {

constexpr uint64_t kPatientAfterMs = 60000;
// The progress text's two wordings, in the language in force.
std::string WordingFormat(bool patient) {
  return UiTexts::Text(patient ? UiTexts::kProgressPatient : UiTexts::kProgressWait);
}

// Every prompt of the installer's own carries the same caption.
std::string Caption() { return UiTexts::Text(UiTexts::kPromptCaption); }

// A failed package's text as the user reads it: a publisher-check refusal
// in the user's language (analytics keeps the report's own words).
std::string ShownFailureText(const std::wstring& reported) {
  using Install::SignatureVerdict;
  static const std::pair<SignatureVerdict, int> kRefusals[] = {
      {SignatureVerdict::kUnsigned, UiTexts::kRefusedUnsigned},
      {SignatureVerdict::kInvalidSignature, UiTexts::kRefusedInvalidSignature},
      {SignatureVerdict::kPublisherMismatch, UiTexts::kRefusedPublisherMismatch},
      {SignatureVerdict::kExpired, UiTexts::kRefusedExpired},
      {SignatureVerdict::kDigestMismatch, UiTexts::kRefusedDigestMismatch},
      {SignatureVerdict::kUnreadable, UiTexts::kRefusedUnreadable}};
  for (const auto& refusal : kRefusals) {
    if (reported == Install::SignatureRefusalText(refusal.first)) return UiTexts::Text(refusal.second);
  }
  return UiTexts::ShownReportText(reported);
}
// The longest period a system timer accepts.
constexpr uint32_t kLongestTimerMs = 0x7FFFFFFF;
constexpr size_t kMaxProgressText = 250;

std::string Utf8(const std::wstring& text) { return Utils::WideToUtf8(text); }
std::wstring Wide(const std::string& text) { return Utils::Utf8ToWide(text); }

// Paths the package reports come from its status lines, which end in CR LF.
std::wstring ReportedPath(std::wstring text) {
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
  return text;
}


// The progress format comes from the skin, so it never reaches printf: only
// "%d" (the percentage, once) and "%%" mean anything, every other "%" is
// kept as written.
std::string FormatProgress(const std::string& format, int percentage) {
  std::string out;
  bool used = false;
  for (size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (c == '%' && i + 1 < format.size()) {
      const char next = format[i + 1];
      if (next == '%') {
        out += '%';
        ++i;
        continue;
      }
      if ((next == 'd' || next == 'i') && !used) {
        out += std::to_string(percentage);
        used = true;
        ++i;
        continue;
      }
    }
    out += c;
  }
  // At most 250 bytes, never half a UTF-8 sequence.
  if (out.size() > kMaxProgressText) {
    size_t cut = kMaxProgressText;
    while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
    out.resize(cut);
  }
  return out;
}

}  // namespace

const wchar_t MainController::kTermsUrl[] = L"https://www.quillon.cloud/terms";
const wchar_t MainController::kDefaultStartUrl[] = L"https://www.quillon.cloud/converter";
static_assert(sizeof(MainController::kDefaultStartUrl) / sizeof(wchar_t) == 35 + 1, "the start URL has 35 characters");

MainController::MainController(IMainView& view, IMainPipeline& pipeline, MainSystem system)
    : view_(view), pipeline_(pipeline), system_(MainSystem::Completed(std::move(system))),
      startUrl_(kDefaultStartUrl) {}

void MainController::Initialise() {
  if (view_.Exists("languageCombo")) SelectLanguage(languageIndex_);
  FocusPageButton(view_.GetCurSel("mainTabLt"));
  // A button that could only do nothing is shown disabled.
  if (view_.Exists("chDirBtn") && !view_.CanBrowseFolder()) view_.SetEnabled("chDirBtn", false);
  for (const char* name : {"installLogo", "bTitleLbl1", "bTitleLbl2", "bTitleLbl3"})
    if (view_.Exists(name)) view_.FitWidthToText(name, std::string("Quillon"), false);

  const Install::RegistryRecords records = system_.readRegistry();
  previousInstallPath_ = records.previousInstallPath;
  oldUninstallerPath_ = records.oldUninstallerPath;
  alreadyInstalled_ = !previousInstallPath_.empty();
  view_.SetText("installDirEdit", Utf8(DefaultFolder().folder));

  if (!alreadyInstalled_) return;
  const int installed = system_.installedLanguage(previousInstallPath_);
  if (view_.Exists("languageCombo")) SelectLanguage(installed);
  if (system_.processRunning(Install::kProductExe) && !settings_.insNew) {
    ShowRunningPrompt();
    view_.Close(1);
    return;
  }
  if (settings_.insNew) {
    StartInstall(previousInstallPath_, true, true);
    return;
  }
  switch (view_.ShowPrompt("InstalledPathTipWnd.xml", std::nullopt, std::nullopt)) {
    case 1:  // "打开软件"
      system_.shellOpen(Install::JoinPath(previousInstallPath_, Install::kProductExe), previousInstallPath_, false);
      view_.Close(1);
      break;
    case 0:  // "安装最新版本"
      StartInstall(previousInstallPath_, true, true);
      break;
    default:
      view_.Close(1);
      break;
  }
}

void MainController::SelectLanguage(int number) {
  const int before = view_.GetCurSel("languageCombo");
  view_.SelectItem("languageCombo", number);  // a change notifies, and "itemselect" applies it
  if (view_.GetCurSel("languageCombo") == before) ApplyLanguage(number);
}

Install::DefaultFolder MainController::DefaultFolder() {
  Install::DefaultFolder chosen = system_.defaultFolder(previousInstallPath_, oldUninstallerPath_);
  adminAccount_ = chosen.adminAccount;
  adminToken_ = chosen.adminToken;
  return chosen;
}

void MainController::OnNotify(const std::string& type, const std::string& sender, uintptr_t wParam) {
  if (type == "selectchanged")
    OnSelectChanged(sender);
  else if (type == "tabselect")
    OnTabSelect();
  else if (type == "checknet")
    OnCheckNet(static_cast<int32_t>(static_cast<uint32_t>(wParam)));
  else if (type == "install")
    OnInstall(wParam != 0);
  else if (type == "itemselect" && sender == "languageCombo")
    ApplyLanguage(view_.GetCurSel("languageCombo"));
  else if (type == "timer")
    OnTimer(static_cast<int>(wParam));
  else if (type == "return" && sender == "installDirEdit")
    OnClick("customeInstallBtn");  // Return in the folder field installs, as the page's button does
  else if (type == "click")
    OnClick(sender);
}

void MainController::OnSelectChanged(const std::string& sender) {
  if (sender == "treatyCb") {
    const bool treaty = view_.IsSelected("treatyCb");
    const bool agreed = treaty && (!view_.Exists("serviceCb") || view_.IsSelected("serviceCb"));
    view_.SetSelected("treatyBtn", treaty);
    if (agreed) {
      view_.SetEnabled("customeBtn", true);
      view_.SetVisible("tipLbl", false);
    } else {
      view_.SetEnabled("customeBtn", false);
    }
  } else if (sender == "serviceCb") {
    if (view_.IsSelected("serviceCb")) {
      if (view_.IsSelected("treatyCb")) view_.SetEnabled("customeBtn", true);
      view_.SetEnabled("defaultInstallBtn", true);
    } else {
      view_.SetEnabled("customeBtn", false);
      view_.SetEnabled("defaultInstallBtn", false);
    }
  } else if (sender == "treatyBtn") {
    // The link never toggles on its own: its mark mirrors "treatyCb".
    const bool treaty = view_.IsSelected("treatyCb");
    if (view_.IsSelected("treatyBtn") != treaty) view_.SetSelected("treatyBtn", treaty);
  }
}

void MainController::OnTabSelect() {
  static const char* const kBackgrounds[] = {"res\\mainWnd\\bg1.png", "res\\mainWnd\\bg2.png",
                                             "res\\mainWnd\\bg3.png", "res\\mainWnd\\bg4.png"};
  const int page = view_.GetCurSel("mainTabLt");
  const bool known = page >= kStartPage && page <= kFinishedPage;
  view_.SetBkImage("winCtn", kBackgrounds[known ? page : 0]);
  if (!known) view_.SelectItem("titleTabLt", 0);
  if (page == kStartPage || page == kCustomPage) view_.SelectItem("titleTabLt", 1);
  if (page == kInstallingPage && view_.IsSequenceLabel("progressAnLb")) view_.StartAnimation("progressAnLb");
  if (page == kFinishedPage) {
    view_.SelectItem("titleTabLt", 2);
    if (view_.IsSequenceLabel("progressAnLb")) view_.StopAnimation("progressAnLb");
    if (view_.IsSequenceLabel("finishedLbl")) view_.StartAnimation("finishedLbl");
  }
  view_.SetVisible("titleGrpCtn", page != kInstallingPage);
  view_.SetVisible("installLogo", page == kInstallingPage);
  view_.SetVisible("backBtn", page == kCustomPage);
  FocusPageButton(page);
}

void MainController::FocusPageButton(int page) {
  // Each page opens with the keyboard on what the page is for, so Enter
  // does it.
  static const char* const kMainButtons[] = {"defaultInstallBtn", "customeInstallBtn", nullptr, "openProduceBtn"};
  if (page < kStartPage || page > kFinishedPage || !kMainButtons[page]) return;
  if (view_.Exists(kMainButtons[page])) view_.SetFocus(kMainButtons[page]);
}

void MainController::OnClick(const std::string& sender) {
  if (sender == "defaultInstallBtn") {
    ReportClick(L"立即安装");
    if (view_.IsSelected("treatyCb"))
      DefaultStartInstall();
    else
      view_.SetVisible("tipLbl", true);
  } else if (sender == "customeBtn") {
    ReportClick(L"自定义安装");
    view_.SelectItem("mainTabLt", kCustomPage);
    FocusPageButton(kCustomPage);
  } else if (sender == "treatyBtn") {
    system_.shellOpen(kTermsUrl, L"", true);
  } else if (sender == "backBtn") {
    view_.SelectItem("mainTabLt", kStartPage);
  } else if (sender == "chDirBtn") {
    std::wstring folder = Wide(view_.GetText("installDirEdit"));
    if (view_.BrowseFolder(Wide(UiTexts::Text(UiTexts::kBrowseFolderTitle)), &folder) && !folder.empty()) view_.SetText("installDirEdit", Utf8(folder));
  } else if (sender == "customeInstallBtn") {
    ReportClick(L"自定义安装_立即安装");
    CustomStartInstall();
  } else if (sender == "openProduceBtn") {
    ReportClick(L"立即体验");
    if (startupStyle_ == 2) RunProduct();
    view_.Close(1);
  } else if (sender == "closebtn") {
    if (view_.GetCurSel("mainTabLt") == kFinishedPage ||
        view_.ShowPrompt("ExitTipWnd.xml", std::nullopt, std::nullopt) == 0)
      view_.Close(1);
  }
}

bool MainController::DefaultStartInstall() { return StartInstall(DefaultFolder().folder, true, true); }

bool MainController::CustomStartInstall() {
  const std::wstring chosen = Wide(view_.GetText("installDirEdit"));
  const std::wstring folder = Install::EffectiveInstallFolder(chosen, DefaultFolder().folder);
  return StartInstall(folder, view_.IsSelected("createDSCb"), view_.IsSelected("createQSCb"));
}

void MainController::ShowRunningPrompt() {
  view_.ShowPrompt("MessageBox1Wnd.xml", UiTexts::Text(UiTexts::kProductRunning), Caption());
}

bool MainController::StartInstall(const std::wstring& folder, bool desktopShortcut, bool quickLaunchShortcut) {
  if (!settings_.insNew && system_.processRunning(Install::kUninstallerCopyName)) {
    ShowRunningPrompt();
    if (alreadyInstalled_) view_.Close(1);
    return false;
  }
  if (!settings_.insNew && system_.processRunning(Install::kProductExe)) {
    ShowRunningPrompt();
    view_.Close(1);
    return false;
  }
  view_.SetEnabled("customeInstallBtn", false);
  if (folder.empty() || !system_.createFolder(folder)) {
    view_.ShowPrompt("MessageBox2Wnd.xml", UiTexts::Text(UiTexts::kInvalidFolder), Caption());
    view_.SendNotify("install", 0);
    return false;
  }
  uint64_t freeBytes = 0;
  const std::wstring probe = Install::FreeSpaceProbePath(Install::PackagePathIn(folder));
  if (!system_.freeSpace(probe, &freeBytes) || freeBytes < Install::kRequiredFreeBytes) {
    view_.ShowPrompt("MessageBox2Wnd.xml", UiTexts::Text(UiTexts::kLowDiskSpace), Caption());
    view_.SendNotify("install", 0);
    return false;
  }
  installFolder_ = folder;
  IMainPipeline::Job job;
  job.url = settings_.downloadUrl;
  job.previousInstallPath = previousInstallPath_;
  job.oldUninstallerPath =
      Install::KeepPreviousInstallation(previousInstallPath_, folder) ? std::wstring() : oldUninstallerPath_;
  job.folder = folder;
  job.desktopShortcut = desktopShortcut;
  job.quickLaunchShortcut = quickLaunchShortcut;
  job.adminAccount = adminAccount_;
  job.adminToken = adminToken_;
  job.language = LanguageTag();
  pipeline_.SetJob(job);
  if (settings_.isCheckNet)
    system_.startNetworkCheck();
  else
    view_.PostNotify("install", 1);
  return true;
}

void MainController::OnCheckNet(int32_t result) {
  const int verdict = Utils::NetworkVerdict(result);
  if (verdict != 0)
    view_.ShowPrompt("MessageBox2Wnd.xml", UiTexts::Text(UiTexts::kPoorNetwork), Caption());
  view_.SendNotify("install", verdict == 0 ? 1 : 0);
}

void MainController::OnInstall(bool goOn) {
  if (goOn) {
    const int page = view_.GetCurSel("mainTabLt");
    // A retry is started from the installing page before the start page
    // is shown again; it keeps the page of the first attempt.
    if (page == kStartPage || page == kCustomPage) startPage_ = page;
    // The page's first text, in the language chosen by now; an attempt
    // retried keeps the percentage the bar shows.
    ShowProgress(view_.GetValue("installPrg"));
    view_.SelectItem("mainTabLt", kInstallingPage);
    ReportView();
    pipeline_.Start();
  }
  view_.SetEnabled("customeInstallBtn", true);
}

bool MainController::MayClose() const { return view_.GetCurSel("mainTabLt") != kInstallingPage; }

void MainController::ApplyLanguage(int number) {
  const int resolved = system_.loadLanguage(number);
  view_.Relayout();
  for (const char* name : {"lbLanguage", "lbInstallPath", "backBtn"})
    if (view_.Exists(name)) view_.FitWidthToText(name, std::nullopt, true);
  languageIndex_ = resolved;
  if (system_.languageChanged) system_.languageChanged(resolved);
}

std::wstring MainController::LanguageTag() const {
  if (!view_.Exists("languageCombo")) return L"";
  return Localization::LanguageTagOf(view_.GetCurSel("languageCombo"));
}

std::string MainController::ProgressFormat() const {
  std::string format = view_.GetUserData("progressLb");
  if (!format.empty()) return format;
  const bool patient = downloadTiming_ && system_.nowMs() - downloadStart_ > kPatientAfterMs;
  return WordingFormat(patient);
}

void MainController::ShowProgress(int percentage) {
  view_.SetText("progressLb", FormatProgress(ProgressFormat(), percentage));
  view_.SetValue("installPrg", percentage);
}

float MainController::DownloadElapsedSeconds() const {
  if (!downloadTiming_) return 0.0f;
  return static_cast<float>(static_cast<double>(system_.nowMs() - downloadStart_) / 1000.0);
}

void MainController::OnDownloaderStartedMessage() {
  if (downloaderStartedReported_) return;
  downloaderStartedReported_ = true;
  ReportStep(L"下载器启动", 0.0f, L"");
}

void MainController::OnPipeline(int code, double value, const std::wstring& text) {
  switch (code) {
    case kDownloadBegun:
      OnDownloaderStartedMessage();
      downloadStart_ = system_.nowMs();
      downloadTiming_ = true;
      ReportStep(L"开始下载大包", 0.0f, L"");
      break;
    case kDownloadProgress:
      ShowProgress(Utils::TruncatedPercent(value * settings_.downloadScale));
      break;
    case kDownloadComplete:
      ReportStep(L"大包下载完毕", DownloadElapsedSeconds(), L"");
      break;
    case kDownloadFailed: {
      pipeline_.DownloadFailureReport(code, value, text);
      const int answer = view_.ShowPrompt("NetworkTipWnd.xml", std::nullopt, std::nullopt);
      if (answer == 1 && alreadyInstalled_) view_.Close(1);
      if (answer == 0) Retry();
      view_.SelectItem("mainTabLt", startPage_);
      break;
    }
    case kDownloadMd5Notice:
      pipeline_.FailureReport(code, value, text, true);
      break;
    case kInstallBegun:
      Install::WriteInstallRecords(installFolder_);
      break;
    case kInstallProgress: {
      installFraction_ = std::max(std::min(installFraction_ + 0.15, 0.95), value);
      const double scale = settings_.downloadScale;
      ShowProgress(Utils::TruncatedPercent((1.0 - scale) * installFraction_ + scale));
      break;
    }
    case kInstallSucceeded:
      OnSuccess();
      break;
    case kInstallFailed: {
      pipeline_.FailureReport(code, value, text, false);
      view_.ShowPrompt("MessageBox2Wnd.xml", ShownFailureText(text), Caption());
      if (view_.GetValue("installPrg") >= 70) {
        view_.SetText("progressLb", FormatProgress(WordingFormat(false), 0));
        view_.SetValue("installPrg", 0);
      }
      view_.SelectItem("mainTabLt", kStartPage);
      break;
    }
    case kReportInstallPath: {
      const std::wstring folder = ReportedPath(text);
      if (!folder.empty()) installFolder_ = folder;
      break;
    }
    case kReportProductExe:
      productExe_ = ReportedPath(text);
      break;
    case kReportUninstallerEp:
      uninstallerPath_ = ReportedPath(text);
      break;
    case kReportStartUrl:
      startUrl_ = ReportedPath(text);
      break;
    case kReportStartupStyle:
      startupStyle_ = Utils::TruncatedTo<int32_t>(value);
      break;
    case kReportTopShowDelay:
      topShowDelay_ = Utils::TruncatedTo<uint32_t>(value);
      break;
    case kReportFinishCloseDelay:
      finishCloseDelay_ = Utils::TruncatedTo<uint32_t>(value);
      break;
    case kReportMessage:
      view_.ShowPrompt("MessageBox1Wnd.xml", Utf8(text), UiTexts::Text(UiTexts::kMessageCaption));
      break;
    case kUninstallNotStarted:
    case kUninstallFailed:
      ShowRunningPrompt();
      view_.SelectItem("mainTabLt", startPage_);
      if (alreadyInstalled_) view_.Close(1);
      break;
    default:
      break;
  }
}

void MainController::Retry() {
  if (startPage_ == kCustomPage)
    CustomStartInstall();
  else
    DefaultStartInstall();
}

void MainController::OnSuccess() {
  ReportStep(L"安装成功", 0.0f, L"");
  view_.SetValue("installPrg", 100);
  // The skin names it with backslashes; on disk it is a path of this system.
  const wchar_t sep = Utils::PathSeparator();
  const std::wstring onDisk = system_.resourceFolder + sep + L"res" + sep + L"mainWnd" + sep + L"installPrg3.png";
  if (!system_.resourceFolder.empty() && system_.fileExists(onDisk))
    view_.SetForeImage("installPrg", "res\\mainWnd\\installPrg3.png");
  view_.SetText("softNameLbl", "Quillon");
  view_.SetVisible("softNameLbl", true);
  view_.SelectItem("mainTabLt", kFinishedPage);
  uninstallerPath_ = Install::WriteRegistryRecords(installFolder_, uninstallerPath_);
  Install::WriteInstallRecords(installFolder_);
  if (startupStyle_ == 1) RunProduct();
  if (topShowDelay_ != 0) view_.StartTimer(kTopShowTimer, std::min(topShowDelay_, kLongestTimerMs));
  if (finishCloseDelay_ != 0) view_.StartTimer(kFinishCloseTimer, std::min(finishCloseDelay_, kLongestTimerMs));
}

void MainController::OnTimer(int id) {
  if (id == kTopShowTimer) {
    view_.BringToFront();
    view_.KillTimer(kTopShowTimer);
  } else if (id == kFinishCloseTimer) {
    view_.KillTimer(kFinishCloseTimer);
    view_.Close(1);
  }
}

void MainController::RunProduct() {
  if (startUrl_.size() > 5) system_.shellOpen(startUrl_, L"", true);
  if (!productExe_.empty() && system_.fileExists(productExe_)) {
    // Lets the browser's window come up first.
    view_.PumpMessages(100);
    system_.shellOpen(productExe_, Install::ParentFolder(productExe_), false);
  }
}
