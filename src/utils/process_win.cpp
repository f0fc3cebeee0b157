#include <windows.h>

#include <vector>

#include "process.h"

namespace Utils {
namespace {

HANDLE H(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }
std::intptr_t I(HANDLE h) { return reinterpret_cast<std::intptr_t>(h); }

void CloseIfSet(std::intptr_t* h) {
  if (*h != AnonymousPipe::kNoHandle) {
    CloseHandle(H(*h));
    *h = AnonymousPipe::kNoHandle;
  }
}

}  // namespace

void AnonymousPipe::Create() {
  Close();
  SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
  HANDLE r = nullptr, w = nullptr;
  if (!CreatePipe(&r, &w, &sa, 0)) {
    const uint32_t error = LastSystemError();
    if (r) CloseHandle(r);
    if (w) CloseHandle(w);
    throw Exception("CreatePipe", error);
  }
  read_ = I(r);
  write_ = I(w);
}

void AnonymousPipe::CloseRead() { CloseIfSet(&read_); }
void AnonymousPipe::CloseWrite() { CloseIfSet(&write_); }

void AnonymousPipe::KeepFromChildren(Handle end) {
  if (end != kNoHandle) SetHandleInformation(H(end), HANDLE_FLAG_INHERIT, 0);
}

// The caller holds the image open without write or delete sharing, so the
// path names the bytes it checked.
void PipedProcess::Start(const std::wstring& commandLine, std::intptr_t) { Start(commandLine); }

void PipedProcess::Start(const std::wstring& commandLine) {
  if (commandLine.size() >= kCommandLineCapacity) throw Exception("command line of 1024 characters or more");
  if (processId_ != 0) throw Exception("a child was started already");
  wchar_t buffer[kCommandLineCapacity] = {};
  commandLine.copy(buffer, commandLine.size());
  commandLine_ = commandLine;

  output_.Create();
  input_.Create();
  SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
  HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                           OPEN_EXISTING, 0, nullptr);
  if (nul == INVALID_HANDLE_VALUE) {
    const uint32_t error = LastSystemError();
    CloseAll();
    throw Exception("CreateFileW NUL", error);
  }

  STARTUPINFOW si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_HIDE;
  si.hStdInput = H(input_.ReadEnd());
  si.hStdOutput = H(output_.WriteEnd());
  si.hStdError = nul;
  output_.KeepFromChildren(output_.ReadEnd());
  input_.KeepFromChildren(input_.WriteEnd());

  PROCESS_INFORMATION pi = {};
  const BOOL started =
      CreateProcessW(nullptr, buffer, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  // The clean-up below may overwrite the code.
  const uint32_t error = started ? 0 : LastSystemError();
  CloseHandle(nul);
  // The child holds its own copies now; without closing ours the output
  // pipe would never report its end.
  output_.CloseWrite();
  input_.CloseRead();
  if (!started) {
    CloseAll();
    throw Exception("CreateProcessW", error);
  }
  process_ = I(pi.hProcess);
  thread_ = I(pi.hThread);
  processId_ = pi.dwProcessId;
  threadId_ = pi.dwThreadId;
}

bool PipedProcess::ReadOutput(void* buffer, size_t size, size_t* got) {
  *got = 0;
  if (output_.ReadEnd() == AnonymousPipe::kNoHandle || size == 0) return false;
  DWORD n = 0;
  const DWORD want = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
  if (!ReadFile(H(output_.ReadEnd()), buffer, want, &n, nullptr)) return false;
  *got = n;
  return true;
}

// Anonymous pipes have no overlapped reads, so the wait is a poll of
// PeekNamedPipe; ReadFile is called only for bytes that are already there.
PipedProcess::ReadStatus PipedProcess::ReadOutputFor(void* buffer, size_t size, size_t* got,
                                                  uint32_t milliseconds) {
  *got = 0;
  if (output_.ReadEnd() == AnonymousPipe::kNoHandle || size == 0) return ReadStatus::kEnded;
  const DWORD start = GetTickCount();
  for (;;) {
    DWORD available = 0;
    if (!PeekNamedPipe(H(output_.ReadEnd()), nullptr, 0, nullptr, &available, nullptr)) {
      return ReadStatus::kEnded;
    }
    if (available > 0) {
      const size_t want = available < size ? available : size;
      return ReadOutput(buffer, want, got) ? ReadStatus::kData : ReadStatus::kEnded;
    }
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= milliseconds) return ReadStatus::kNothing;
    const DWORD left = milliseconds - elapsed;
    Sleep(left < 2 ? left : 2);
  }
}

uint32_t PipedProcess::ExitCode() {
  if (process_ == AnonymousPipe::kNoHandle) return kStillActive;
  DWORD code = kStillActive;
  if (!GetExitCodeProcess(H(process_), &code)) return kStillActive;
  return code;
}

uint32_t PipedProcess::Wait() {
  if (process_ == AnonymousPipe::kNoHandle) return kStillActive;
  WaitForSingleObject(H(process_), INFINITE);
  return ExitCode();
}

bool PipedProcess::WaitFor(uint32_t milliseconds, uint32_t* code) {
  if (process_ == AnonymousPipe::kNoHandle) return false;
  if (WaitForSingleObject(H(process_), milliseconds) != WAIT_OBJECT_0) return false;
  *code = ExitCode();
  return true;
}

bool PipedProcess::Terminate() {
  if (process_ == AnonymousPipe::kNoHandle) return false;
  return TerminateProcess(H(process_), 1) != 0;
}

void PipedProcess::CloseAll() {
  CloseIfSet(&thread_);
  CloseIfSet(&process_);
  output_.Close();
  input_.Close();
}

}  // namespace Utils
