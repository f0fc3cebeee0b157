#include "app/installer_config.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "support/scratch_dir.h"
#include "utils/cmdline.h"
#include "utils/process.h"
#include "utils/utf8.h"

namespace {

using quillon_test::ScratchDir;

// Runs a copy of tools/print-config from a fresh folder, with `ini` (when
// given) beside it, and returns what it printed.
class PrintConfig : public ::testing::Test {
 protected:
  std::map<std::string, std::string> Run(const std::wstring& arguments, const std::string* ini = nullptr) {
    const std::filesystem::path tool = quillon_test::BuiltProgram(L"tools", L"print-config");
    const std::filesystem::path copy = dir_.Path() / tool.filename();
    std::filesystem::copy_file(tool, copy, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::remove(dir_.Path() / kConfigFileName);
    if (ini) dir_.Write(kConfigFileName, *ini);

    Utils::PipedProcess child;
    child.Start(quillon_test::Quoted(copy) + (arguments.empty() ? L"" : L" " + arguments));
    std::string output;
    char buffer[4096];
    size_t got = 0;
    while (output.size() < 1000000 && child.ReadOutput(buffer, sizeof buffer, &got)) output.append(buffer, got);
    uint32_t code = 1;
    if (!child.WaitFor(60000, &code)) child.Terminate();
    EXPECT_EQ(code, 0u);

    std::map<std::string, std::string> fields;
    std::vector<std::string> order;
    std::string::size_type from = 0;
    while (from < output.size()) {
      std::string::size_type nl = output.find('\n', from);
      if (nl == std::string::npos) nl = output.size();
      std::string line = output.substr(from, nl - from);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      const std::string::size_type eq = line.find('=');
      if (eq != std::string::npos) {
        fields[line.substr(0, eq)] = line.substr(eq + 1);
        order.push_back(line.substr(0, eq));
      }
      from = nl + 1;
    }
    EXPECT_EQ(order, (std::vector<std::string>{"AppName", "AppVersion", "ExeName", "DlAppNameSuffix",
                                               "DlAppVersion", "InstCmd", "DownloadUrl", "DownloadType",
                                               "IsCheckNet", "IsEnableAppSensors", "DownloadScale",
                                               "CurlReady", "LanguageIndex", "InsNew", "AnalyticsUrl",
                                               "PublisherKey"}));
    exeName_ = Utils::WideToUtf8(copy.filename().wstring());
    return fields;
  }
  std::map<std::string, std::string> Run(const std::wstring& arguments, const std::string& ini) {
    return Run(arguments, &ini);
  }

  ScratchDir dir_;
  std::string exeName_;
};

const std::string kBuiltIn = "http://dlstat.tarvixsoft.com/software/381";

TEST_F(PrintConfig, NoFileNoSwitchesGivesTheDefaults) {
  auto c = Run(L"");
  EXPECT_EQ(c["AppName"], "velmotranslate");
  EXPECT_EQ(c["AppVersion"], "1.7.9");
  EXPECT_EQ(c["ExeName"], exeName_);
  EXPECT_EQ(c["DownloadUrl"], kBuiltIn);
  EXPECT_EQ(c["DownloadType"], "1");
  EXPECT_EQ(c["IsCheckNet"], "false");
  EXPECT_EQ(c["IsEnableAppSensors"], "true");
  EXPECT_EQ(c["DownloadScale"], "0.7");
  EXPECT_EQ(c["DlAppNameSuffix"], ".downloader");
  EXPECT_EQ(c["DlAppVersion"], "");
  EXPECT_EQ(c["InstCmd"], "");
  EXPECT_EQ(c["CurlReady"], "true");
  EXPECT_EQ(c["LanguageIndex"], "0");
  EXPECT_EQ(c["InsNew"], "false");
  EXPECT_EQ(c["AnalyticsUrl"], "");
  EXPECT_EQ(c["PublisherKey"], "");
}

TEST_F(PrintConfig, EmptySectionTurnsTheNetworkCheckOn) {
  auto c = Run(L"", std::string("[Install]\r\n"));
  EXPECT_EQ(c["IsCheckNet"], "true");
  EXPECT_EQ(c["DownloadUrl"], kBuiltIn);
  EXPECT_EQ(c["DownloadType"], "1");
  EXPECT_EQ(c["DownloadScale"], "0.7");
  EXPECT_EQ(c["IsEnableAppSensors"], "true");
}

TEST_F(PrintConfig, FileValuesFollowTheirRules) {
  auto c = Run(L"", std::string("[Install]\r\n"
                                "IsCheckNet=True\r\n"
                                "IsEnableAppSensors=TRUE\r\n"
                                "DownloadType=3x\r\n"
                                "DownloadScale=abc\r\n"
                                "DlAppNameSuffix=.dl\r\n"
                                "m_DlAppVersion=2.0.1\r\n"
                                "InstCmd=\"/S /D=x\"\r\n"
                                "DownloadUrl=http://h/${ROUTE}/p?r=${ROUTE}\r\n"
                                "AnalyticsUrl=http://127.0.0.1:9/sa?project=pc\r\n"
                                "PublisherKey= aa11 , BB22\r\n"));
  EXPECT_EQ(c["PublisherKey"], "aa11 , BB22");
  EXPECT_EQ(c["AnalyticsUrl"], "http://127.0.0.1:9/sa?project=pc");
  EXPECT_EQ(c["IsCheckNet"], "false");
  EXPECT_EQ(c["IsEnableAppSensors"], "false");
  EXPECT_EQ(c["DownloadType"], "3");
  EXPECT_EQ(c["DownloadScale"], "0");
  EXPECT_EQ(c["DlAppNameSuffix"], ".dl");
  EXPECT_EQ(c["DlAppVersion"], "2.0.1");
  EXPECT_EQ(c["InstCmd"], "/S /D=x");
  EXPECT_EQ(c["DownloadUrl"], "http://h/download_silent/p?r=download_silent");
  EXPECT_EQ(c["AppName"], "velmotranslate");
}

TEST_F(PrintConfig, SwitchesOverrideTheFile) {
  auto c = Run(L"-downloadurl=http://h/${ROUTE}/${ROUTE}/f.exe?x=${} -downloadtype=2 "
               L"-downloadscale=0.5abc -ischecknet=true -isenableappsensors=false "
               L"-dlappnamesuffix=.s \"-instcmd=/a /b\" -language=2 -insnew=true -unknown -publisherkey=cc33,dd44",
               std::string("[Install]\r\nDownloadType=3\r\nIsCheckNet=false\r\nPublisherKey=aa11\r\n"));
  EXPECT_EQ(c["PublisherKey"], "cc33,dd44");
  EXPECT_EQ(c["DownloadUrl"], "http://h/download_silent/download_silent/f.exe?x=${}");
  EXPECT_EQ(c["DownloadType"], "2");
  EXPECT_EQ(c["DownloadScale"], "0.5");
  EXPECT_EQ(c["IsCheckNet"], "true");
  EXPECT_EQ(c["IsEnableAppSensors"], "false");
  EXPECT_EQ(c["DlAppNameSuffix"], ".s");
  EXPECT_EQ(c["InstCmd"], "/a /b");
  EXPECT_EQ(c["LanguageIndex"], "2");
  EXPECT_EQ(c["InsNew"], "true");
}

TEST_F(PrintConfig, BareSwitchesAndRepeatsAndOddValues) {
  auto c = Run(L"-insnew -ischecknet -downloadurl -language=zh -downloadtype=x "
               L"-downloadscale=abc -dlappversion=first -dlappversion=second -INSNEW=true",
               std::string("[Install]\r\n"));
  EXPECT_EQ(c["InsNew"], "false");
  EXPECT_EQ(c["IsCheckNet"], "false");
  EXPECT_EQ(c["DownloadUrl"], "");
  EXPECT_EQ(c["LanguageIndex"], "0");
  EXPECT_EQ(c["DownloadType"], "0");
  EXPECT_EQ(c["DownloadScale"], "nan");
  EXPECT_EQ(c["DlAppVersion"], "first");
}

TEST(ResolveDownloadUrl, RouteByTheSystem) {
  int asked = 0;
  RouteFacts xp{[&asked] { ++asked; return std::wstring(L"XP"); }, [&asked] { ++asked; return true; }};
  RouteFacts ten{[&asked] { ++asked; return std::wstring(L"10"); }, [&asked] { ++asked; return true; }};
  EXPECT_EQ(ResolveDownloadUrl(L"http://h/${ROUTE}/a?q=${ROUTE}", xp),
            L"http://h/download_silent_xp/a?q=download_silent_xp");
  EXPECT_EQ(ResolveDownloadUrl(L"http://h/${ROUTE}/a", ten), L"http://h/download_silent/a");
  RouteFacts xpPlus{[] { return std::wstring(L"XP+"); }, [] { return false; }};
  EXPECT_EQ(ResolveDownloadUrl(L"${ROUTE}", xpPlus), L"download_silent_xp");
  asked = 0;
  EXPECT_EQ(ResolveDownloadUrl(L"http://h/plain/$ROUTE/{ROUTE}", xp), L"http://h/plain/$ROUTE/{ROUTE}");
  EXPECT_EQ(asked, 0);
}

TEST(ApplyCommandLine, TenThousandArgumentsAndHugeValues) {
  std::vector<std::wstring> tokens{L"installer.exe"};
  for (int i = 0; i < 10000; ++i) tokens.push_back(L"-k" + std::to_wstring(i) + L"=v");
  tokens.push_back(L"-instcmd=" + std::wstring(100000, L'c'));
  tokens.push_back(L"-downloadurl=" + std::wstring(100000, L'$'));
  tokens.push_back(L"-downloadscale=" + std::wstring(100000, L'9'));
  tokens.push_back(L"-language=" + std::wstring(100000, L'7'));
  InstallerConfig config;
  ApplyCommandLine(config, tokens);
  EXPECT_EQ(config.InstCmd.size(), 100000u);
  EXPECT_EQ(config.DownloadUrl.size(), 100000u);
  EXPECT_TRUE(std::isinf(config.DownloadScale));
  EXPECT_EQ(config.LanguageIndex, INT32_MAX);

  std::wstring line = L"installer.exe";
  for (const std::wstring& t : tokens) line += L" " + t;
  InstallerConfig again;
  ApplyCommandLine(again, Utils::SplitCommandLine(line));
  EXPECT_EQ(again.InstCmd, config.InstCmd);
}

TEST(LoadConfigFile, GarbageAndHugeFilesDoNotCrash) {
  ScratchDir dir;
  const std::wstring exe = dir.Wide(L"installer.exe");
  std::string garbage;
  for (int i = 0; i < 100000; ++i) garbage += static_cast<char>((i * 2654435761u) >> 11);
  dir.Write(kConfigFileName, garbage);
  InstallerConfig config;
  LoadConfigFile(config, exe);
  EXPECT_EQ(config.ExeName, L"installer.exe");

  dir.Write(kConfigFileName, "[Install]\r\nInstCmd=" + std::string(10 * 1024 * 1024, 'i') +
                                 "\r\nDownloadScale=" + std::string(100000, '5') + "\r\n");
  InstallerConfig big;
  LoadConfigFile(big, exe);
  EXPECT_EQ(big.InstCmd, std::wstring(259, L'i'));
  EXPECT_GT(big.DownloadScale, 1e200);
}

TEST(CommandLineMap, FirstOccurrenceWinsAndBareTokensHaveNoValue) {
  const CommandLineMap map = BuildCommandLineMap({L"p", L"-a=1=2", L"-a=3", L"plain=x", L"-b", L"-c="});
  EXPECT_EQ(map.at(L"-a"), L"1=2");
  EXPECT_EQ(map.at(L"plain=x"), L"");
  EXPECT_EQ(map.at(L"-b"), L"");
  EXPECT_EQ(map.at(L"-c"), L"");
  EXPECT_EQ(map.count(L"p"), 0u);
}

}  // namespace
