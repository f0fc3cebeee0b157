#include <windows.h>

#include "demo_platform.h"
#include "utils/cmdline.h"

namespace demo {

void Initialise() { SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX); }

bool WriteOut(const std::string& bytes) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD n = 0;
    if (!WriteFile(out, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &n, nullptr) || n == 0) {
      return false;
    }
    done += n;
  }
  return true;
}

void SleepMilliseconds(unsigned milliseconds) { Sleep(milliseconds); }

unsigned long CurrentProcessId() { return GetCurrentProcessId(); }

// A real access violation would start the system's debugger under Wine;
// ending with its code is what the parent sees of a crash either way.
void Crash() {
  TerminateProcess(GetCurrentProcess(), 0xC0000005);
  ExitProcess(0xC0000005);
}

bool StartInheritingChild(const std::vector<std::wstring>& arguments) {
  if (arguments.empty()) return false;
  std::wstring line;
  for (const std::wstring& a : arguments) line += (line.empty() ? L"" : L" ") + Utils::QuoteCommandLineArgument(a);
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION pi = {};
  // The standard handles came to us inheritable, so the child gets them.
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

}  // namespace demo
