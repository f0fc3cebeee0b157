#include "uninstaller.h"

#include <exception>
#include <utility>
#include <vector>

#include "install/product_files.h"
#include "install/status_stream.h"
#include "utils/file_io.h"
#include "utils/files.h"
#include "utils/log.h"
#include "utils/probe.h"
#include "utils/system_error.h"
#include "utils/text.h"

namespace {

constexpr size_t kReadSize = 1024;
// How long one wait for output lasts before the exit code is asked again.
constexpr uint32_t kReadSliceMs = 50;
// Reads after the exit, for what the uninstaller wrote just before it: at
// most a full pipe's worth, so a process that inherited the pipe and keeps
// writing cannot hold the run.
constexpr int kReadsAfterExit = 64;

const wchar_t kMissingCopyText[] = L"可执行卸载文件不存在";

}  // namespace

int ParseUninstallStatus(const std::wstring& chunk, int* codePage, const UninstallNotify& notify) {
  std::vector<Install::StatusEvent> events;
  int32_t page = *codePage;
  const int result = Install::ParseUninstallChunk(chunk, &page, &events);
  *codePage = page;
  for (const Install::StatusEvent& e : events) notify(e.code, e.value, e.text.c_str());
  return result;
}

std::wstring UninstallerCommandLine(const std::wstring& uninstallerPath, bool adminAccount, bool adminToken,
                                    const std::wstring& oldFolder) {
  return L"\"" + uninstallerPath + L"\" /S -adminact=" + (adminAccount ? L"true" : L"false") +
         L" -authorizationact=" + (adminToken ? L"true" : L"false") + L" -console=show _?=" + oldFolder;
}

std::wstring CopyUninstaller(const std::wstring& oldUninstallerPath) {
  const std::wstring folder = Utils::TempWorkFolder();
  if (folder.empty()) return std::wstring();
  const std::wstring copy = folder + Install::kUninstallerCopyName;
  Utils::DeleteFileAt(copy);
  if (!uninstaller_platform::CopyExecutable(oldUninstallerPath, copy)) {
    const uint32_t error = Utils::LastSystemError();
    UTILS_LOG(L"copy of the uninstaller failed: %s%s", oldUninstallerPath.c_str(), Utils::SystemErrorNote(error).c_str());
    Utils::DeleteFileAt(copy);
  }
  return copy;
}

UnInstaller::UnInstaller(UninstallNotify notify, std::wstring uninstallerPath, std::wstring oldFolder)
    : notify_(std::move(notify)), uninstallerPath_(std::move(uninstallerPath)), oldFolder_(std::move(oldFolder)) {}

UnInstaller::~UnInstaller() { Join(); }

void UnInstaller::Join() {
  if (worker_) worker_->Join();
}

void UnInstaller::Start() {
  // The earlier run ends first: it owns the process object and writes the
  // code page, and an uninstaller is never stopped half way.
  Join();
  worker_.reset();
  std::wstring user;
  const bool adminAccount = Utils::ConsoleUserName(&user) && Utils::IsUserAdminAccount(user);
  commandLine_ = UninstallerCommandLine(uninstallerPath_, adminAccount, Utils::IsProcessAdmin(), oldFolder_);
  worker_ = std::make_unique<Utils::Thread>(this, L"UnInstaller", [](void* self) -> unsigned long {
    static_cast<UnInstaller*>(self)->Run();
    return 0;
  });
  worker_->Resume();
}

int UnInstaller::Parse(const std::wstring& chunk) { return ParseUninstallStatus(chunk, &codePage_, notify_); }

void UnInstaller::Run() {
  if (!Utils::FileExists(uninstallerPath_)) {
    UTILS_LOG(L"uninstaller missing: %s", uninstallerPath_.c_str());
    notify_(kUninstallNotStarted, 1.0, kMissingCopyText);
    return;
  }
  notify_(kUninstallProgress, 0.0, L"");
  process_.reset();
  try {
    process_ = std::make_unique<Utils::PipedProcess>();
    process_->Start(commandLine_);
  } catch (const std::exception& e) {
    process_.reset();
    UTILS_LOG(L"uninstaller did not start: %s; %s", commandLine_.c_str(), Utils::TraceText(e).c_str());
    notify_(kUninstallNotStarted, 2.0, L"");
    return;
  }
  UTILS_LOG(L"uninstaller started: %s", commandLine_.c_str());

  bool success = true;
  char buffer[kReadSize + 1];
  // A bounded read, never a wait for more: a child that has exited may
  // have left its pipe to a process it started.
  using ReadStatus = Utils::PipedProcess::ReadStatus;
  auto readChunk = [&](uint32_t milliseconds) -> ReadStatus {
    size_t got = 0;
    const ReadStatus status = process_->ReadOutputFor(buffer, kReadSize, &got, milliseconds);
    if (status == ReadStatus::kData && got > 0) {
      buffer[got] = '\0';
      const std::string bytes(buffer);  // up to the first zero byte
      if (Parse(Utils::MultiByteToWide(bytes, static_cast<unsigned>(codePage_))) != 0) success = false;
    }
    return status;
  };

  bool pipeOpen = true;
  while (process_->ExitCode() == Utils::PipedProcess::kStillActive) {
    if (!pipeOpen) {
      process_->Wait();
      break;
    }
    pipeOpen = readChunk(kReadSliceMs) != ReadStatus::kEnded;
  }
  // What the child wrote just before it exited; only what is already there.
  for (int i = 0; pipeOpen && i < kReadsAfterExit && readChunk(0) == ReadStatus::kData; ++i) {
  }

  const uint32_t exitCode = process_->Wait();
  process_.reset();
  UTILS_LOG(L"uninstaller ended with %u", static_cast<unsigned>(exitCode));
  if (success) notify_(kUninstallSucceeded, 1.0, L"");
}
