#include "utils/text.h"

#include <gtest/gtest.h>

namespace {

// "翻译" (translate) in GBK.
const char kGbkTranslate[] = "\xB7\xAD\xD2\xEB";

TEST(CodePages, GbkRoundTripsChinese) {
  const std::wstring word = Utils::MultiByteToWide(kGbkTranslate, 936);
  EXPECT_EQ(word, L"\u7FFB\u8BD1");
  EXPECT_EQ(Utils::WideToMultiByte(L"\u7FFB\u8BD1", 936), kGbkTranslate);
  const std::wstring mixed = L"Quillon \u5B89\u88C5\u7A0B\u5E8F 1.7.9";
  EXPECT_EQ(Utils::MultiByteToWide(Utils::WideToMultiByte(mixed, 936), 936), mixed);
}

TEST(CodePages, Utf8BothWaysAndStopsAtZero) {
  EXPECT_EQ(Utils::MultiByteToWide("\xE7\xBF\xBB\xE8\xAF\x91", Utils::kCodePageUtf8), L"\u7FFB\u8BD1");
  EXPECT_EQ(Utils::WideToMultiByte(L"\u7FFB\u8BD1", Utils::kCodePageUtf8), "\xE7\xBF\xBB\xE8\xAF\x91");
  EXPECT_EQ(Utils::MultiByteToWide(std::string("ab\0cd", 5), Utils::kCodePageUtf8), L"ab");
  EXPECT_EQ(Utils::WideToMultiByte(std::wstring(L"ab\0cd", 5), 936), "ab");
  EXPECT_EQ(Utils::MultiByteToWide("", 936), L"");
  EXPECT_EQ(Utils::WideToMultiByte(L"", Utils::kCodePageUtf8), "");
  EXPECT_EQ(Utils::Utf8ToAnsi("plain ascii"), "plain ascii");
}

TEST(CodePages, UndecodableInputNeitherCrashesNorVanishesSilently) {
  // A lone lead byte and a character GBK lacks.
  EXPECT_FALSE(Utils::MultiByteToWide("a\xB7", 936).empty());
  EXPECT_FALSE(Utils::WideToMultiByte(L"a\u00E9\U0001F600b", 936).empty());
  std::string noise;
  for (int i = 1; i < 256; ++i) noise += static_cast<char>(i);
  for (unsigned cp : {0u, 936u, 65001u}) {
    EXPECT_FALSE(Utils::MultiByteToWide(noise, cp).empty()) << cp;
  }
}

TEST(UrlEncode, KeepsPrintableAsciiAndEncodesTheRest) {
  EXPECT_EQ(Utils::UrlEncode(L"/a?b=c&d=e"), L"/a?b=c&d=e");
  EXPECT_EQ(Utils::UrlEncode(L"a b"), L"a+b");
  EXPECT_EQ(Utils::UrlEncode(L"100%"), L"100%");
  EXPECT_EQ(Utils::UrlEncode(L"\u7FFB"), L"%E7%BF%BB");
  EXPECT_EQ(Utils::UrlEncode(L"\t\x7F~"), L"%09%7F~");
  EXPECT_EQ(Utils::UrlEncode(L""), L"");
}

TEST(ReplaceAll, ReplacesEveryOccurrence) {
  EXPECT_EQ(Utils::ReplaceAll(L"http://h/${ROUTE}/x/${ROUTE}?q=1", L"${ROUTE}", L"download_silent"),
            L"http://h/download_silent/x/download_silent?q=1");
  EXPECT_EQ(Utils::ReplaceAll(L"nothing here", L"${ROUTE}", L"r"), L"nothing here");
  // Looking again from the start finds matches the replacement makes.
  EXPECT_EQ(Utils::ReplaceAll(L"aabb", L"ab", L""), L"");
  EXPECT_EQ(Utils::ReplaceAll(L"xaaa", L"aa", L"b"), L"xba");
}

TEST(ReplaceAll, EndsForAnEmptySearchOrASelfContainingReplacement) {
  EXPECT_EQ(Utils::ReplaceAll(L"abc", L"", L"x"), L"abc");
  EXPECT_EQ(Utils::ReplaceAll(L"a-a", L"a", L"aa"), L"aa-aa");
  std::wstring big;
  for (int i = 0; i < 20000; ++i) big += L"${ROUTE}/";
  const std::wstring done = Utils::ReplaceAll(big, L"${ROUTE}", L"r");
  EXPECT_EQ(done.size(), 40000u);
}

TEST(ToDecimal, Digits) {
  EXPECT_EQ(Utils::ToDecimal(0), L"0");
  EXPECT_EQ(Utils::ToDecimal(4294967295UL), L"4294967295");
}

TEST(UrlParentName, TextBetweenTheLastTwoSlashes) {
  EXPECT_EQ(Utils::UrlParentName("http://h/pkg/0123456789abcdef0123456789abcdef/setup.exe"),
            "0123456789abcdef0123456789abcdef");
  EXPECT_EQ(Utils::UrlParentName("http://h/dir/"), "dir");
  EXPECT_EQ(Utils::UrlParentName("a//b"), "");
  EXPECT_EQ(Utils::UrlParentName("/file"), "");
  EXPECT_EQ(Utils::UrlParentName("no-slash"), "");
  EXPECT_EQ(Utils::UrlParentName(""), "");
}

}  // namespace
