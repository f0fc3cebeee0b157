#include <windows.h>

#include "child_process.h"
#include "utils/cmdline.h"
#include "utils/utf8.h"

namespace quillon_test {
ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::string& stdoutPath, const std::string& stderrPath) {
  std::wstring commandLine = Utils::QuoteCommandLineArgument(Utils::Utf8ToWide(program));
  for (const std::string& a : args) commandLine += L" " + Utils::QuoteCommandLineArgument(Utils::Utf8ToWide(a));
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  auto openForChild = [&inherit](const std::string& path) {
    return CreateFileW(Utils::Utf8ToWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  HANDLE out = openForChild(stdoutPath);
  HANDLE err = stderrPath.empty() ? INVALID_HANDLE_VALUE : openForChild(stderrPath);
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = out;
  si.hStdError = err != INVALID_HANDLE_VALUE ? err : GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION pi{};
  if (CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
    CloseHandle(pi.hThread);
    handle_ = pi.hProcess;
    id_ = pi.dwProcessId;
  }
  if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  if (err != INVALID_HANDLE_VALUE) CloseHandle(err);
}

ChildProcess::~ChildProcess() { Kill(); }

void ChildProcess::Kill() {
  if (!handle_) return;
  TerminateProcess(static_cast<HANDLE>(handle_), 1);
  WaitForSingleObject(static_cast<HANDLE>(handle_), 30000);
  CloseHandle(static_cast<HANDLE>(handle_));
  handle_ = nullptr;
  id_ = 0;
}

void KillProcessById(unsigned long id) {
  if (id == 0) return;
  HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
  if (!process) return;
  TerminateProcess(process, 1);
  WaitForSingleObject(process, 30000);
  CloseHandle(process);
}

}  // namespace quillon_test
