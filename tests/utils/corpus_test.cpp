// Replays corpus/profile (malformed and boundary ini files, and whatever
// fuzz/fuzz_profile found) through the ini rules and the platform's reader.
#include <gtest/gtest.h>

#include <climits>

#include "fuzz/profile_rules.h"
#include "support/corpus.h"

namespace {

using quillon_test::CorpusOf;
using quillon_test::FindInput;

std::wstring ValueIn(const std::vector<quillon_test::CorpusInput>& inputs, const std::string& name,
                     const wchar_t* key) {
  const quillon_test::CorpusInput* input = FindInput(inputs, name);
  EXPECT_NE(input, nullptr) << name;
  std::wstring value = L"<none>";
  if (input) Utils::profile::Lookup(quillon_fuzz::ProfileText(input->bytes), L"Install", key, &value);
  return value;
}

TEST(ProfileCorpus, EveryFileKeepsTheRules) {
  const auto inputs = CorpusOf(QUILLON_UTILS_CORPUS, "profile");
  ASSERT_FALSE(inputs.empty());
  for (const auto& input : inputs) {
    EXPECT_EQ(quillon_fuzz::CheckProfileText(quillon_fuzz::ProfileText(input.bytes)), "") << input.name;
    // The platform's own reader (GetPrivateProfileStringW on Windows) on
    // the file itself: whatever it finds fits the buffer.
    const std::wstring path = Utils::Utf8ToWide(std::string(QUILLON_UTILS_CORPUS) + "/profile/" + input.name);
    EXPECT_LE(Utils::ReadProfileString(L"Install", L"PublisherKey", L"", path, 64).size(), 63u) << input.name;
    Utils::ReadProfileInt(L"Install", L"DownloadType", 1, path);
  }
}

TEST(ProfileCorpus, MalformedFilesReadAsTheRulesSay) {
  const auto inputs = CorpusOf(QUILLON_UTILS_CORPUS, "profile");
  // Numbers beyond int stop at its limits.
  EXPECT_EQ(Utils::profile::IntegerOf(ValueIn(inputs, "huge_number.ini", L"DownloadType"), 0), INT_MAX);
  EXPECT_EQ(Utils::profile::IntegerOf(ValueIn(inputs, "huge_number.ini", L"PublisherKey"), 0), INT_MIN);
  // The first key of a name in the first section of a name counts.
  EXPECT_EQ(ValueIn(inputs, "duplicated_keys.ini", L"DownloadType"), L"3");
  // Line ends of any mix, one CR too many included, are not part of values.
  EXPECT_EQ(ValueIn(inputs, "crlf_mix.ini", L"DownloadUrl"), L"http://a/b");
  EXPECT_EQ(ValueIn(inputs, "crlf_mix.ini", L"PublisherKey"), L"k");
  // A header without its "]" is no section, a header's name runs to its
  // last "]", and a NUL is part of a name.
  EXPECT_EQ(ValueIn(inputs, "truncated_section.ini", L"DownloadType"), L"<none>");
  EXPECT_EQ(ValueIn(inputs, "nul_bytes.ini", L"DownloadType"), L"<none>");
  EXPECT_EQ(ValueIn(inputs, "brackets.ini", L"DownloadType"), L"6");
  EXPECT_EQ(ValueIn(inputs, "quotes.ini", L"DownloadUrl"), L"\"");
  EXPECT_EQ(ValueIn(inputs, "quotes.ini", L"PublisherKey"), L"");
  EXPECT_EQ(ValueIn(inputs, "quotes.ini", L"DownloadType"), L" 8 ");
  EXPECT_EQ(ValueIn(inputs, "no_equals.ini", L"DownloadUrl"), L"=x");
  EXPECT_EQ(ValueIn(inputs, "key_before_section.ini", L"DownloadType"), L"<none>");
  EXPECT_EQ(ValueIn(inputs, "bom_only.ini", L"DownloadType"), L"<none>");
  EXPECT_EQ(ValueIn(inputs, "long_value.ini", L"DownloadUrl"), std::wstring(400, L'\u4e2d'));
}

}  // namespace
