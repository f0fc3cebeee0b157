// Replays corpus/proxy and corpus/content_range (malformed and boundary
// proxy lists and answer headers, and whatever fuzz/ found) through the
// proxy list rules and the answer's header reading.
#include <gtest/gtest.h>

#include <cstdint>

#include "fuzz/content_range_rules.h"
#include "fuzz/proxy_rules.h"
#include "support/corpus.h"

namespace {

using quillon_test::CorpusOf;

std::string Input(const char* kind, const std::string& name) {
  const auto inputs = CorpusOf(QUILLON_DOWNLOAD_CORPUS, kind);
  const quillon_test::CorpusInput* input = quillon_test::FindInput(inputs, name);
  EXPECT_NE(input, nullptr) << name;
  return input ? input->bytes : std::string();
}

std::string FirstLine(const std::string& input) { return input.substr(0, input.find('\n')); }

TEST(ProxyCorpus, EveryListKeepsTheRules) {
  const auto inputs = CorpusOf(QUILLON_DOWNLOAD_CORPUS, "proxy");
  ASSERT_FALSE(inputs.empty());
  for (const auto& input : inputs) EXPECT_EQ(quillon_fuzz::CheckProxyInput(input.bytes), "") << input.name;
}

TEST(ProxyCorpus, MalformedListsReadAsTheRulesSay) {
  EXPECT_EQ(ProxyForScheme(FirstLine(Input("proxy", "schemes")), "https"), "http://b:2");
  EXPECT_EQ(ProxyForScheme(FirstLine(Input("proxy", "schemes")), "gopher"), "");
  // The first entry of a scheme counts, whatever its case.
  EXPECT_EQ(ProxyForScheme(FirstLine(Input("proxy", "duplicated_schemes")), "http"), "http://a:1");
  EXPECT_EQ(ProxyForScheme(FirstLine(Input("proxy", "separators_only")), "http"), "");
  EXPECT_TRUE(BypassesProxy(FirstLine(Input("proxy", "local")), "intranet"));
  EXPECT_FALSE(BypassesProxy(FirstLine(Input("proxy", "local")), "intranet.example"));
  // Runs of stars that could match in many ways still answer, and answer
  // no when the host lacks what the pattern ends with.
  EXPECT_FALSE(BypassesProxy(FirstLine(Input("proxy", "star_backtracking")), std::string(60, 'a')));
  EXPECT_TRUE(BypassesProxy(FirstLine(Input("proxy", "star_runs")), std::string(40, 'a')));
  EXPECT_FALSE(BypassesProxy(FirstLine(Input("proxy", "long_host")), std::string(8000, 'a') + "."));
}

TEST(ContentRangeCorpus, EveryAnswerKeepsTheRules) {
  const auto inputs = CorpusOf(QUILLON_DOWNLOAD_CORPUS, "content_range");
  ASSERT_FALSE(inputs.empty());
  for (const auto& input : inputs) EXPECT_EQ(quillon_fuzz::CheckContentRange(input.bytes), "") << input.name;
}

TEST(ContentRangeCorpus, MalformedRangesAreJudgedAsTheRulesSay) {
  auto headers = [](const char* name) { return quillon_fuzz::CollectHeaders(Input("content_range", name)); };
  EXPECT_EQ(headers("plain").rangeStart, 100);
  EXPECT_TRUE(headers("plain").StartsElsewhereThan(0));
  // A first byte beyond 64 bits fits no request, least of all the one it
  // would be after wrapping round (2^64 + 100).
  for (const char* name : {"overflow", "huge_digits", "int64_max"}) {
    EXPECT_EQ(headers(name).rangeStart, INT64_MAX) << name;
    EXPECT_TRUE(headers(name).StartsElsewhereThan(0)) << name;
    EXPECT_TRUE(headers(name).StartsElsewhereThan(100)) << name;
  }
  // What cannot be read as a first byte is taken as no Content-Range.
  for (const char* name : {"empty", "no_content_range", "negative", "unsatisfied", "no_unit", "bare_cr",
                           "invalid_utf8"}) {
    EXPECT_EQ(headers(name).rangeStart, -1) << name;
    EXPECT_FALSE(headers(name).StartsElsewhereThan(4096)) << name;
  }
  EXPECT_EQ(headers("negative_zero").rangeStart, 0);
  // Headers of a redirect are forgotten at the next status line.
  EXPECT_EQ(headers("after_redirect").rangeStart, -1);
  EXPECT_EQ(headers("after_redirect").Validator(), "\"e\"");
  // The last readable Content-Range counts; a NUL ends the value.
  EXPECT_EQ(headers("repeated").rangeStart, 300);
  EXPECT_EQ(headers("truncated").rangeStart, 1);
  EXPECT_EQ(headers("nul_bytes").rangeStart, 1);
}

}  // namespace
