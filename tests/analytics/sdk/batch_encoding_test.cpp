#include <gtest/gtest.h>

#include "form_decoding.h"
#include "sdk/batch_encoding.h"

using namespace analytics_sdk;

TEST(BatchEncoding, Base64MatchesTheRfcVectors) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},        {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
      {std::string("\xfb\xff\xbf", 3), "+/+/"},
  };
  for (const auto& c : cases) EXPECT_EQ(Base64Encode(c.first), c.second) << c.first;
}

TEST(BatchEncoding, PercentEncodingKeepsOnlyUnreservedBytes) {
  EXPECT_EQ(PercentEncode("AZaz09-._~"), "AZaz09-._~");
  EXPECT_EQ(PercentEncode("+/="), "%2B%2F%3D");
  EXPECT_EQ(PercentEncode(std::string("\x00 &\xff", 4)), "%00%20%26%FF");
}

TEST(BatchEncoding, BatchIsABracketedCommaList) {
  EXPECT_EQ(SerializeBatch({}), "[]");
  EXPECT_EQ(SerializeBatch({"{}"}), "[{}]");
  EXPECT_EQ(SerializeBatch({"{\"a\":1}", "{}"}), "[{\"a\":1},{}]");
}

TEST(BatchEncoding, EmptyObjectBatchIsAGzipFormBody) {
  std::string body;
  ASSERT_TRUE(EncodeBatch("[{}]", &body));
  const std::string head = "data_list=", tail = "&gzip=1";
  ASSERT_GT(body.size(), head.size() + tail.size());
  EXPECT_EQ(body.substr(0, head.size()), head);
  EXPECT_EQ(body.substr(body.size() - tail.size()), tail);

  // Undone by the collector's independent decoder.
  std::string batch, error;
  ASSERT_TRUE(collector::DecodeFormBody(body, &batch, &error)) << error;
  EXPECT_EQ(batch, "[{}]");

  // A gzip member (1f 8b, deflate) written at the highest level (XFL 2).
  std::string base64, compressed;
  ASSERT_TRUE(collector::PercentDecode(body.substr(head.size(), body.size() - head.size() - tail.size()),
                                       &base64, &error));
  ASSERT_TRUE(collector::Base64Decode(base64, &compressed, &error));
  ASSERT_GE(compressed.size(), 18u);
  EXPECT_EQ(static_cast<unsigned char>(compressed[0]), 0x1f);
  EXPECT_EQ(static_cast<unsigned char>(compressed[1]), 0x8b);
  EXPECT_EQ(compressed[2], 8);
  EXPECT_EQ(compressed[8], 2);
}

TEST(BatchEncoding, LargeBatchSurvivesTheRoundTrip) {
  // More than one 32 KiB output chunk even after compression.
  std::string text = "[";
  uint32_t x = 12345;
  for (int i = 0; i < 200000; ++i) {
    x = x * 1103515245u + 12345u;
    text += static_cast<char>('!' + (x >> 16) % 90);
  }
  text += "]";
  std::string body, batch, error;
  ASSERT_TRUE(EncodeBatch(text, &body));
  EXPECT_GT(body.size(), 3u * 32768u);
  ASSERT_TRUE(collector::DecodeFormBody(body, &batch, &error)) << error;
  EXPECT_EQ(batch, text);
}
