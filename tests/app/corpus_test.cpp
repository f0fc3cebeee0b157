// Replays corpus/command_line (malformed and boundary command lines, and
// whatever fuzz/fuzz_command_line found) through the tokenising and the
// switches, and the ini corpus through the settings file's reading.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "fuzz/command_line_rules.h"
#include "support/corpus.h"

namespace {

using quillon_test::CorpusOf;

InstallerConfig Applied(const std::string& name) {
  InstallerConfig config;
  const auto inputs = CorpusOf(QUILLON_APP_CORPUS, "command_line");
  const quillon_test::CorpusInput* input = quillon_test::FindInput(inputs, name);
  EXPECT_NE(input, nullptr) << name;
  if (input) ApplyCommandLine(config, Utils::SplitCommandLine(Utils::Utf8ToWide(input->bytes)));
  return config;
}

TEST(CommandLineCorpus, EveryLineKeepsTheRules) {
  const auto inputs = CorpusOf(QUILLON_APP_CORPUS, "command_line");
  ASSERT_FALSE(inputs.empty());
  for (const auto& input : inputs) {
    InstallerConfig config;
    EXPECT_EQ(quillon_fuzz::CheckCommandLine(Utils::Utf8ToWide(input.bytes), &config), "") << input.name;
  }
}

TEST(CommandLineCorpus, MalformedSwitchesApplyAsTheRulesSay) {
  const InstallerConfig defaults;
  // Numbers beyond 32 bits stop at the limits.
  InstallerConfig c = Applied("downloadtype_overflow");
  EXPECT_EQ(c.DownloadType, INT32_MAX);
  EXPECT_EQ(c.LanguageIndex, INT32_MIN);
  // The first occurrence of a switch wins.
  c = Applied("duplicated_keys");
  EXPECT_EQ(c.DownloadType, 2);
  EXPECT_EQ(c.InstCmd, L"first");
  // A scale that is no number is NaN; only "true" is true.
  c = Applied("downloadscale_garbage");
  EXPECT_TRUE(std::isnan(c.DownloadScale));
  EXPECT_FALSE(c.InsNew);
  EXPECT_TRUE(c.IsCheckNet);
  // An empty number is 0, and so is a switch without "=".
  c = Applied("equals_only");
  EXPECT_EQ(c.DownloadType, 0);
  EXPECT_EQ(c.LanguageIndex, 0);
  // Only blanks separate: a line break stays in its argument.
  c = Applied("crlf");
  EXPECT_EQ(c.DownloadType, 2);
  EXPECT_EQ(c.LanguageIndex, defaults.LanguageIndex);
  c = Applied("empty");
  EXPECT_EQ(c.DownloadType, defaults.DownloadType);
  EXPECT_EQ(c.DownloadUrl, defaults.DownloadUrl);
}

// Every ini file of the corpus as the settings file beside the executable.
TEST(CommandLineCorpus, EverySettingsFileLoads) {
  const auto inputs = CorpusOf(QUILLON_PROFILE_CORPUS, "");
  ASSERT_FALSE(inputs.empty());
  for (const auto& input : inputs) {
    quillon_test::ScratchDir dir;
    dir.Write(kConfigFileName, input.bytes);
    InstallerConfig config;
    LoadConfigFile(config, dir.Wide(L"setup.exe"));
    EXPECT_EQ(config.ExeName, L"setup.exe") << input.name;
    EXPECT_LE(config.PublisherKey.size(), 1023u) << input.name;
    EXPECT_LE(config.DlAppNameSuffix.size(), 259u) << input.name;
  }
}

}  // namespace
