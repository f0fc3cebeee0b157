#include "tail_hasher.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>

#include "utils/file_io.h"
#include "utils/md5.h"

namespace {
constexpr size_t kBlock = 1 << 20;
// The longest the hashing thread sleeps when it has caught up with the
// writers (a writer's next Pace wakes it sooner).
constexpr auto kCaughtUpWait = std::chrono::milliseconds(50);
// The longest a writer waits in one Pace: short beside any stall limit.
constexpr auto kLongestPace = std::chrono::milliseconds(50);
}  // namespace

void CTailHasher::Wake() {
  {
    std::lock_guard<std::mutex> lock(wakeMutex_);
    ++writes_;
  }
  wake_.notify_one();
}

uint64_t CTailHasher::Writes() {
  std::lock_guard<std::mutex> lock(wakeMutex_);
  return writes_;
}

void CTailHasher::WaitForWriters(uint64_t seen) {
  std::unique_lock<std::mutex> lock(wakeMutex_);
  wake_.wait_for(lock, kCaughtUpWait,
                 [&] { return writes_ != seen || finishing_.load() || abandoned_.load(); });
}

void CTailHasher::Begin(std::vector<Piece> pieces) {
  Abandon();
  finishing_.store(false);
  abandoned_.store(false);
  behind_.store(-1);
  {
    std::lock_guard<std::mutex> lock(resultMutex_);
    digest_.clear();
    hashed_ = 0;
  }
  thread_ = std::thread(&CTailHasher::Run, this, std::move(pieces));
}

std::pair<std::string, int64_t> CTailHasher::Finish() {
  if (!thread_.joinable()) return {"", -1};
  finishing_.store(true);
  Wake();
  thread_.join();
  std::lock_guard<std::mutex> lock(resultMutex_);
  return {digest_, digest_.empty() ? -1 : hashed_};
}

void CTailHasher::Abandon() {
  if (!thread_.joinable()) return;
  abandoned_.store(true);
  Wake();
  thread_.join();
}

void CTailHasher::Pace(size_t piece) {
  Wake();
  const int index = static_cast<int>(piece);
  const int behind = behind_.load(std::memory_order_relaxed);
  if (behind < 0 || index < behind) return;
  std::unique_lock<std::mutex> lock(paceMutex_);
  caughtUp_.wait_for(lock, kLongestPace, [this, index] {
    const int now = behind_.load();
    return now < 0 || index < now;
  });
}

void CTailHasher::SetBehind(int piece) {
  const int was = behind_.load();
  if (was == piece) return;
  {
    std::lock_guard<std::mutex> lock(paceMutex_);
    behind_.store(piece);
  }
  if (was >= 0) caughtUp_.notify_all();
}

void CTailHasher::Run(std::vector<Piece> pieces) {
  std::unique_ptr<unsigned char[]> block(new unsigned char[kBlock]);
  Utils::Md5 md5;
  int64_t total = 0;
  for (size_t i = 0; i < pieces.size(); ++i) {
    const Piece& piece = pieces[i];
    const int index = static_cast<int>(i);
    FILE* file = nullptr;
    int64_t done = 0;
    int64_t backlog = 0;
    bool failed = false;
    for (;;) {
      if (abandoned_.load()) break;
      // Read the finishing flag before reading: once it is seen, a read
      // that comes up short has met the real end of the file. The writers'
      // count likewise: a write after it wakes the wait below at once.
      const bool last = finishing_.load();
      const uint64_t seen = Writes();
      if (!file) {
        file = Utils::OpenFile(piece.first, "rb");
        // Bytes stored before hashing began (a resumed part file) are a
        // backlog of their own: only the writers' new bytes count for pacing.
        if (file) backlog = std::max<int64_t>(0, Utils::FileSize(piece.first));
      }
      size_t n = 0;
      if (file) {
        size_t want = kBlock;
        if (piece.second >= 0) want = static_cast<size_t>(std::min<int64_t>(piece.second - done, kBlock));
        if (want == 0) break;
        n = std::fread(block.get(), 1, want, file);
        if (n > 0) {
          md5.Update(block.get(), n);
          done += static_cast<int64_t>(n);
          // Writers wait while this thread is far behind them, and go on
          // once it has half caught up.
          int64_t stored = Utils::FileSize(piece.first);
          if (piece.second >= 0) stored = std::min(stored, piece.second);
          const int64_t lead = stored - std::max(done, backlog);
          if (lead > kMaxLead) SetBehind(index);
          else if (lead < kMaxLead / 2) SetBehind(-1);
          continue;
        }
        if (std::ferror(file)) {
          failed = true;
          break;
        }
        std::clearerr(file);  // at the writer's end for now
      }
      SetBehind(-1);
      if (last) break;
      WaitForWriters(seen);
    }
    const bool whole = file && !failed && (piece.second < 0 || done == piece.second);
    if (file) std::fclose(file);
    total += done;
    if (abandoned_.load() || !whole) {
      SetBehind(-1);
      return;
    }
  }
  SetBehind(-1);
  std::lock_guard<std::mutex> lock(resultMutex_);
  digest_ = md5.FinalHex();
  hashed_ = total;
}
