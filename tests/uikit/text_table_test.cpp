#include <gtest/gtest.h>

#include "uikit/text_table.h"

using namespace SkinUI;

class TextTable : public ::testing::Test {
 protected:
  void SetUp() override { ClearLocalTexts(); }
  void TearDown() override { ClearLocalTexts(); }
};

TEST_F(TextTable, TokensAreReplacedOnlyWhenTheirIdIsLoaded) {
  EXPECT_EQ(ExpandTextTokens("Free: %{12}"), "Free: %{12}");
  AddLocalText(12, "\xe7\xa9\xba\xe9\x97\xb4");
  EXPECT_EQ(ExpandTextTokens("Free: %{12}"), "Free: \xe7\xa9\xba\xe9\x97\xb4");
  AddLocalText(12, "space");  // replaces
  EXPECT_EQ(ExpandTextTokens("%{12}%{12} %{13}"), "spacespace %{13}");
  ASSERT_TRUE(LocalText(12).has_value());
  EXPECT_FALSE(LocalText(13).has_value());
}

TEST_F(TextTable, WhatIsNotATokenStaysAsWritten) {
  AddLocalText(1, "one");
  for (const char* s : {"", "%", "%{", "%{}", "%{1", "%{x}", "100%", "%{ 1}", "{1}", "%%{1"}) {
    EXPECT_EQ(ExpandTextTokens(s), s);
  }
  EXPECT_EQ(ExpandTextTokens("%{%{1}"), "%{one");
  EXPECT_EQ(ExpandTextTokens("a%{1}b%{1}"), "aonebone");
}
