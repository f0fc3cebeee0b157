#include "installer.h"

#include <exception>
#include <utility>
#include <vector>

#include "app/installer_config.h"
#include "install/signature.h"
#include "utils/log.h"
#include "utils/system_error.h"
#include "utils/text.h"

namespace Install {
namespace {

const wchar_t* Flag(bool on) { return on ? L"true" : L"false"; }

}  // namespace

std::wstring PackageCommandLine(const PackageOptions& o) {
  std::wstring line = o.packageArgument;
  line += L" /S -console=show -version=1.0.0";
  line += L" -adminact=";
  line += Flag(o.adminAccount);
  line += L" -authorizationact=";
  line += Flag(o.adminToken);
  line += L" -dsc=";
  line += Flag(o.desktopShortcut);
  line += L" -ssc=";
  line += Flag(o.quickLaunchShortcut);
  if (!o.installLanguage.empty()) line += L" -inslang=\"" + o.installLanguage + L"\"";
  if (!o.instCmd.empty()) line += L" " + o.instCmd;
  if (!o.installFolder.empty()) {
    line += L" -instdir=\"" + o.installFolder + L"\"";
    line += L" /D=" + o.installFolder;
  }
  return line;
}

std::wstring UnquotedPath(const std::wstring& argument) {
  if (argument.size() >= 2 && argument.front() == L'"' && argument.back() == L'"') {
    return argument.substr(1, argument.size() - 2);
  }
  return argument;
}

}  // namespace Install

namespace {

// Reads are at most this many bytes, and each is parsed on its own.
constexpr size_t kChunkSize = 1024;
// How long one read waits for output; the exit code is looked at between
// reads, so also the longest gap between two looks while the package is
// quiet.
constexpr uint32_t kPollMilliseconds = 100;
// Once the package has exited only what is already in the pipe is read,
// and at most this much: a descendant that keeps writing must not keep
// the run going.
constexpr size_t kAfterExitLimit = 4u << 20;

}  // namespace

CInstaller::CInstaller(Notify notify, const std::wstring& packageArgument, const std::wstring& installFolder)
    : notify_(std::move(notify)), packageArgument_(packageArgument), installFolder_(installFolder) {}

CInstaller::~CInstaller() {
  if (worker_) worker_->Join();
}

void CInstaller::Start() {
  // The previous run is ended before anything it reads is changed.
  if (worker_) {
    worker_->Join();
    worker_.reset();
  }
  Install::PackageOptions options;
  options.packageArgument = packageArgument_;
  options.installFolder = installFolder_;
  options.adminAccount = adminAccount_;
  options.adminToken = adminToken_;
  options.desktopShortcut = desktopShortcut_;
  options.quickLaunchShortcut = quickLaunchShortcut_;
  options.installLanguage = installLanguage_;
  options.instCmd = g_InstallerConfig.InstCmd;
  publisherKey_ = g_InstallerConfig.PublisherKey;
  commandLine_ = Install::PackageCommandLine(options);
  Utils::RestartThread(&worker_, this, L"ABDEF", [this](void*) -> unsigned long {
    Run();
    return 0;
  });
}

int CInstaller::Parse(const std::wstring& text) {
  std::vector<Install::StatusEvent> events;
  const int result = Install::ParsePackageChunk(text, &stream_, &events);
  for (const Install::StatusEvent& e : events) {
    if (std::wstring(e.key) == L"ExePath=") UTILS_LOG(L"ExePath: %s", e.text.c_str());
    notify_(e.code, e.value, e.text.c_str());
  }
  return result;
}

int CInstaller::ParseBytes(const std::string& bytes) {
  // An undecodable chunk converts to nothing and is ignored.
  return Parse(Utils::MultiByteToWide(bytes, static_cast<unsigned>(stream_.codePage)));
}

void CInstaller::ReadUntilExit(Utils::PipedProcess& process, bool* stoppedByStatus) {
  char buffer[kChunkSize];
  bool exited = false;
  size_t afterExit = 0;
  for (;;) {
    size_t got = 0;
    const auto status = process.ReadOutputFor(buffer, sizeof buffer, &got, exited ? 0 : kPollMilliseconds);
    if (status == Utils::PipedProcess::ReadStatus::kData) {
      if (ParseBytes(std::string(buffer, got)) != 0) {
        *stoppedByStatus = true;
        return;
      }
      if (exited) {
        afterExit += got;
        if (afterExit < kAfterExitLimit) continue;  // more that was written before the exit
      }
    } else if (status == Utils::PipedProcess::ReadStatus::kEnded && !exited) {
      // Output closed but the package runs on: pace the exit checks.
      uint32_t code = 0;
      process.WaitFor(kPollMilliseconds, &code);
    }
    if (exited) return;
    exited = process.ExitCode() != Utils::PipedProcess::kStillActive;
  }
}

void CInstaller::Run() {
  notify_(kInstallBegun, 0.0, L"");
  if (packageArgument_.empty()) {
    notify_(kInstallFailed, kNoPackage, L"");
    return;
  }
  const std::wstring path = Install::UnquotedPath(packageArgument_);
  Install::HeldPackage held;
  std::intptr_t image = Utils::AnonymousPipe::kNoHandle;
  if (!Install::ParsePinnedKeys(publisherKey_).empty()) {
    const Install::SignatureVerdict verdict =
        held.Open(path) ? Install::CheckSignature(held.Data(), held.Size(), Install::ParsePinnedKeys(publisherKey_),
                                                  Install::SecondsNow())
                              .verdict
                        : Install::SignatureVerdict::kUnreadable;
    if (verdict != Install::SignatureVerdict::kValid) {
      UTILS_LOG(L"package refused: %s", Install::SignatureVerdictText(verdict));
      // Let go first: the refusal's clean-up deletes the file.
      held.Close();
      notify_(kInstallFailed, kSignatureRefused, Install::SignatureRefusalText(verdict).c_str());
      return;
    }
    image = held.ExecutableHandle();
    if (afterCheck_) afterCheck_(path);
  }
  notify_(kInstallProgress, 0.0, L"");
  Utils::PipedProcess process;
  try {
    Install::PreparePackageFile(path);
    process.Start(commandLine_, image);
  } catch (const std::exception& e) {
    held.Close();
    UTILS_LOG(L"package did not start: %s; %s", commandLine_.c_str(), Utils::TraceText(e).c_str());
    notify_(kInstallFailed, kStartFailed, L"");
    return;
  }
  // The process exists now; what it runs can no longer change.
  held.Close();
  bool stoppedByStatus = false;
  ReadUntilExit(process, &stoppedByStatus);
  if (stoppedByStatus) {
    // Nothing more is parsed, but the pipe is kept empty so that a package
    // still writing can reach its end.
    std::vector<char> drain(64 * 1024);
    uint32_t code = 0;
    while (!process.WaitFor(0, &code)) {
      size_t got = 0;
      if (process.ReadOutputFor(drain.data(), drain.size(), &got, kPollMilliseconds) ==
          Utils::PipedProcess::ReadStatus::kEnded) {
        process.Wait();
        break;
      }
    }
  } else {
    process.Wait();
  }
  // Leaving the scope closes the pipes and the process handles.
  if (!stoppedByStatus) notify_(kInstallSucceeded, 1.0, L"");
}
