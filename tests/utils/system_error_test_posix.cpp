#include <sys/resource.h>

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <exception>

#include <cerrno>
#include <string>

#include "support/scratch_dir.h"
#include "system_error_test_platform.h"
#include "utils/process.h"
#include "utils/utf8.h"

namespace system_error_test {

const uint32_t kNotFound = ENOENT;
const char kStartOperation[] = "posix_spawnp";

}  // namespace system_error_test

namespace {

// Lowers the open-file limit for its lifetime, so that the next descriptor
// made fails with EMFILE; the test's own descriptors stay open.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

class NoMoreDescriptors {
 public:
  NoMoreDescriptors() {
    ok_ = getrlimit(RLIMIT_NOFILE, &saved_) == 0;
    struct rlimit none = saved_;
    none.rlim_cur = 0;
    ok_ = ok_ && setrlimit(RLIMIT_NOFILE, &none) == 0;
  }
  ~NoMoreDescriptors() {
    if (ok_) setrlimit(RLIMIT_NOFILE, &saved_);
  }
  bool ok() const { return ok_; }

 private:
  struct rlimit saved_ = {};
  bool ok_ = false;
};

}  // namespace

TEST(SystemErrorText, GivesTheCLibrarysWordsWithoutTheLineEnd) {
  EXPECT_EQ(Utils::SystemErrorText(ENOENT), L"No such file or directory");
  EXPECT_EQ(Utils::SystemErrorText(EMFILE), L"Too many open files");
  EXPECT_EQ(Utils::SystemErrorNote(EACCES), L" (error 13: Permission denied)");
}

// No pipe while no descriptor is left: EMFILE, named in the trace text. The
// exception is only looked at once the limit is back.
static void ExpectAPipeToFailWithoutDescriptors() {
  std::exception_ptr thrown;
  bool readEndEmpty = false;
  {
    NoMoreDescriptors limit;
    ASSERT_TRUE(limit.ok());
    Utils::AnonymousPipe p;
    try {
      p.Create();
    } catch (...) {
      thrown = std::current_exception();
    }
    readEndEmpty = p.ReadEnd() == Utils::AnonymousPipe::kNoHandle;
  }
  EXPECT_TRUE(readEndEmpty);
  ASSERT_TRUE(thrown) << "a pipe was made with no descriptors left";
  try {
    std::rethrow_exception(thrown);
  } catch (const Utils::Exception& e) {
    EXPECT_EQ(e.Code(), static_cast<uint32_t>(EMFILE));
    EXPECT_EQ(Utils::TraceText(e), L"pipe2 (error 24: Too many open files)");
  } catch (...) {
    ADD_FAILURE() << "not a Utils::Exception";
  }
}

// The three ways a start fails before the child runs: the program is not
// there, no pipe can be made, the program's descriptor cannot be executed.
TEST(PipedProcessFailure, APipeAMissingProgramAndAnUnrunnableImageEachGiveTheirOwnCode) {
  quillon_test::ScratchDir dir;
  // Under the sanitizers the pipe is left out: UBSan checks every object
  // it is handed (the exception being built, too) by writing it through a
  // pipe of its own, which cannot be had while no descriptor is left.
  if (!kSanitized) ExpectAPipeToFailWithoutDescriptors();

  Utils::PipedProcess missing;
  try {
    missing.Start(quillon_test::Quoted(dir.Path() / L"no-such-program"));
    ADD_FAILURE() << "a missing program started";
  } catch (const Utils::Exception& e) {
    EXPECT_EQ(Utils::TraceText(e), L"posix_spawnp (error 2: No such file or directory)");
  }

  // Readable bytes without the execute bit.
  dir.Write(L"text", "just text\n");
  const int image = open((dir.Path() / "text").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(image, 0);
  Utils::PipedProcess unrunnable;
  try {
    unrunnable.Start(L"text", image);
    ADD_FAILURE() << "a file without the execute bit started";
  } catch (const Utils::Exception& e) {
    EXPECT_EQ(Utils::TraceText(e), L"posix_spawn (error 13: Permission denied)");
  }
  close(image);
}
