// The Windows debugger channel, read the way a debug-output viewer reads it
// (the DBWIN_BUFFER shared section), so the real OutputDebugStringW is used.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "utils/log.h"

namespace {

class DebugOutputViewer {
 public:
  DebugOutputViewer() {
    bufferReady_ = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_BUFFER_READY");
    dataReady_ = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY");
    mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, L"DBWIN_BUFFER");
    view_ = mapping_ ? static_cast<char*>(MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 4096)) : nullptr;
  }
  ~DebugOutputViewer() {
    if (view_) UnmapViewOfFile(view_);
    for (HANDLE h : {mapping_, dataReady_, bufferReady_}) {
      if (h) CloseHandle(h);
    }
  }
  bool Ready() const { return bufferReady_ && dataReady_ && view_; }
  void Arm() { SetEvent(bufferReady_); }
  // The text of the next message this process sends; other processes of
  // the suite may write to the channel meanwhile.
  bool NextOfOurs(std::string* text) {
    for (int i = 0; i < 100; ++i) {
      if (WaitForSingleObject(dataReady_, 10000) != WAIT_OBJECT_0) return false;
      const DWORD pid = *reinterpret_cast<const DWORD*>(view_);
      *text = std::string(view_ + sizeof(DWORD));
      if (pid == GetCurrentProcessId()) return true;
      Arm();
    }
    return false;
  }

 private:
  HANDLE bufferReady_ = nullptr, dataReady_ = nullptr, mapping_ = nullptr;
  char* view_ = nullptr;
};

void Announce() { UTILS_LOG(L"start download %s", L"now"); }

}  // namespace

TEST(TraceLineOnDebuggerChannel, OutputDebugStringCarriesTheWholeLine) {
  DebugOutputViewer viewer;
  ASSERT_TRUE(viewer.Ready());
  viewer.Arm();
  Announce();
  std::string text;
  ASSERT_TRUE(viewer.NextOfOurs(&text));
  EXPECT_EQ(text.rfind("<P", 0), 0u) << text;
  const std::string tail = "({anonymous}::Announce)";
  EXPECT_NE(text.find(tail), std::string::npos) << text;
  const std::string end = ">: start download now\r\n";
  ASSERT_GT(text.size(), end.size());
  EXPECT_EQ(text.substr(text.size() - end.size()), end) << text;
}
