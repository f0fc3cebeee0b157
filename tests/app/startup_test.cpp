// The process's start-up sequence in real child processes.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "support/scratch_dir.h"
#include "utils/process.h"
#include "utils/utf8.h"

namespace fs = std::filesystem;

namespace {

struct Outcome {
  uint32_t code = 0;
  std::string output;
};

Outcome RunHelper(const std::wstring& args, Utils::PipedProcess* keep = nullptr) {
  const fs::path helper = quillon_test::BuiltProgram(L"tests", L"startup_run");
  Utils::PipedProcess own;
  Utils::PipedProcess& child = keep ? *keep : own;
  child.Start(quillon_test::Quoted(helper) + L" " + args);
  Outcome o;
  if (keep) return o;
  char buffer[4096];
  size_t got = 0;
  for (int reads = 0; reads < 1000 && child.ReadOutput(buffer, sizeof buffer, &got); ++reads) {
    for (size_t i = 0; i < got; ++i) {
      if (buffer[i] != '\r') o.output += buffer[i];  // Windows' text-mode output
    }
  }
  if (!child.WaitFor(60000, &o.code)) {
    child.Terminate();
    ADD_FAILURE() << "startup_run did not end";
  }
  return o;
}

bool WaitForFile(const fs::path& path) {
  for (int i = 0; i < 3000; ++i) {
    if (fs::exists(path)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

}  // namespace

TEST(Startup, ASecondCopyLeavesAtOnceWhileTheFirstRunsOn) {
  quillon_test::ScratchDir dir;
  Utils::PipedProcess first;
  RunHelper(L"hold " + quillon_test::Quoted(dir.Path()), &first);
  ASSERT_TRUE(WaitForFile(dir.Path() / "ready"));

  const Outcome second = RunHelper(L"hold " + quillon_test::Quoted(dir.Path() / "other"));
  // -1 as the system keeps an exit code: 32 bits on Windows, 8 on Linux.
  EXPECT_TRUE(second.code == 0xFFFFFFFFu || second.code == 255u) << second.code;
  EXPECT_EQ(second.output.find("window"), std::string::npos) << second.output;
  EXPECT_EQ(second.output.find("step"), std::string::npos) << second.output;

  { std::FILE* f = std::fopen((dir.Path() / "go").string().c_str(), "w"); if (f) std::fclose(f); }
  uint32_t code = 1;
  ASSERT_TRUE(first.WaitFor(60000, &code));
  EXPECT_EQ(code, 0u);
}

TEST(Startup, StepsRunInOrderAndShutDownAfterTheWindow) {
  const Outcome o = RunHelper(L"plain -isenableappsensors=false");
  EXPECT_EQ(o.code, 0u);
  EXPECT_EQ(o.output, "toolkit\nwindow\ndestroyed\nexit 0\n");
}

// The reporter makes its two reports and the process still dies of the
// fault, as it would have without the reporter.
TEST(Startup, ACrashIsReportedAndStillEndsTheProcess) {
  const Outcome o = RunHelper(L"crash");
  EXPECT_NE(o.code, 0u);
  EXPECT_NE(o.code, static_cast<uint32_t>(Utils::PipedProcess::kStillActive));
  const std::string step = "step \xe5\xb4\xa9\xe6\xba\x83\xe9\x80\x80\xe5\x87\xba\n";  // 崩溃退出
  const size_t at = o.output.find(step);
  ASSERT_NE(at, std::string::npos) << o.output;
  // Wine follows with its own account of the crash on the same stream.
  EXPECT_EQ(o.output.substr(at + step.size(), 6), "crash\n");
  EXPECT_EQ(o.output.find("exit"), std::string::npos) << o.output;
}

// A report that can never finish (its lock held by a thread that will not
// let go) still lets the crashed process end, after the reporter's limit.
TEST(Startup, ACrashWhileAReportLockIsHeldStillEndsTheProcess) {
  const Outcome o = RunHelper(L"crash-held");
  EXPECT_NE(o.code, 0u);
  EXPECT_NE(o.code, static_cast<uint32_t>(Utils::PipedProcess::kStillActive));
  EXPECT_NE(o.output.find("window\n"), std::string::npos) << o.output;
  EXPECT_EQ(o.output.find("step"), std::string::npos) << o.output;
  EXPECT_EQ(o.output.find("exit"), std::string::npos) << o.output;
}

TEST(Startup, TheLogSwitchKeepsEveryTraceLineInAFile) {
  quillon_test::ScratchDir dir;
  const fs::path log = dir.Path() / "setup log.txt";
  const Outcome o = RunHelper(L"trace \"-log=" + log.wstring() + L"\"");
  EXPECT_EQ(o.code, 0u) << o.output;
  const std::string text = quillon_test::ReadBytes(log);
  EXPECT_NE(text.find("window \xe5\xae\x89\xe8\xa3\x85\r\n"), std::string::npos) << text;
}
