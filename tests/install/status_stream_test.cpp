#include "install/status_stream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/installer.h"
#include "support/log_capture.h"
#include "support/notify_recorder.h"
#include "utils/text.h"

namespace {

using Install::kPackageFailText;
using Install::StatusEvent;

struct Expected {
  int code;
  double value;
  std::wstring text;
};

struct ChunkCase {
  const char* name;
  std::wstring chunk;
  std::vector<Expected> events;
  int result;
};

TEST(PackageStream, EachChunkGivesItsNotificationsAndVerdict) {
  const std::wstring longValue(900, L'v');
  const std::vector<ChunkCase> cases = {
      {"progress and state in one chunk", L"Progress=0.5\nState=Success\n", {{2002, 0.5, L""}, {2003, 0.0, L""}}, 1},
      {"state ended by CR LF is trimmed", L"State=Success\r\n", {{2003, 0.0, L""}}, 1},
      {"path ended by CR LF keeps the CR", L"InstPath=C:\\Apps\\v\r\n", {{3000, 0.0, L"C:\\Apps\\v\r"}}, 0},
      {"state in lower case is ignored", L"State=success\r\n", {}, 0},
      {"state Fail", L"State= Fail \n", {{2004, 0.0, kPackageFailText}}, 1000},
      {"the later final line decides", L"State=Success\nError=x\n", {{2003, 0.0, L""}, {2004, 1000.0, L"x"}}, 1000},
      {"... either way", L"Error=x\nState=Success", {{2004, 1000.0, L"x"}, {2003, 0.0, L""}}, 1},
      {"an empty error", L"Error=", {{2004, 1000.0, L""}}, 1000},
      {"detention -1", L"TopShowDetention=-1\r\n", {{3007, 4294967295.0, L""}}, 0},
      {"close detention, misspelt key", L"FinsihCloseDetention= 15x\nFinishCloseDetention=3\n", {{3008, 15.0, L""}}, 0},
      {"detention without a number", L"TopShowDetention=abc", {{3007, 0.0, L""}}, 0},
      {"startup styles", L"StartupStyle=Auto\nStartupStyle=AutoStartup\r\nStartupStyle= UserStartup\nStartupStyle=NonStartup",
       {{3005, 0.0, L""}, {3005, 1.0, L""}, {3005, 2.0, L""}, {3005, 0.0, L""}}, 0},
      {"paths and texts", L"ExePath=a\nStartExe=b\nUninstExePath=c\nUninstExe=d\nUninstEp=e\nStartUrl=f\nMessage= g ",
       {{3001, 0.0, L"a"}, {3001, 0.0, L"b"}, {3002, 0.0, L"c"}, {3002, 0.0, L"d"}, {3003, 0.0, L"e"},
        {3004, 0.0, L"f"}, {3009, 0.0, L" g "}}, 0},
      {"progress numbers", L"Progress=abc\nProgress= 42.5%\nProgress=1e2\nProgress=-0.25e\nProgress=.5",
       {{2002, 0.0, L""}, {2002, 42.5, L""}, {2002, 100.0, L""}, {2002, -0.25, L""}, {2002, 0.5, L""}}, 0},
      {"halves of a split line", L"Sta", {}, 0},
      {"... the second half", L"te=Success\r\n", {}, 0},
      {"a key must begin the line", L" State=Success\nX=1\n\n", {}, 0},
      {"long values are cut", L"Message=" + longValue, {{3009, 0.0, std::wstring(771, L'v')}}, 0},
  };
  for (const ChunkCase& c : cases) {
    Install::PackageStreamState state;
    std::vector<StatusEvent> events;
    EXPECT_EQ(Install::ParsePackageChunk(c.chunk, &state, &events), c.result) << c.name;
    ASSERT_EQ(events.size(), c.events.size()) << c.name;
    for (size_t i = 0; i < events.size(); ++i) {
      EXPECT_EQ(events[i].code, c.events[i].code) << c.name << " #" << i;
      EXPECT_DOUBLE_EQ(events[i].value, c.events[i].value) << c.name << " #" << i;
      EXPECT_EQ(events[i].text, c.events[i].text) << c.name << " #" << i;
    }
  }
}

TEST(PackageStream, EncodeAndVersionLinesChangeTheStreamState) {
  struct Case {
    std::wstring chunk;
    int32_t codePage;
  };
  const std::vector<Case> codePages = {
      {L"Encode=UTF8\r\n", 65001}, {L"Encode=936", 936},     {L"Encode= 936\r\n", 936}, {L"Encode=abc", 0},
      {L"Encode=ACP", 0},          {L"Encode=utf8", 0},      {L"Encode=9999999999", 0}, {L"Encode=1252x", 1252},
  };
  for (const Case& c : codePages) {
    Install::PackageStreamState state;
    state.codePage = 437;
    std::vector<StatusEvent> events;
    Install::ParsePackageChunk(c.chunk, &state, &events);
    EXPECT_EQ(state.codePage, c.codePage) << std::string(c.chunk.begin(), c.chunk.end());
    EXPECT_TRUE(events.empty());
  }

  Install::PackageStreamState state;
  std::vector<StatusEvent> events;
  Install::ParsePackageChunk(L"InstallVersion=1.7.9\r\n", &state, &events);
  EXPECT_EQ(state.version[0], 1);
  EXPECT_EQ(state.version[1], 7);
  EXPECT_EQ(state.version[2], 9);
  Install::ParsePackageChunk(L"InstallVersion=4.x.2", &state, &events);
  EXPECT_EQ(state.version[0], 4);
  EXPECT_EQ(state.version[1], 7);
  EXPECT_EQ(state.version[2], 9);
  EXPECT_TRUE(events.empty());
}

// What the runner does with each read: the code page named so far decodes
// the whole chunk, so an Encode line applies from the next chunk on.
TEST(PackageStream, EncodeTakesEffectFromTheNextChunk) {
  quillon_test::NotifyRecorder recorder;
  CInstaller runner(std::ref(recorder), L"\"p\"", L"");
  const std::wstring done = L"\u5b89\u88c5\u5b8c\u6210";  // 安装完成
  const std::string gbk = Utils::WideToMultiByte(done, 936);
  const std::string utf8 = Utils::WideToMultiByte(done, 65001);
  ASSERT_EQ(gbk.size(), 8u);

  EXPECT_EQ(runner.ParseBytes("Encode=936\r\n"), 0);
  EXPECT_EQ(runner.CodePage(), 936);
  runner.ParseBytes("Message=" + gbk + "\r\nEncode=UTF8\r\nMessage=" + utf8 + "\r\n");
  EXPECT_EQ(runner.CodePage(), 65001);
  runner.ParseBytes("Message=" + utf8 + "\r\n" + std::string(1, '\0') + "Error=after a zero byte");

  const auto all = recorder.All();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0].text, done + L"\r");
  EXPECT_NE(all[1].text, done + L"\r");  // UTF-8 bytes read as GBK
  EXPECT_EQ(all[2].text, done + L"\r");
}

