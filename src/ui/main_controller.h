// MainController: every decision of the installer's main window, without
// the window. It reads and changes controls by name through IMainView,
// asks the system through MainSystem's seams, and reports to analytics.
// CMainWnd feeds it the notifications, clicks, posted messages and timers
// of the real window; tests feed it the same through a recording view.
//
// Threads: UI thread only. The network check and the pipeline reach it
// only through messages the window posts to itself.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "install/records.h"

// The window as far as the controller needs it. Control calls name a
// control of the layout; a missing control makes them do nothing (and the
// questions answer false, 0 or "").
class IMainView {
 public:
  virtual ~IMainView() = default;

  virtual bool Exists(const std::string& name) const = 0;
  virtual bool IsSelected(const std::string& name) const = 0;
  // Raises the control's "selectchanged" when the state changes, as a
  // click would.
  virtual void SetSelected(const std::string& name, bool selected) = 0;
  virtual bool IsEnabled(const std::string& name) const = 0;
  virtual void SetEnabled(const std::string& name, bool enabled) = 0;
  virtual bool IsVisible(const std::string& name) const = 0;
  virtual void SetVisible(const std::string& name, bool visible) = 0;
  virtual std::string GetText(const std::string& name) const = 0;  // UTF-8
  virtual void SetText(const std::string& name, const std::string& text) = 0;
  virtual std::string GetUserData(const std::string& name) const = 0;
  virtual int GetValue(const std::string& name) const = 0;  // progress bar
  virtual void SetValue(const std::string& name, int value) = 0;
  // Tab layouts and combo boxes: the selected item, -1 for none.
  virtual int GetCurSel(const std::string& name) const = 0;
  virtual void SelectItem(const std::string& name, int index) = 0;
  virtual void SetBkImage(const std::string& name, const std::string& image) = 0;
  virtual void SetForeImage(const std::string& name, const std::string& image) = 0;
  virtual void SetFocus(const std::string& name) = 0;
  // Frame-sequence labels only: play or stop the animation.
  virtual bool IsSequenceLabel(const std::string& name) const = 0;
  virtual void StartAnimation(const std::string& name) = 0;
  virtual void StopAnimation(const std::string& name) = 0;
  // Sets the fixed width to the width the text needs in the control's font
  // and style, plus the left text padding when `withPadding`. With
  // `text`, sets that text first.
  virtual void FitWidthToText(const std::string& name, const std::optional<std::string>& text,
                              bool withPadding) = 0;
  // Lays the whole tree out again and redraws it (texts changed).
  virtual void Relayout() = 0;

  // A modal prompt owned by the window (UTF-8 texts).
  virtual int ShowPrompt(const std::string& layout, const std::optional<std::string>& text,
                         const std::optional<std::string>& caption) = 0;
  virtual void Close(int result) = 0;
  // Toolkit notifications from the root control, to the controller's
  // OnNotify: posted (later, from the loop) or sent (now).
  virtual void PostNotify(const std::string& type, uintptr_t wParam) = 0;
  virtual void SendNotify(const std::string& type, uintptr_t wParam) = 0;
  // Timers on the root control, reported through OnTimer.
  virtual void StartTimer(int id, uint32_t periodMs) = 0;
  virtual void KillTimer(int id) = 0;
  virtual void BringToFront() = 0;
  // Handles the thread's window messages for up to `ms` milliseconds.
  virtual void PumpMessages(int ms) = 0;
  // The folder browser with its title, opened at *folder where it can be;
  // false when nothing was chosen.
  virtual bool BrowseFolder(const std::wstring& title, std::wstring* folder) = 0;
  // Whether there is a folder browser to show at all.
  virtual bool CanBrowseFolder() const { return true; }
};

// What the controller asks the system. Every member has a real default
// (MainSystem::Real); tests replace the ones they must control.
struct MainSystem {
  // A process with this executable file name runs.
  std::function<bool(const std::wstring& name)> processRunning;
  std::function<bool(const std::wstring& folder)> createFolder;
  // Bytes free to the caller on the volume of `probePath`; false when the
  // probe fails.
  std::function<bool(const std::wstring& probePath, uint64_t* freeBytes)> freeSpace;
  // Starts the network check; its answer arrives as OnCheckNet.
  std::function<void()> startNetworkCheck;
  // A steady millisecond clock.
  std::function<uint64_t()> nowMs;
  std::function<bool(const std::wstring& path)> fileExists;
  // The shell: "open" on a URL or file, maximised or shown normally.
  std::function<void(const std::wstring& target, const std::wstring& folder, bool maximised)> shellOpen;
  // The records and the default folder.
  std::function<Install::RegistryRecords()> readRegistry;
  std::function<Install::DefaultFolder(const std::wstring& previous, const std::wstring& uninstaller)>
      defaultFolder;
  // The language table's language for an installed copy, and the loading
  // of one language (Localization over the skin package).
  std::function<int(const std::wstring& folder)> installedLanguage;
  std::function<int(int number)> loadLanguage;
  // The language in force changed (the configuration keeps it).
  std::function<void(int number)> languageChanged;
  // The toolkit's folder on disk for "res\mainWnd\installPrg3.png".
  std::wstring resourceFolder;

