// Replays corpus/status (malformed and boundary outputs of packages and
// old uninstallers, and whatever fuzz/fuzz_status found) through the
// status stream, read as the runners read it.
#include <gtest/gtest.h>

#include <cstdint>

#include "fuzz/status_rules.h"
#include "support/corpus.h"

namespace Install {
namespace {

using quillon_test::CorpusOf;

struct Parsed {
  int result;
  PackageStreamState state;
  std::vector<StatusEvent> events;
};

Parsed Whole(const std::string& name) {
  const auto inputs = CorpusOf(QUILLON_INSTALL_CORPUS, "status");
  const quillon_test::CorpusInput* input = quillon_test::FindInput(inputs, name);
  EXPECT_NE(input, nullptr) << name;
  Parsed p{};
  p.result = ParsePackageChunk(Utils::MultiByteToWide(input ? input->bytes : "", Utils::kCodePageUtf8), &p.state,
                               &p.events);
  return p;
}

const StatusEvent* EventOf(const Parsed& p, int code) {
  for (const StatusEvent& e : p.events)
    if (e.code == code) return &e;
  return nullptr;
}

TEST(StatusCorpus, EveryOutputKeepsTheRules) {
  const auto inputs = CorpusOf(QUILLON_INSTALL_CORPUS, "status");
  ASSERT_FALSE(inputs.empty());
  for (const auto& input : inputs) EXPECT_EQ(quillon_fuzz::CheckStatusOutput(input.bytes), "") << input.name;
}

TEST(StatusCorpus, MalformedLinesReadAsTheRulesSay) {
  EXPECT_EQ(Whole("success").result, kStreamSuccess);
  EXPECT_EQ(Whole("fail_then_success").result, kStreamSuccess);
  EXPECT_EQ(Whole("success_then_error").result, kStreamFailure);
  EXPECT_EQ(Whole("empty").result, kStreamNoState);
  EXPECT_EQ(Whole("truncated").result, kStreamNoState);
  EXPECT_EQ(Whole("keys_without_values").result, kStreamFailure);

  // Whole numbers beyond 32 bits stop at the limits; a code page beyond
  // them is the ANSI one.
  const Parsed huge = Whole("huge_numbers");
  ASSERT_NE(EventOf(huge, kReportTopShowDelay), nullptr);
  EXPECT_EQ(EventOf(huge, kReportTopShowDelay)->value, 2147483647.0);
  ASSERT_NE(EventOf(huge, kReportFinishCloseDelay), nullptr);
  EXPECT_EQ(EventOf(huge, kReportFinishCloseDelay)->value, 2147483648.0);
  EXPECT_EQ(huge.state.version[0], INT32_MAX);
  EXPECT_EQ(huge.state.version[1], INT32_MIN);
  EXPECT_EQ(huge.state.version[2], 3);
  EXPECT_EQ(huge.state.codePage, 0);
  EXPECT_EQ(Whole("unknown_code_page").state.codePage, -1);

  // Texts stop at the capacity, counted in characters.
  const Parsed longText = Whole("long_text");
  ASSERT_NE(EventOf(longText, kReportMessage), nullptr);
  EXPECT_EQ(EventOf(longText, kReportMessage)->text, std::wstring(kStatusValueCapacity, L'x'));
  ASSERT_NE(EventOf(longText, kInstallFailed), nullptr);
  EXPECT_EQ(EventOf(longText, kInstallFailed)->text, std::wstring(kStatusValueCapacity, L'\u4e2d'));

  // A final state is its trimmed value; anything else is no state.
  EXPECT_EQ(Whole("invalid_utf8").result, kStreamSuccess);
  EXPECT_EQ(Whole("crlf_mix").result, kStreamSuccess);
}

}  // namespace
}  // namespace Install
