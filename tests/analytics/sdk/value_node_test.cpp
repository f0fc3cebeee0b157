#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "sdk/properties_node.h"
#include "sdk/value_node.h"
#include "sdk_test_support.h"

using analytics_sdk::utils::ObjectNode;
using analytics_sdk::utils::PropertiesNode;
using analytics_sdk::utils::ValueNode;

TEST(JsonWriter, KeysComeInByteOrderWithoutWhiteSpace) {
  ObjectNode o;
  o.Set("b", ValueNode::String("x"));
  o.Set("A", ValueNode::Number(3.0));
  o.Set("$x", ValueNode::Bool(true));
  o.Set("_y", ValueNode::Integer(-7));
  o.Set("9", ValueNode::Bool(false));
  EXPECT_EQ(o.ToJson(), "{\"$x\":true,\"9\":false,\"A\":3,\"_y\":-7,\"b\":\"x\"}");
  EXPECT_EQ(ObjectNode().ToJson(), "{}");
}

TEST(JsonWriter, AssigningAKeyAgainReplacesAndMergeOverlays) {
  ObjectNode inner;
  inner.Set("k", ValueNode::Integer(1));
  ObjectNode o;
  o.Set("a", ValueNode::Integer(1));
  o.Set("a", ValueNode::Object(inner));
  ObjectNode top;
  top.Set("a", ValueNode::String("old"));
  top.Set("z", ValueNode::String("kept"));
  top.Merge(o);
  EXPECT_EQ(top.ToJson(), "{\"a\":{\"k\":1},\"z\":\"kept\"}");
  // Copies are deep: changing the source afterwards changes nothing.
  inner.Set("k", ValueNode::Integer(2));
  EXPECT_EQ(top.ToJson(), "{\"a\":{\"k\":1},\"z\":\"kept\"}");
}

TEST(JsonWriter, NumbersUseSixSignificantDigits) {
  const struct {
    double value;
    const char* json;
  } cases[] = {
      {0.0, "0"},          {3.0, "3"},          {12.5, "12.5"},
      {1234567.0, "1.23457e+06"}, {-0.25, "-0.25"}, {1e-7, "1e-07"},
      {123456.0, "123456"}, {0.1 + 0.2, "0.3"},
      // JSON has no infinities or NaN; one would spoil its whole batch.
      {std::numeric_limits<double>::infinity(), "null"},
      {std::nan(""), "null"},
  };
  for (const auto& c : cases) {
    std::string out;
    ValueNode::Number(c.value).AppendJson(&out);
    EXPECT_EQ(out, c.json) << c.value;
  }
  std::string out;
  ValueNode::Integer(INT64_MIN).AppendJson(&out);
  EXPECT_EQ(out, "-9223372036854775808");
}

TEST(JsonWriter, StringsEscapeExactlySevenBytes) {
  const struct {
    std::string text;
    std::string json;
  } cases[] = {
      {"\b\t\n\f\r\"\\", "\"\\b\\t\\n\\f\\r\\\"\\\\\""},
      {"/", "\"/\""},
      {std::string("\x01\x1f\x7f", 3), std::string("\"\x01\x1f\x7f\"", 5)},
      {"\xe7\xbf\xbb\xe8\xaf\x91", "\"\xe7\xbf\xbb\xe8\xaf\x91\""},
      {"", "\"\""},
  };
  for (const auto& c : cases) {
    std::string out;
    analytics_sdk::utils::AppendJsonString(c.text, &out);
    EXPECT_EQ(out, c.json);
  }
}

TEST(PropertiesNode, StringSetterRefusesLongAndMalformedValues) {
  quillon_test::ErrorCapture errors;
  PropertiesNode p;
  EXPECT_TRUE(p.SetString("ok", std::string(8192, 'a')));
  EXPECT_FALSE(p.SetString("long", std::string(8193, 'a')));
  EXPECT_FALSE(p.SetString("bad", "ab\xff"));
  p.SetString("kept", "first");
  EXPECT_FALSE(p.SetString("kept", "\xc0\x80"));
  EXPECT_EQ(p.Find("long"), nullptr);
  EXPECT_EQ(p.Find("bad"), nullptr);
  EXPECT_EQ(p.Find("kept")->string(), "first");
  const auto messages = errors.Messages();
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[0], "String property 'long' is too long, value: " + std::string(8193, 'a'));
  EXPECT_EQ(messages[1], "String property 'bad' is not valid UTF-8 string, value: ab\xff");
}

TEST(PropertiesNode, TypedSettersAlwaysSucceed) {
  PropertiesNode p;
  p.SetInteger("i", 42);
  p.SetNumber("d", 2.5);
  p.SetBool("b", false);
  EXPECT_EQ(p.ToJson(), "{\"b\":false,\"d\":2.5,\"i\":42}");
  std::string message;
  EXPECT_TRUE(p.CheckKeys(&message));
  p.SetInteger("1st", 1);
  EXPECT_FALSE(p.CheckKeys(&message));
  EXPECT_EQ(message, "The Property Key need to be a valid variable name.");
}
