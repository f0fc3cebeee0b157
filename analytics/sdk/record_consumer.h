// The record queue, its batches and the staging file.
//
// Records wait in memory (at most kMaxQueueLength, the oldest dropped
// first) until a flush posts them, kMaxBatchRecords per request, oldest
// first. A failed batch goes back to the front of the queue, as much of it
// as fits. Close writes what is still queued to the staging file; the next
// consumer on the same file reads it back ahead of its own records on its
// first flush or close.
//
// Threads: Add from any thread; flushes from any thread, one at a time (the
// flush lock); the queue lock is held only while records move in or out,
// never while a batch is compressed or posted. Close may be called once,
// from any thread, while other threads still flush: it waits for the batch
// in flight, so no record is both staged and delivered, and none is lost.
// After Close, Add and the flushes do nothing and report false.
#pragma once

#include <atomic>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "http_sender.h"

namespace analytics_sdk {

constexpr size_t kMaxQueueLength = 1024;
constexpr size_t kMaxBatchRecords = 30;
// The file name given to a staging path that names a folder (ends with a
// path separator), so that each run's leftovers reach the next run.
extern const char kStagingFileName[];  // "KXSStaging.txt"

// `path` itself, or path + kStagingFileName when it ends with '/' or '\\'.
std::string StagingFilePath(const std::string& path);

// The lines of a staging file that can be records: non-empty, '{' first and
// '}' last (a '\r' before the line feed is ignored), in file order.
std::vector<std::string> StagedRecordLines(const std::string& content);

class RecordConsumer {
 public:
  RecordConsumer(std::string stagingPath, std::unique_ptr<HttpSender> sender);
  ~RecordConsumer();
  RecordConsumer(const RecordConsumer&) = delete;
  RecordConsumer& operator=(const RecordConsumer&) = delete;

  // False after Close.
  bool Add(std::string record);
  // Posts up to kMaxBatchRecords of the oldest records; true when they were
  // delivered or nothing was queued.
  bool FlushBatch();
  // Batches until the queue is empty (true) or one fails (false).
  bool FlushAll();
  // Stops flushes between batches; Close follows.
  void BeginClose();
  // Reads back the staging file if not yet done, then writes every queued
  // record to it, one per line, and releases the sender.
  void Close();

  size_t QueueLength() const;
  std::vector<std::string> QueuedRecords() const;
  const std::string& stagingPath() const { return stagingPath_; }

 private:
  void LoadStagedLocked();  // queue lock held
  void DumpStagedLocked();  // queue lock held
  bool FlushBatchLocked();  // flush lock held

  const std::string stagingPath_;
  mutable std::mutex queueLock_;
  std::mutex flushLock_;
  std::deque<std::string> queue_;  // queue lock
  bool stagedPending_ = true;      // queue lock
  bool closed_ = false;            // queue lock
  std::atomic<bool> closing_{false};
  std::unique_ptr<HttpSender> sender_;  // flush lock
};

}  // namespace analytics_sdk
