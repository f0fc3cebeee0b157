#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/scratch_dir.h"
#include "system_error_test_platform.h"
#include "utils/process.h"
#include "utils/utf8.h"

namespace system_error_test {

const uint32_t kNotFound = ERROR_FILE_NOT_FOUND;
const char kStartOperation[] = "CreateProcessW";

}  // namespace system_error_test

// Windows and Wine word their messages differently; either is the system's.
TEST(SystemErrorText, GivesTheSystemsMessageWithoutLineEndOrStop) {
  const std::wstring notFound = Utils::SystemErrorText(ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(notFound == L"The system cannot find the file specified" || notFound == L"File not found")
      << Utils::WideToUtf8(notFound);
  const std::wstring denied = Utils::SystemErrorText(ERROR_ACCESS_DENIED);
  EXPECT_TRUE(denied == L"Access is denied" || denied == L"Access denied") << Utils::WideToUtf8(denied);
  // No message for it: the note still has the code.
  EXPECT_EQ(Utils::SystemErrorText(0x2000ABCDu), L"");
  EXPECT_EQ(Utils::SystemErrorNote(0x2000ABCDu), L" (error 536914893)");
}

// A missing program and bytes that are no program fail the same call with
// their own codes.
TEST(PipedProcessFailure, AMissingProgramAndATextFileEachGiveTheirOwnCode) {
  quillon_test::ScratchDir dir;
  Utils::PipedProcess missing;
  try {
    missing.Start(quillon_test::Quoted(dir.Path() / L"no-such-program.exe"));
    ADD_FAILURE() << "a missing program started";
  } catch (const Utils::Exception& e) {
    EXPECT_EQ(e.Code(), static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(Utils::TraceText(e), L"CreateProcessW (error 2: " + Utils::SystemErrorText(ERROR_FILE_NOT_FOUND) + L")");
  }

  dir.Write(L"text.exe", "just text\n");
  Utils::PipedProcess text;
  try {
    text.Start(quillon_test::Quoted(dir.Path() / L"text.exe"));
    ADD_FAILURE() << "a text file started";
    text.Terminate();
  } catch (const Utils::Exception& e) {
    EXPECT_EQ(e.Code(), static_cast<uint32_t>(ERROR_BAD_EXE_FORMAT));
    EXPECT_EQ(Utils::TraceText(e), L"CreateProcessW (error 193: " + Utils::SystemErrorText(ERROR_BAD_EXE_FORMAT) + L")");
  }
}
