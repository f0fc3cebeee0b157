// The system DPI as a fresh installer process reads it, after the prefix's
// display setting (HKCU\Control Panel\Desktop LogPixels, what Windows'
// display settings and winecfg write) is changed. The previous setting is
// put back whatever the outcome.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/scratch_dir.h"

namespace {

const wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
const wchar_t kLogPixels[] = L"LogPixels";

// Holds the value as it was and restores it (or its absence) when it goes.
class LogPixelsSetting {
 public:
  LogPixelsSetting() {
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr,
                        &key_, nullptr) != ERROR_SUCCESS) {
      key_ = nullptr;
      return;
    }
    DWORD size = 0;
    if (RegQueryValueExW(key_, kLogPixels, nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
      saved_.resize(size);
      had_ = RegQueryValueExW(key_, kLogPixels, nullptr, &type_, saved_.data(), &size) == ERROR_SUCCESS;
      saved_.resize(size);
    }
  }
  ~LogPixelsSetting() {
    if (!key_) return;
    if (had_)
      RegSetValueExW(key_, kLogPixels, 0, type_, saved_.data(), static_cast<DWORD>(saved_.size()));
    else
      RegDeleteValueW(key_, kLogPixels);
    RegCloseKey(key_);
  }
  LogPixelsSetting(const LogPixelsSetting&) = delete;
  LogPixelsSetting& operator=(const LogPixelsSetting&) = delete;

  bool Set(DWORD dpi) {
    return key_ && RegSetValueExW(key_, kLogPixels, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                                  sizeof dpi) == ERROR_SUCCESS;
  }

 private:
  HKEY key_ = nullptr;
  bool had_ = false;
  DWORD type_ = REG_NONE;
  std::vector<BYTE> saved_;
};

// The probe's one line of output; empty when it could not start or did not
// end within ten seconds (it is ended by its handle then).
std::string RunProbe() {
  const std::wstring program = quillon_test::BuiltProgram(L"tests", L"skinui_dpi_probe").wstring();
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read = nullptr;
  HANDLE write = nullptr;
  if (!CreatePipe(&read, &write, &inherit, 0)) return "";
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = write;
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION pi{};
  std::wstring commandLine = quillon_test::Quoted(program);
  const bool started =
      CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  CloseHandle(write);
  std::string out;
  if (started) {
    CloseHandle(pi.hThread);
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) {
      TerminateProcess(pi.hProcess, 1);
      WaitForSingleObject(pi.hProcess, 10000);
    } else {
      char buffer[256];
      DWORD got = 0;
      // The child has ended, so the pipe holds all it wrote and reads end.
      while (ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
    }
    CloseHandle(pi.hProcess);
  }
  CloseHandle(read);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

struct ProbeLine {
  int before = 0, after = 0, metricAtBase = 0, metricAtDpi = 0, windowDpi = 0, frameAtBase = 0, frameAtDpi = 0;
};

ProbeLine Parse(const std::string& line) {
  ProbeLine p;
  if (std::sscanf(line.c_str(), "%d %d %d %d %d %d %d", &p.before, &p.after, &p.metricAtBase, &p.metricAtDpi,
                  &p.windowDpi, &p.frameAtBase, &p.frameAtDpi) != 7)
    return {};
  return p;
}

TEST(SystemDpiUnderWine, AFreshProcessReadsTheDisplaySetting) {
  LogPixelsSetting setting;
  ASSERT_TRUE(setting.Set(192));
  const std::string line = RunProbe();
  const ProbeLine twice = Parse(line);
  EXPECT_EQ(twice.after, 192) << line;
  // Frame metrics follow the scale asked for, not the one the process has.
  EXPECT_GT(twice.metricAtBase, 0) << line;
  EXPECT_EQ(twice.metricAtDpi, 2 * twice.metricAtBase) << line;
  EXPECT_EQ(twice.windowDpi, 192) << line;
  EXPECT_GT(twice.frameAtBase, 0) << line;
  EXPECT_GT(twice.frameAtDpi, twice.frameAtBase) << line;

  ASSERT_TRUE(setting.Set(144));
  EXPECT_EQ(Parse(RunProbe()).after, 144) << "a second change, with no wineserver restart between";

  ASSERT_TRUE(setting.Set(480));
  EXPECT_EQ(Parse(RunProbe()).after, 288) << "five times is drawn at three";
}

TEST(SystemDpiUnderWine, NinetySixIsScaleOne) {
  LogPixelsSetting setting;
  ASSERT_TRUE(setting.Set(96));
  const ProbeLine once = Parse(RunProbe());
  EXPECT_EQ(once.after, 96);
  EXPECT_EQ(once.metricAtDpi, once.metricAtBase);
  EXPECT_EQ(once.windowDpi, 96);
  EXPECT_EQ(once.frameAtDpi, once.frameAtBase);
}

}  // namespace
