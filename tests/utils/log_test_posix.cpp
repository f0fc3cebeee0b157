// The Linux debugger channel: standard error, UTF-8, one write per line.
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "utils/log.h"

namespace {

// Points standard error at a pipe for the lifetime of the object and
// collects what arrives, on a reader thread so writers never block for long.
class StderrPipe {
 public:
  StderrPipe() {
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    read_ = fds[0];
    saved_ = dup(STDERR_FILENO);
    dup2(fds[1], STDERR_FILENO);
    close(fds[1]);
    reader_ = std::thread([this] {
      char buffer[4096];
      for (;;) {
        const ssize_t n = read(read_, buffer, sizeof buffer);
        if (n <= 0) break;
        text_.append(buffer, static_cast<size_t>(n));
      }
    });
  }
  // Restores standard error and returns everything written meanwhile.
  std::string Finish() {
    dup2(saved_, STDERR_FILENO);
    close(saved_);
    reader_.join();
    close(read_);
    return text_;
  }

 private:
  int read_ = -1, saved_ = -1;
  std::thread reader_;
  std::string text_;
};

void WriteLines(int worker, int count) {
  const std::wstring padding(200, L'x');
  for (int i = 0; i < count; ++i) UTILS_LOG(L"worker %d line %d 中文 %s", worker, i, padding.c_str());
}

}  // namespace

TEST(TraceLineOnStderr, ConcurrentLinesArriveWholeInUtf8) {
  constexpr int kWorkers = 4, kLines = 300;
  StderrPipe pipe;
  std::vector<std::thread> workers;
  for (int w = 0; w < kWorkers; ++w) workers.emplace_back(WriteLines, w, kLines);
  for (auto& t : workers) t.join();
  const std::string text = pipe.Finish();

  const std::string tail = " \xE4\xB8\xAD\xE6\x96\x87 " + std::string(200, 'x');
  std::vector<int> next(kWorkers, 0);
  size_t at = 0, lines = 0;
  while (at < text.size()) {
    const size_t end = text.find("\r\n", at);
    ASSERT_NE(end, std::string::npos) << "unterminated line at byte " << at;
    const std::string line = text.substr(at, end - at);
    at = end + 2;
    ++lines;
    ASSERT_EQ(line.rfind("<P", 0), 0u) << line;
    const size_t m = line.find(">: worker ");
    ASSERT_NE(m, std::string::npos) << line;
    int worker = -1, index = -1;
    ASSERT_EQ(sscanf(line.c_str() + m, ">: worker %d line %d", &worker, &index), 2) << line;
    ASSERT_TRUE(worker >= 0 && worker < kWorkers) << line;
    EXPECT_EQ(index, next[worker]++) << "lines of one thread keep their order";
    EXPECT_EQ(line.substr(line.size() - tail.size()), tail) << line;
  }
  EXPECT_EQ(lines, static_cast<size_t>(kWorkers * kLines));
}
