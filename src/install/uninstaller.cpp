#include "uninstaller.h"

#include <cwchar>
#include <cwctype>
#include <exception>
#include <utility>

#include "utils/file_io.h"
#include "utils/files.h"
#include "utils/log.h"
#include "utils/probe.h"
#include "utils/text.h"

const wchar_t kUninstallerCopyName[] = L"velmotranslate_un_asa.exe";

namespace {

constexpr size_t kReadSize = 1024;
constexpr size_t kValueLimit = 771;
// How long one wait for output lasts before the exit code is asked again.
constexpr uint32_t kReadSliceMs = 50;
// Reads after the exit, for what the uninstaller wrote just before it: at
// most a full pipe's worth, so a process that inherited the pipe and keeps
// writing cannot hold the run.
constexpr int kReadsAfterExit = 64;

const wchar_t kMissingCopyText[] = L"可执行卸载文件不存在";
const wchar_t kUninstallFailedText[] = L"安装包卸载失败";

std::wstring Trimmed(const std::wstring& text) {
  std::wstring::size_type begin = 0, end = text.size();
  while (begin < end && std::iswspace(text[begin])) ++begin;
  while (end > begin && std::iswspace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

bool StartsWith(const std::wstring& line, const wchar_t* key, std::wstring* rest) {
  const size_t n = std::wcslen(key);
  if (line.compare(0, n, key) != 0) return false;
  *rest = line.substr(n, kValueLimit);
  return true;
}

// A leading decimal number in the C rules; 0.0 when there is none. Not
// wcstod: the process's locale may use another decimal mark.
double LeadingNumber(const std::wstring& text) {
  std::string ascii;
  for (wchar_t c : text) {
    if (c > 0x7F) break;
    ascii += static_cast<char>(c);
  }
  size_t i = 0;
  while (i < ascii.size() && (ascii[i] == ' ' || ascii[i] == '\t')) ++i;
  double sign = 1.0;
  if (i < ascii.size() && (ascii[i] == '+' || ascii[i] == '-')) sign = ascii[i++] == '-' ? -1.0 : 1.0;
  double value = 0.0, scale = 1.0;
  bool fraction = false;
  for (; i < ascii.size(); ++i) {
    const char c = ascii[i];
    if (c == '.' && !fraction) {
      fraction = true;
    } else if (c >= '0' && c <= '9') {
      if (fraction) {
        scale /= 10.0;
        value += (c - '0') * scale;
      } else {
        value = value * 10.0 + (c - '0');
      }
    } else {
      break;
    }
  }
  return sign * value;
}

}  // namespace

int ParseUninstallStatus(const std::wstring& chunk, int* codePage, const UninstallNotify& notify) {
  int result = 0;
  std::wstring::size_type start = 0;
  while (start <= chunk.size()) {
    std::wstring::size_type end = chunk.find(L'\n', start);
    if (end == std::wstring::npos) end = chunk.size();
    const std::wstring line = chunk.substr(start, end - start);
    start = end + 1;

    std::wstring value;
    if (StartsWith(line, L"Progress=", &value)) {
      notify(5002, LeadingNumber(value), L"");
    } else if (StartsWith(line, L"Error=", &value)) {
      notify(5005, 0.0, value.c_str());
      result = 1000;
    } else if (StartsWith(line, L"State=", &value)) {
      const std::wstring state = Trimmed(value);
      if (state == L"Success") {
        notify(5003, 0.0, L"");
        result = 1;
      } else if (state == L"Fail") {
        notify(5005, 0.0, kUninstallFailedText);
        result = 1000;
      }
    } else if (StartsWith(line, L"Encode=", &value)) {
      *codePage = Trimmed(value) == L"UTF8" ? static_cast<int>(Utils::kCodePageUtf8) : 0;
    }
  }
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
  const std::wstring copy = folder + kUninstallerCopyName;
  Utils::DeleteFileAt(copy);
  if (!uninstaller_platform::CopyExecutable(oldUninstallerPath, copy)) {
    UTILS_LOG(L"copy of the uninstaller failed: %s", oldUninstallerPath.c_str());
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
    notify_(5004, 1.0, kMissingCopyText);
    return;
  }
  notify_(5002, 0.0, L"");
  process_.reset();
  try {
    process_ = std::make_unique<Utils::PipedProcess>();
    process_->Start(commandLine_);
  } catch (const std::exception&) {
    process_.reset();
    UTILS_LOG(L"uninstaller did not start: %s", commandLine_.c_str());
    notify_(5004, 2.0, L"");
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
  if (success) notify_(5003, 1.0, L"");
}
