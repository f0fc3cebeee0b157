#include "utils/cmdline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Case {
  const wchar_t* line;
  std::vector<std::wstring> tokens;
};

// What CommandLineToArgvW answers. The Windows suite checks the system
// against this table as well, so the portable splitter and the system's
// cannot drift apart.
const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {L"prog", {L"prog"}},
      {L"prog a b", {L"prog", L"a", L"b"}},
      {L"prog   a\t\tb  ", {L"prog", L"a", L"b"}},
      {L"\"C:\\Program Files\\x.exe\" -a", {L"C:\\Program Files\\x.exe", L"-a"}},
      // The program token has no backslash rules and ends at the next quote.
      {L"\"C:\\dir\\\" a", {L"C:\\dir\\", L"a"}},
      {L"\"a b\"c d", {L"a b", L"c", L"d"}},
      {L"C:\\x\\y.exe a", {L"C:\\x\\y.exe", L"a"}},
      {L"p \"two words\"", {L"p", L"two words"}},
      {L"p a\"b c\"d", {L"p", L"ab cd"}},
      {L"p \"\"", {L"p", L""}},
      {L"p \"\" \"\"", {L"p", L"", L""}},
      {L"p a\\b", {L"p", L"a\\b"}},
      {L"p a\\\\b", {L"p", L"a\\\\b"}},
      {L"p a\\\"b", {L"p", L"a\"b"}},
      {L"p a\\\\\"b c\"", {L"p", L"a\\b c"}},
      {L"p a\\\\\\\"b", {L"p", L"a\\\"b"}},
      {L"p \"a\\\\\" b", {L"p", L"a\\", L"b"}},
      {L"p \"C:\\dir\\\\\"", {L"p", L"C:\\dir\\"}},
      {L"p \"unterminated group", {L"p", L"unterminated group"}},
      {L"p \"a\"\"b\"", {L"p", L"a\"b"}},
      {L"p \"a\"\"\"b", {L"p", L"a\"b"}},
      {L"p a\"\"\"b", {L"p", L"a\"b"}},
      {L"p -downloadurl=\"http://h/x y?a=1&b=2\" -insnew", {L"p", L"-downloadurl=http://h/x y?a=1&b=2", L"-insnew"}},
      {L"p -instcmd=\"/S /D=C:\\Quillon\"", {L"p", L"-instcmd=/S /D=C:\\Quillon"}},
      {L"p \\\\server\\share", {L"p", L"\\\\server\\share"}},
      {L"p \\\"", {L"p", L"\""}},
  };
  return cases;
}

TEST(SplitCommandLine, FollowsTheWindowsRules) {
  for (const Case& c : Cases()) {
    EXPECT_EQ(Utils::SplitCommandLine(c.line), c.tokens) << "line: " << testing::PrintToString(std::wstring(c.line));
  }
}

TEST(SplitCommandLine, TheSystemSplitsTheTableTheSameWay) {
  for (const Case& c : Cases()) {
    EXPECT_EQ(Utils::SystemSplitCommandLine(c.line), Utils::SplitCommandLine(c.line))
        << "line: " << testing::PrintToString(std::wstring(c.line));
  }
}

TEST(SplitCommandLine, HugeAndOddLinesEndWell) {
  std::wstring line = L"p";
  for (int i = 0; i < 10000; ++i) line += L" -a" + std::to_wstring(i) + L"=\"v " + std::to_wstring(i) + L"\"";
  const std::vector<std::wstring> tokens = Utils::SplitCommandLine(line);
  ASSERT_EQ(tokens.size(), 10001u);
  EXPECT_EQ(tokens[10000], L"-a9999=v 9999");
  EXPECT_EQ(Utils::SystemSplitCommandLine(line), tokens);
  EXPECT_TRUE(Utils::SplitCommandLine(L"").empty());
  EXPECT_EQ(Utils::SplitCommandLine(std::wstring(100000, L'\\') + L"\"").size(), 1u);
  EXPECT_EQ(Utils::SplitCommandLine(L"p " + std::wstring(100001, L'"')).size(), 2u);
}

TEST(SplitCommandLine, QuotedArgumentsComeBackUnchanged) {
  const std::vector<std::wstring> args = {L"prog", L"plain", L"two words", L"", L"say \"hi\"",
                                          L"C:\\Program Files\\", L"a\\\\\"b", L"tab\there"};
  std::wstring line;
  for (const auto& a : args) line += (line.empty() ? L"" : L" ") + Utils::QuoteCommandLineArgument(a);
  EXPECT_EQ(Utils::SplitCommandLine(line), args) << line;
  EXPECT_EQ(Utils::SystemSplitCommandLine(line), args) << line;
}

TEST(ProcessArguments, StartWithTheProgram) {
  const std::vector<std::wstring> args = Utils::ProcessArguments();
  ASSERT_FALSE(args.empty());
  EXPECT_NE(args[0].find(L"utils_test"), std::wstring::npos);
}

}  // namespace
