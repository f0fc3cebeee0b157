#include "utils/process.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/scratch_dir.h"
#include "utils/mutex.h"
#include "utils/utf8.h"

namespace {

using quillon_test::BuiltProgram;
using quillon_test::Quoted;

std::wstring Helper(const std::wstring& arguments) {
  return Quoted(BuiltProgram(L"tests", L"probe_helper")) + L" " + arguments;
}

// Runs the child to the end of its output; every child is ended by its id
// should it outlive the bound.
struct ChildRun {
  std::string output;
  uint32_t exitCode = Utils::PipedProcess::kStillActive;
  bool ended = false;
};

ChildRun RunToEnd(const std::wstring& commandLine) {
  ChildRun run;
  Utils::PipedProcess child;
  child.Start(commandLine);
  std::vector<char> buffer(4096);
  size_t got = 0;
  // Bounded: a child never writes more than this in these tests.
  while (run.output.size() < (64u << 20) && child.ReadOutput(buffer.data(), buffer.size(), &got)) {
    run.output.append(buffer.data(), got);
  }
  run.ended = child.WaitFor(60000, &run.exitCode);
  if (!run.ended) child.Terminate();
  return run;
}

TEST(PipedProcess, ReadsMoreThanAMebibyteToTheEndAndSeesTheExit) {
  const size_t size = 3 * 1024 * 1024 + 17;
  const ChildRun run = RunToEnd(Helper(L"emit " + std::to_wstring(size)));
  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 7u);
  ASSERT_EQ(run.output.size(), size);
  for (size_t i = 0; i < size; i += 4093) {
    ASSERT_EQ(run.output[i], static_cast<char>('a' + i % 26)) << "at " << i;
  }
}

TEST(PipedProcess, AChildFloodingStandardErrorDoesNotBlock) {
  const ChildRun run = RunToEnd(Helper(L"flood 1048576"));
  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.output, "done");
  EXPECT_EQ(run.exitCode, 0u);
}

TEST(PipedProcess, ExitCodeIsStillActiveUntilTheChildEnds) {
  Utils::PipedProcess child;
  child.Start(Helper(L"sleep 20000"));
  ASSERT_NE(child.ProcessId(), 0u);
  EXPECT_EQ(child.ExitCode(), Utils::PipedProcess::kStillActive);
  ASSERT_TRUE(child.Terminate());
  uint32_t code = 0;
  ASSERT_TRUE(child.WaitFor(30000, &code));
  EXPECT_NE(code, Utils::PipedProcess::kStillActive);
  // Ended: the output pipe reports its end.
  char c;
  size_t got = 1;
  EXPECT_FALSE(child.ReadOutput(&c, 1, &got));
  EXPECT_EQ(got, 0u);
}

TEST(PipedProcess, ABoundedReadReturnsWhenTheTimeIsUpOrThePipeEnds) {
  using Status = Utils::PipedProcess::ReadStatus;
  Utils::PipedProcess quiet;
  quiet.Start(Helper(L"sleep 20000"));
  char buffer[64];
  size_t got = 1;
  EXPECT_EQ(quiet.ReadOutputFor(buffer, sizeof buffer, &got, 0), Status::kNothing);
  EXPECT_EQ(quiet.ReadOutputFor(buffer, sizeof buffer, &got, 50), Status::kNothing);
  EXPECT_EQ(got, 0u);
  ASSERT_TRUE(quiet.Terminate());
  uint32_t code = 0;
  ASSERT_TRUE(quiet.WaitFor(30000, &code));
  EXPECT_EQ(quiet.ReadOutputFor(buffer, sizeof buffer, &got, 30000), Status::kEnded);

  Utils::PipedProcess talker;
  talker.Start(Helper(L"emit 10"));
  std::string output;
  for (int round = 0; round < 600; ++round) {
    const Status status = talker.ReadOutputFor(buffer, 4, &got, 100);
    if (status == Status::kEnded) break;
    if (status == Status::kData) {
      EXPECT_LE(got, 4u);
      output.append(buffer, got);
    }
  }
  EXPECT_EQ(output, "abcdefghij");
  ASSERT_TRUE(talker.WaitFor(30000, &code));
  EXPECT_EQ(code, 7u);
}

TEST(PipedProcess, CommandLineOf1023CharactersStartsAnd1024IsRefused) {
  const std::wstring base = Helper(L"exit 5 ");
  ASSERT_LT(base.size(), 1000u);
  const std::wstring line1023 = base + std::wstring(1023 - base.size(), L'x');
  ASSERT_EQ(line1023.size(), 1023u);
  const ChildRun run = RunToEnd(line1023);
  EXPECT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 5u);

  Utils::PipedProcess refused;
  EXPECT_THROW(refused.Start(line1023 + L"x"), Utils::Exception);
  EXPECT_EQ(refused.ProcessId(), 0u);
}

TEST(PipedProcess, AMissingProgramThrows) {
  quillon_test::ScratchDir dir;
  Utils::PipedProcess child;
  EXPECT_THROW(child.Start(Quoted(dir.Path() / L"no-such-program") + L" a"), Utils::Exception);
  EXPECT_THROW(Utils::PipedProcess().Start(L""), Utils::Exception);
}

TEST(PipedProcess, TheChildGetsTheArgumentsTheWindowsRulesMake) {
  const ChildRun run = RunToEnd(Helper(LR"(args "two words" a\\\"b "" c\d)"));
  ASSERT_TRUE(run.ended);
  std::vector<std::string> args;
  std::string::size_type from = 0;
  for (std::string::size_type nul; (nul = run.output.find('\0', from)) != std::string::npos; from = nul + 1) {
    args.push_back(run.output.substr(from, nul - from));
  }
  EXPECT_EQ(args, (std::vector<std::string>{"two words", "a\\\"b", "", "c\\d"}));
}

TEST(PipedProcess, MovedObjectOwnsTheChild) {
  Utils::PipedProcess first;
  first.Start(Helper(L"exit 3"));
  Utils::PipedProcess second(std::move(first));
  EXPECT_EQ(first.ProcessId(), 0u);
  uint32_t code = 0;
  ASSERT_TRUE(second.WaitFor(60000, &code));
  EXPECT_EQ(code, 3u);
}

TEST(SingleInstanceMutex, SecondHolderIsRefusedInThisAndAnotherProcess) {
  const std::wstring name = L"quillon-test-" + Utils::MakeGuidString();
  Utils::SingleInstanceMutex first;
  ASSERT_TRUE(first.Acquire(name));
  EXPECT_TRUE(first.IsHeld());
  EXPECT_TRUE(first.Acquire(name));  // held already: nothing new

  Utils::SingleInstanceMutex second;
  EXPECT_FALSE(second.Acquire(name));
  EXPECT_FALSE(second.IsHeld());

  ChildRun other = RunToEnd(Helper(L"mutex " + name));
  EXPECT_EQ(other.output, "refused");
  EXPECT_EQ(other.exitCode, 1u);

  first.Release();
  EXPECT_FALSE(first.IsHeld());
  other = RunToEnd(Helper(L"mutex " + name));
  EXPECT_EQ(other.output, "held");
  // The other process has ended, and its guard with it.
  EXPECT_TRUE(second.Acquire(name));
}

}  // namespace