  static MainSystem Real();
  // `system` with every unset member taken from Real().
  static MainSystem Completed(MainSystem system);
};

// The pipeline as the controller drives it.
class IMainPipeline {
 public:
  virtual ~IMainPipeline() = default;
  struct Job {
    std::wstring url;
    std::wstring previousInstallPath;
    std::wstring oldUninstallerPath;
    std::wstring folder;
    bool desktopShortcut = true;
    bool quickLaunchShortcut = true;
    bool adminAccount = false;
    bool adminToken = false;
    std::wstring language;
  };
  virtual void SetJob(const Job& job) = 0;
  virtual void Start() = 0;
  virtual void DownloadFailureReport(int code, double value, const std::wstring& text) = 0;
  virtual void FailureReport(int code, double value, const std::wstring& text, bool download) = 0;
};

// The settings the controller reads (from g_InstallerConfig in the window).
struct MainSettings {
  std::wstring downloadUrl;
  bool isCheckNet = false;
  bool insNew = false;
  double downloadScale = 0.7;
};

class MainController {
 public:
  // Pages of "mainTabLt".
  enum Page { kStartPage = 0, kCustomPage = 1, kInstallingPage = 2, kFinishedPage = 3 };
  static constexpr int kTopShowTimer = 10;
  static constexpr int kFinishCloseTimer = 11;

  // None is owned; all must outlive the controller.
  MainController(IMainView& view, IMainPipeline& pipeline, MainSystem system);

  // Window initialisation, once the layout is built (the window has
  // already been centred and given its icon).
  void Initialise();

  // A notification of a control ("selectchanged", "tabselect", "click",
  // "itemselect", "timer") or of the root ("checknet", "install").
  void OnNotify(const std::string& type, const std::string& sender, uintptr_t wParam);
  void OnClick(const std::string& sender);
  void OnTimer(int id);
  // The network check's CheckNetwork result.
  void OnCheckNet(int32_t result);
  // One pipeline notification (message 2024).
  void OnPipeline(int code, double value, const std::wstring& text);
  // Message 0x04C8.
  void OnDownloaderStartedMessage();
  // A close request of the window: false refuses it (installing page).
  bool MayClose() const;

  bool StartInstall(const std::wstring& folder, bool desktopShortcut, bool quickLaunchShortcut);
  void ApplyLanguage(int number);
  // The tag of the language chosen in "languageCombo"; empty without it.
  std::wstring LanguageTag() const;

  // The settings in force; the window fills them from the configuration.
  MainSettings& Settings() { return settings_; }
  int LanguageIndex() const { return languageIndex_; }
  void SetLanguageIndex(int index) { languageIndex_ = index; }

  // State, for the window and tests.
  bool AlreadyInstalled() const { return alreadyInstalled_; }
  const std::wstring& InstallFolder() const { return installFolder_; }
  const std::wstring& StartUrl() const { return startUrl_; }
  int StartupStyle() const { return startupStyle_; }
  double InstallFraction() const { return installFraction_; }
  uint32_t TopShowDelay() const { return topShowDelay_; }
  uint32_t FinishCloseDelay() const { return finishCloseDelay_; }

  // The terms page and the default start URL (35 characters).
  static const wchar_t kTermsUrl[];
  static const wchar_t kDefaultStartUrl[];

 private:
  // Selects the combo's item; applies the language also when the item
  // does not change (no notification) or does not exist.
  void SelectLanguage(int number);
  void OnSelectChanged(const std::string& sender);
  void OnTabSelect();
  void FocusPageButton(int page);
  void OnInstall(bool goOn);
  void ShowRunningPrompt();
  void ShowProgress(int percentage);
  std::string ProgressFormat() const;
  void OnSuccess();
  void RunProduct();
  void Retry();
  bool DefaultStartInstall();
  bool CustomStartInstall();
  Install::DefaultFolder DefaultFolder();
  float DownloadElapsedSeconds() const;

  IMainView& view_;
  IMainPipeline& pipeline_;
  MainSystem system_;
  MainSettings settings_;
  int languageIndex_ = 0;

  std::wstring previousInstallPath_;
  std::wstring oldUninstallerPath_;
  bool alreadyInstalled_ = false;
  bool adminAccount_ = false;
  bool adminToken_ = false;
  std::wstring installFolder_;
  int startPage_ = kStartPage;
  bool downloaderStartedReported_ = false;

  std::wstring productExe_;
  std::wstring uninstallerPath_;
  std::wstring startUrl_;
  int startupStyle_ = 0;
  uint32_t topShowDelay_ = 3000;
  uint32_t finishCloseDelay_ = 0xFFFFFFFFu;
  double installFraction_ = 0.0;
  uint64_t downloadStart_ = 0;
  bool downloadTiming_ = false;
};
