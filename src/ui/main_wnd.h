// CMainWnd: the installer's main window, a frame window (class "MainWnd")
// over "MainWnd.xml" of the skin package in resource 147. It wires the layout's controls to a MainController (which
// makes every decision) and owns what runs behind it: the download-install
// pipeline and the network-check worker.
//
// Use: construct, Create(nullptr, L"Quillon"), CenterWindow(), ShowModal(),
// destroy. The destructor waits for the pipeline's phases and the network
// check to end, then frees every pipeline record still queued.
//
// Threads: UI thread only. The pipeline callback (worker threads) only
// allocates a record and posts it; the network check only posts.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "ui/sequence_controls.h"
#include "ui/skin_frame.h"

class IMainPipeline;
class MainController;
struct MainSystem;

namespace Utils {
class Thread;
}

// WM_USER + 1000: a pipeline notification; lParam points to a PipelineRecord.
constexpr unsigned kPipelineMessage = 0x0400 + 1000;
// WM_USER + 200: accepted from outside (the downloader-started report).
constexpr unsigned kDownloaderStartedMessage = 0x0400 + 200;
// The network check's answer; wParam carries the CheckNetwork result.
constexpr unsigned kCheckNetMessage = 0x0400 + 1001;

// One pipeline notification, copied off the worker thread.
struct PipelineRecord {
  int32_t code = 0;
  double value = 0;
  std::wstring text;
};

class CMainWnd : public SkinUI::CSkinFrame {
 public:
  // The real system: pipeline, probes, records and shell.
  CMainWnd();
  // Tests put their own probes and pipeline in: unset members of `system`
  // take the real ones, a null pipeline is the real one.
  CMainWnd(MainSystem system, std::unique_ptr<IMainPipeline> pipeline);
  ~CMainWnd() override;

  MainController& Controller() { return *controller_; }

  // The pipeline callback: copies the notification into a record and posts
  // it. A record that cannot be posted (window gone) is freed at once.
  // Any thread.
  void OnPipelineNotify(int code, double value, const wchar_t* text);
  // Records posted and not yet handled.
  size_t PendingRecords() const;
  // Records alive in the process, whichever window posted them.
  static size_t LiveRecords();

  // Host events first pass here: a close request from outside (Alt+F4,
  // the system menu) on the installing page is refused.
  bool OnHostEvent(const SkinUI::HostEvent& event) override;

 protected:
  SkinUI::Control* CreateCustomControl(const std::string& className) override;
  void OnWindowReady() override;
  void OnNotify(SkinUI::Notification& msg) override;
  intptr_t OnCustomMessage(unsigned message, uintptr_t wParam, intptr_t lParam, bool* handled) override;

 private:
  class View;
  friend class View;

  void StartNetworkCheck();
  // Takes a posted record back; null when it is not one of ours.
  std::optional<PipelineRecord> TakeRecord(intptr_t pointer);
  void FreePendingRecords();
  // Platform parts (main_wnd_win.cpp / main_wnd_posix.cpp).
  void SetWindowIcon();
  void BringToFront();
  static int32_t RunNetworkCheck();

  std::unique_ptr<View> view_;
  std::unique_ptr<MainController> controller_;
  std::unique_ptr<IMainPipeline> pipeline_;
  std::unique_ptr<Utils::Thread> netCheck_;
  bool ownClose_ = false;  // the controller closes; nothing to refuse
  mutable std::mutex recordsMutex_;
  std::set<PipelineRecord*> pending_;
};
