#include <windows.h>
#include <objbase.h>

#include <cstdio>

#include "app/unattended.h"
#include "utils/probe.h"
#include "utils/utf8.h"

namespace App {
namespace unattended_platform {
namespace {

// A GUI program has no console of its own. Started with its output
// redirected it has that handle; started from a console it borrows the
// parent's, once.
HANDLE ConsoleOutput(bool* isConsole) {
  static HANDLE out = [] {
    HANDLE h = GetStdHandle(STD_OUTPUT_HANDLE);
    if (h == nullptr || h == INVALID_HANDLE_VALUE) {
      if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        h = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, 0, nullptr);
      }
    }
    return h;
  }();
  DWORD mode = 0;
  *isConsole = out != nullptr && out != INVALID_HANDLE_VALUE && GetConsoleMode(out, &mode);
  return out;
}

}  // namespace

void WriteConsoleLine(const std::string& utf8) {
  bool isConsole = false;
  HANDLE out = ConsoleOutput(&isConsole);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  if (isConsole) {
    // Wide text: the console's code page need not be UTF-8.
    const std::wstring wide = Utils::Utf8ToWide(utf8) + L"\r\n";
    WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
  } else {
    const std::string line = utf8 + "\r\n";
    WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  }
}

int32_t CheckNetworkNow() {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const int32_t result = Utils::CheckNetwork();
  if (SUCCEEDED(com)) CoUninitialize();
  return result;
}

}  // namespace unattended_platform
}  // namespace App