TEST(PackageStream, ExePathIsLoggedByParse) {
  quillon_test::LogCapture log;
  quillon_test::NotifyRecorder recorder;
  CInstaller runner(std::ref(recorder), L"\"p\"", L"");
  runner.Parse(L"ExePath=C:\\v\\velmotranslate.exe\nStartExe=x\n");
  int logged = 0;
  for (const std::wstring& line : log.Lines()) {
    if (line.find(L"(CInstaller::Parse)") == std::wstring::npos) continue;
    ++logged;
    EXPECT_NE(line.find(L": ExePath: C:\\v\\velmotranslate.exe\r\n"), std::wstring::npos);
  }
  EXPECT_EQ(logged, 1);
  EXPECT_EQ(recorder.Codes(), (std::vector<int>{3001, 3001}));
}

struct CommandLineCase {
  const char* name;
  Install::PackageOptions options;
  std::wstring expected;
};

TEST(PackageCommandLine, IsBuiltInItsFixedOrder) {
  Install::PackageOptions example;
  example.packageArgument = L"\"C:\\Apps\\velmotranslate\\__Package_velmotranslate.exe\"";
  example.installFolder = L"C:\\Apps\\velmotranslate";
  example.adminAccount = example.adminToken = example.desktopShortcut = example.quickLaunchShortcut = true;
  example.installLanguage = L"zh-CN";

  Install::PackageOptions bare;
  bare.packageArgument = L"\"/opt/v/__Package_velmotranslate.exe\"";

  Install::PackageOptions withCommand = example;
  withCommand.installLanguage.clear();
  withCommand.adminAccount = withCommand.quickLaunchShortcut = false;
  withCommand.instCmd = L"-demo-fail -x=\"a b\"";

  const std::vector<CommandLineCase> cases = {
      {"the example", example,
       L"\"C:\\Apps\\velmotranslate\\__Package_velmotranslate.exe\" /S -console=show -version=1.0.0 -adminact=true "
       L"-authorizationact=true -dsc=true -ssc=true -inslang=\"zh-CN\" -instdir=\"C:\\Apps\\velmotranslate\" "
       L"/D=C:\\Apps\\velmotranslate"},
      {"no folder, no language", bare,
       L"\"/opt/v/__Package_velmotranslate.exe\" /S -console=show -version=1.0.0 -adminact=false "
       L"-authorizationact=true -dsc=false -ssc=false"},
      {"InstCmd between the language and the folder", withCommand,
       L"\"C:\\Apps\\velmotranslate\\__Package_velmotranslate.exe\" /S -console=show -version=1.0.0 -adminact=false "
       L"-authorizationact=true -dsc=true -ssc=false -demo-fail -x=\"a b\" -instdir=\"C:\\Apps\\velmotranslate\" "
       L"/D=C:\\Apps\\velmotranslate"},
  };
  for (const CommandLineCase& c : cases) EXPECT_EQ(Install::PackageCommandLine(c.options), c.expected) << c.name;

  EXPECT_EQ(Install::UnquotedPath(L"\"a b\""), L"a b");
  EXPECT_EQ(Install::UnquotedPath(L"ab"), L"ab");
  EXPECT_EQ(Install::UnquotedPath(L"\""), L"\"");
}

}  // namespace
