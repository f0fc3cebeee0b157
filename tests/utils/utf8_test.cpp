#include "utils/utf8.h"

#include <gtest/gtest.h>

TEST(Utf8, RoundTripsChineseAndAstralText) {
  const std::wstring text = L"开始下载大包 \U0001F600 A";
  const std::string bytes = Utils::WideToUtf8(text);
  EXPECT_EQ(bytes, "\xE5\xBC\x80\xE5\xA7\x8B\xE4\xB8\x8B\xE8\xBD\xBD\xE5\xA4\xA7\xE5\x8C\x85 \xF0\x9F\x98\x80 A");
  EXPECT_EQ(Utils::Utf8ToWide(bytes), text);
}

TEST(Utf8, MalformedBytesBecomeReplacementCharacters) {
  EXPECT_EQ(Utils::Utf8ToWide("a\xFF" "b"), L"a\uFFFDb");
  EXPECT_EQ(Utils::Utf8ToWide("\xE5\xBC"), L"\uFFFD\uFFFD");       // cut short
  EXPECT_EQ(Utils::Utf8ToWide("\xC0\xAF"), L"\uFFFD\uFFFD");       // overlong "/"
  EXPECT_EQ(Utils::Utf8ToWide("\xED\xA0\x80"), L"\uFFFD\uFFFD\uFFFD");  // a surrogate
  EXPECT_EQ(Utils::Utf8ToWide(std::string("x\0y", 3)), std::wstring(L"x\0y", 3));
}
