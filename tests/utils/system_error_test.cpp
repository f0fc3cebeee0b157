#include "utils/system_error.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "support/scratch_dir.h"
#include "system_error_test_platform.h"
#include "utils/process.h"
#include "utils/utf8.h"

namespace {

using system_error_test::kNotFound;

bool EndsInLineEndOrStop(const std::wstring& text) {
  return !text.empty() && (text.back() == L'.' || text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ');
}

Utils::Exception StartFailure(const std::wstring& commandLine) {
  Utils::PipedProcess child;
  try {
    child.Start(commandLine);
  } catch (const Utils::Exception& e) {
    EXPECT_EQ(child.ProcessId(), 0u);
    return e;
  }
  ADD_FAILURE() << "started: " << Utils::WideToUtf8(commandLine);
  child.Terminate();
  return Utils::Exception();
}

}  // namespace

TEST(SystemErrorNote, EmptyWithoutACodeTheCodeAndTheSystemsWordsWithOne) {
  EXPECT_EQ(Utils::SystemErrorNote(0), L"");
  const std::wstring text = Utils::SystemErrorText(kNotFound);
  ASSERT_FALSE(text.empty());
  EXPECT_FALSE(EndsInLineEndOrStop(text)) << Utils::WideToUtf8(text);
  EXPECT_EQ(text.find_first_of(L"\r\n"), std::wstring::npos) << Utils::WideToUtf8(text);
  EXPECT_EQ(Utils::SystemErrorNote(kNotFound), L" (error " + std::to_wstring(kNotFound) + L": " + text + L")");
}

TEST(SystemErrorTraceText, NamesTheStepAndAddsTheNoteOnlyForACode) {
  EXPECT_EQ(Utils::TraceText(Utils::Exception("pipe2", kNotFound)), L"pipe2" + Utils::SystemErrorNote(kNotFound));
  EXPECT_EQ(Utils::TraceText(Utils::Exception("refused")), L"refused");
  EXPECT_EQ(Utils::TraceText(Utils::Exception()), L"");
  EXPECT_EQ(Utils::TraceText(std::runtime_error("other kind")), L"other kind");
}

// A refused command line and a missing program were one and the same
// exception before; now the trace tells them apart.
TEST(PipedProcessFailure, AMissingProgramCarriesNotFoundARefusedLineNoCode) {
  quillon_test::ScratchDir dir;
  const Utils::Exception missing = StartFailure(quillon_test::Quoted(dir.Path() / L"no-such-program") + L" a");
  EXPECT_EQ(missing.Code(), kNotFound);
  EXPECT_STREQ(missing.what(), system_error_test::kStartOperation);
  EXPECT_EQ(Utils::TraceText(missing),
            Utils::Utf8ToWide(system_error_test::kStartOperation) + Utils::SystemErrorNote(kNotFound));

  const Utils::Exception tooLong = StartFailure(std::wstring(1024, L'x'));
  EXPECT_EQ(tooLong.Code(), 0u);
  EXPECT_EQ(Utils::TraceText(tooLong), L"command line of 1024 characters or more");
}
