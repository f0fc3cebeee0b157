#include <gtest/gtest.h>

#include "sdk/validation.h"

using analytics_sdk::CheckId;
using analytics_sdk::CheckName;
using analytics_sdk::IsValidUtf8;

TEST(IsValidUtf8, AcceptsWellFormedTextAndRefusesTheRest) {
  const struct {
    std::string bytes;
    bool valid;
  } cases[] = {
      {"", true},
      {"plain ASCII ~", true},
      {"\t\n\r", true},
      {std::string("\0", 1), false},
      {"\x1f", false},
      {"\x7f", false},  // DEL is not printable
      {"\x0b", false},
      {"\xc2\x80", true},
      {"\xc1\xbf", false},  // overlong
      {"\xdf\xbf", true},
      {"\xc2", false},      // cut short
      {"\xc2\x41", false},  // no continuation
      {"\xe0\xa0\x80", true},
      {"\xe0\x9f\xbf", false},  // overlong three-byte form
      {"\xe1\x80\x80", true},
      {"\xec\xbf\xbf", true},
      {"\xed\x9f\xbf", true},
      {"\xed\xa0\x80", false},  // surrogate
      {"\xee\x80\x80", true},
      {"\xef\xbf\xbf", true},
      {"\xef\xbf", false},
      {"\xf0\x90\x80\x80", true},
      {"\xf0\x8f\xbf\xbf", false},  // overlong four-byte form
      {"\xf3\xbf\xbf\xbf", true},
      {"\xf4\x8f\xbf\xbf", true},   // U+10FFFF
      {"\xf4\x90\x80\x80", false},  // above U+10FFFF
      {"\xf5\x80\x80\x80", false},
      {"\x80", false},  // stray continuation
      {"\xff", false},
      {"\xe7\xbf\xbb\xe8\xaf\x91 ok", true},
      {"ok \xe7\xbf", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << ::testing::PrintToString(c.bytes);
  }
}

TEST(CheckName, AcceptsVariableNamesOnly) {
  const std::string tooLong = "The Event Name is empty or too long, max length is 100";
  const std::string badByte = "The Event Name need to be a valid variable name.";
  const struct {
    std::string name;
    std::string message;  // empty: accepted
  } cases[] = {
      {"$Abc_1", ""},         {"_x", ""},     {"a", ""},
      {std::string(100, 'a'), ""},
      {"", tooLong},          {std::string(101, 'a'), tooLong},
      {"1abc", badByte},      {"a-b", badByte}, {"a b", badByte},
      {"\xe4\xb8\xad", badByte}, {"ab.", badByte},
  };
  for (const auto& c : cases) {
    std::string message;
    EXPECT_EQ(CheckName("Event Name", c.name, &message), c.message.empty()) << c.name;
    EXPECT_EQ(message, c.message) << c.name;
  }
}

TEST(CheckId, LimitsTheLength) {
  std::string message;
  EXPECT_TRUE(CheckId("Distinct ID", std::string(255, 'x'), &message));
  EXPECT_FALSE(CheckId("Distinct ID", "", &message));
  EXPECT_EQ(message, "The Distinct ID is empty.");
  EXPECT_FALSE(CheckId("Distinct ID", std::string(256, 'x'), &message));
  EXPECT_EQ(message, "The Distinct ID is too long, max length is 255.");
}
