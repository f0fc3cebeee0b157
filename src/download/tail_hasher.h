// The MD5 of a package computed while it is being written: a thread of its
// own reads the files that make up the package, in order, behind the
// threads that write them, so that the digest is ready a moment after the
// last byte is stored instead of costing a second pass over the file.
//
// What is hashed is what is on disk: the bytes the writers stored, read
// back from the system's file cache. A writer that rewrites bytes it
// already stored (truncates a file to start it again) must Begin again.
//
// When the machine rather than the network is the limit, the writers
// could store the package far faster than it can be hashed, and the digest
// would then come long after the last byte. So the writers Pace
// themselves: while the hashing thread has more than kMaxLead bytes that
// the writers stored in the piece it is on still to hash, each write waits
// a little, which leaves the processor to the hashing thread (the bytes a
// piece held before hashing began do not count: a resumed part file does
// not hold its download back). A slow network never meets the limit; a
// stuck hashing thread only slows the writers, never stops them (every
// wait is short).
//
// Once it has caught up, the hashing thread sleeps until a writer comes
// back (every Pace wakes it: the write before it is then on disk), until
// Finish or Abandon, or for 50 ms at most; a stalled or slow download
// costs it next to nothing.
//
// Threads: Begin, Finish and Abandon are called by the owner, one at a
// time; Pace by any writer; the hashing thread only reads the files.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class CTailHasher {
 public:
  // A file and how many of its bytes belong to the package (-1: all the
  // bytes it holds once the writers are done).
  using Piece = std::pair<std::wstring, int64_t>;

  CTailHasher() = default;
  ~CTailHasher() { Abandon(); }
  CTailHasher(const CTailHasher&) = delete;
  CTailHasher& operator=(const CTailHasher&) = delete;

  // Starts hashing `pieces` (any earlier run is abandoned first).
  void Begin(std::vector<Piece> pieces);
  bool Running() const { return thread_.joinable(); }
  // The writers are done: hashes what is left and returns the digest (32
  // lower-case hexadecimal digits) with the number of bytes it covers, or
  // an empty digest when a piece was shorter than its length or could not
  // be read. The files are closed when it returns.
  std::pair<std::string, int64_t> Finish();
  // Stops without a digest and closes the files.
  void Abandon();
  // Called by the writer of `piece` (its index in Begin's list) before it
  // stores more: returns at once unless the hashing thread is far behind
  // on that piece or an earlier one, and otherwise once it has half caught
  // up, or after 50 ms at most.
  void Pace(size_t piece = 0);

  static constexpr int64_t kMaxLead = 32 << 20;

 private:
  void Run(std::vector<Piece> pieces);
  void SetBehind(int piece);
  void Wake();
  uint64_t Writes();
  void WaitForWriters(uint64_t seen);

  std::thread thread_;
  std::atomic<bool> finishing_{false};
  std::atomic<bool> abandoned_{false};
  // The piece whose writer is far ahead of the hashing thread, or -1: set
  // and cleared by the hashing thread.
  std::atomic<int> behind_{-1};
  std::mutex paceMutex_;
  std::condition_variable caughtUp_;
  std::mutex wakeMutex_;
  std::condition_variable wake_;
  uint64_t writes_ = 0;  // guarded by wakeMutex_: Paces so far
  std::mutex resultMutex_;
  std::string digest_;  // guarded by resultMutex_
  int64_t hashed_ = 0;  // guarded by resultMutex_
};
