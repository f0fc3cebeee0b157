#include "utils/log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "support/log_capture.h"
#include "support/scratch_dir.h"
#include "utils/file_io.h"

using quillon_test::FixedOrigin;
using quillon_test::LogCapture;

struct CurlClient {
  static void Start();
};

namespace {

Utils::LogOrigin Origin(unsigned long pid, unsigned long tid) {
  Utils::LogOrigin o;
  o.processId = pid;
  o.threadId = tid;
  o.time = {2024, 3, 5, 14, 7, 9, 42};
  return o;
}

void LogWithCode(int code) { UTILS_LOG(L"CurlDownLoader Code=%d", code); }

void LogPhase() { UTILS_LOG(L"download phase\r\n"); }

void LogText(const std::wstring& a, const wchar_t* b) { UTILS_LOG(L"[%s|%s] 100%%", a.c_str(), b); }

bool EndsWith(const std::wstring& s, const std::wstring& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::wstring OnlyLine(const LogCapture& capture) {
  const auto lines = capture.Lines();
  return lines.size() == 1 ? lines[0] : L"<" + std::to_wstring(lines.size()) + L" lines>";
}

}  // namespace

TEST(TraceLine, ReproducesTheDocumentedExampleExactly) {
  LogCapture capture;
  FixedOrigin origin(Origin(1234, 5678));
  CurlClient::Start();
  EXPECT_EQ(OnlyLine(capture),
            L"<P01234><T05678><2024-03-05 14:07:09.042>(CurlClient::Start)<0060>: start download\r\n");
}

TEST(TraceLine, WideIdsPrintInFull) {
  LogCapture capture;
  FixedOrigin origin(Origin(1234567, 123456));
  LogWithCode(7);
  const std::wstring line = OnlyLine(capture);
  EXPECT_EQ(line.rfind(L"<P1234567><T123456><", 0), 0u) << line;
}

TEST(TraceLine, MessageArgumentsFollowTheLineNumber) {
  LogCapture capture;
  FixedOrigin origin(Origin(1, 2));
  LogWithCode(-998);
  const std::wstring line = OnlyLine(capture);
  EXPECT_NE(line.find(L"({anonymous}::LogWithCode)<"), std::wstring::npos) << line;
  EXPECT_TRUE(EndsWith(line, L">: CurlDownLoader Code=-998\r\n")) << line;
}

TEST(TraceLine, MessageEndingInCrLfLeavesAnEmptyLine) {
  LogCapture capture;
  LogPhase();
  const std::wstring line = OnlyLine(capture);
  EXPECT_TRUE(EndsWith(line, L">: download phase\r\n\r\n")) << line;
}

TEST(TraceLine, PercentSAndPercentCTakeWideTextOnBothTargets) {
  LogCapture capture;
  LogText(L"开始下载大包", L"ok");
  const std::wstring line = OnlyLine(capture);
  EXPECT_EQ(line.substr(line.find(L">: ") + 3), L"[开始下载大包|ok] 100%\r\n");
}

TEST(TraceLine, DirectCallsFormatTheirOwnArguments) {
  LogCapture capture;
  Utils::OutputDebugPrintf(L"%s=%c %5.1f %05d %x %%s %ls", L"k", L'v', 2.5, 42, 255, L"w");
  EXPECT_EQ(OnlyLine(capture), L"k=v   2.5 00042 ff %s w");
}

TEST(TraceLine, NullFormatIsIgnored) {
  LogCapture capture;
  Utils::OutputDebugPrintf(nullptr);
  EXPECT_TRUE(capture.Lines().empty());
}

TEST(TraceLine, RealOriginIsThisProcessAndThread) {
  const Utils::LogOrigin o = Utils::log::SystemOrigin();
  EXPECT_GT(o.processId, 0u);
  EXPECT_GT(o.threadId, 0u);
  EXPECT_GE(o.time.year, 2024);
  EXPECT_TRUE(o.time.month >= 1 && o.time.month <= 12);
  EXPECT_TRUE(o.time.millisecond >= 0 && o.time.millisecond <= 999);
}

TEST(FunctionTag, NormalisesWhatGccGives) {
  const struct {
    const char* pretty;
    const wchar_t* tag;
  } cases[] = {
      {"void CurlClient::Start()", L"CurlClient::Start"},
      {"static long unsigned int Utils::Thread::CallBack(void*)", L"Utils::Thread::CallBack"},
      {"virtual int CMTCurlDownloader::downloadExe(const string&, int) const", L"CMTCurlDownloader::downloadExe"},
      {"Utils::Thread::Thread(void*, const wstring&, Procedure)", L"Utils::Thread::Thread"},
      {"CurlClient::Start()::<lambda(int)>", L"CurlClient::Start::<lambda>"},
      {"void CurlClient::Start()::<lambda()>::operator()() const", L"CurlClient::Start::<lambda>::operator()"},
      {"std::vector<std::pair<int, int> > Foo::Bar(int)", L"Foo::Bar"},
      {"void ns::Box<T>::Put(T) [with T = int]", L"ns::Box<T>::Put"},
      {"bool Key::operator<(const Key&) const", L"Key::operator<"},
      {"int main(int, char**)", L"main"},
      {"void {anonymous}::Helper()", L"{anonymous}::Helper"},
      {"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(Utils::log::FunctionTag(c.pretty), c.tag) << c.pretty;
}

TEST(FunctionTag, PercentSIsRewrittenOnlyWhenBare) {
  EXPECT_EQ(Utils::log::WideArgumentFormat(L"%s %-10s %ls %%s %c %d"), L"%ls %-10ls %ls %%s %lc %d");
}

// The "-log=PATH" copy: appended in UTF-8 beside the channel, whole lines
// from many threads, kept after a reopen, nothing after closing.
TEST(TraceFile, EveryLineIsAppendedWholeInUtf8) {
  quillon_test::ScratchDir folder;
  const std::wstring path = (folder.Path() / L"setup.log").wstring();
  {
    FILE* f = Utils::OpenFile(path, "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("earlier run\r\n", f);
    std::fclose(f);
  }
  FixedOrigin origin(Origin(1, 2));
  LogCapture capture;
  ASSERT_TRUE(Utils::log::OpenLogFile(path));
  LogText(L"\u5b89\u88c5", L"ok");
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([] {
      for (int i = 0; i < 50; ++i) LogWithCode(i);
    });
  }
  for (std::thread& t : threads) t.join();
  Utils::log::CloseLogFile();
  LogWithCode(999);

  std::string text;
  {
    FILE* f = Utils::OpenFile(path, "rb");
    ASSERT_NE(f, nullptr);
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    std::fclose(f);
  }
  std::vector<std::string> lines;
  for (size_t start = 0; start < text.size();) {
    const size_t end = text.find("\r\n", start);
    ASSERT_NE(end, std::string::npos) << "a line without its CR LF";
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  ASSERT_EQ(lines.size(), 1u + 1 + 200);
  EXPECT_EQ(lines[0], "earlier run");
  EXPECT_NE(lines[1].find("[\xe5\xae\x89\xe8\xa3\x85|ok] 100%"), std::string::npos) << lines[1];
  for (size_t i = 2; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].rfind("<P00001><T00002>", 0), 0u) << lines[i];
    EXPECT_NE(lines[i].find("CurlDownLoader Code="), std::string::npos) << lines[i];
  }
  EXPECT_EQ(capture.Lines().size(), 202u);  // the channel still has every line
  EXPECT_EQ(text.find("Code=999"), std::string::npos);
  EXPECT_FALSE(Utils::log::OpenLogFile((folder.Path() / L"no such folder" / L"x.log").wstring()));
}

// Kept last: the #line below renumbers the rest of the file.
void CurlClient::Start() {
#line 60
  UTILS_LOG(L"start download");
}
