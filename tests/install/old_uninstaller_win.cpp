#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include <filesystem>
#include <fstream>
#include <vector>

#include "old_uninstaller_platform.h"
#include "utils/files.h"

unsigned long StartHolder(const std::wstring& idFile) {
  std::wstring line = L"\"" + Utils::ExecutablePath() + L"\" hold";
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) return 0;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  std::ofstream(std::filesystem::path(idFile)) << pi.dwProcessId;
  return pi.dwProcessId;
}

void BinaryOutput() { _setmode(_fileno(stdout), _O_BINARY); }
