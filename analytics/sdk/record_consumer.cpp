#include "record_consumer.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "batch_encoding.h"

namespace analytics_sdk {

const char kStagingFileName[] = "KXSStaging.txt";

std::string StagingFilePath(const std::string& path) {
  if (!path.empty() && (path.back() == '/' || path.back() == '\\')) return path + kStagingFileName;
  return path;
}

std::vector<std::string> StagedRecordLines(const std::string& content) {
  std::vector<std::string> lines;
  std::istringstream in(content);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line.front() == '{' && line.back() == '}') lines.push_back(line);
  }
  return lines;
}

RecordConsumer::RecordConsumer(std::string stagingPath, std::unique_ptr<HttpSender> sender)
    : stagingPath_(std::move(stagingPath)), sender_(std::move(sender)) {}

RecordConsumer::~RecordConsumer() = default;

bool RecordConsumer::Add(std::string record) {
  std::lock_guard<std::mutex> lock(queueLock_);
  if (closed_) return false;
  queue_.push_back(std::move(record));
  if (queue_.size() > kMaxQueueLength) queue_.pop_front();
  return true;
}

void RecordConsumer::LoadStagedLocked() {
  if (!stagedPending_) return;
  stagedPending_ = false;
  const size_t room = kMaxQueueLength - std::min(queue_.size(), kMaxQueueLength);
  std::vector<std::string> lines;
  if (room > 0) {
    std::ifstream in(stagingPath_, std::ios::binary);
    if (in) {
      std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      lines = StagedRecordLines(content);
    }
  }
  // Empty the file before the records count as ours: if it cannot be
  // emptied, the next run would read them again and send them twice.
  std::ofstream truncate(stagingPath_, std::ios::binary | std::ios::trunc);
  if (!truncate.is_open()) return;
  truncate.close();
  if (lines.size() > room) lines.erase(lines.begin(), lines.end() - room);
  queue_.insert(queue_.begin(), std::make_move_iterator(lines.begin()),
                std::make_move_iterator(lines.end()));
}

void RecordConsumer::DumpStagedLocked() {
  std::ofstream out(stagingPath_, std::ios::binary | std::ios::trunc);
  if (!out.is_open()) return;
  for (const std::string& record : queue_) {
    out << record << '\n';
  }
}

bool RecordConsumer::FlushBatchLocked() {
  std::vector<std::string> batch;
  {
    std::lock_guard<std::mutex> lock(queueLock_);
    if (closed_ || !sender_) return false;
    const size_t n = std::min(queue_.size(), kMaxBatchRecords);
    if (n == 0) return true;
    batch.assign(std::make_move_iterator(queue_.begin()),
                 std::make_move_iterator(queue_.begin() + n));
    queue_.erase(queue_.begin(), queue_.begin() + n);
  }
  if (sender_->SendBatch(SerializeBatch(batch))) return true;
  std::lock_guard<std::mutex> lock(queueLock_);
  // Records added while the batch was out keep their places; only the
  // batch's newest records that still fit go back, ahead of them.
  const size_t room = kMaxQueueLength - std::min(queue_.size(), kMaxQueueLength);
  const size_t back = std::min(room, batch.size());
  queue_.insert(queue_.begin(), std::make_move_iterator(batch.end() - back),
                std::make_move_iterator(batch.end()));
  return false;
}

bool RecordConsumer::FlushBatch() {
  {
    std::lock_guard<std::mutex> lock(queueLock_);
    LoadStagedLocked();
  }
  std::lock_guard<std::mutex> flush(flushLock_);
  return FlushBatchLocked();
}

bool RecordConsumer::FlushAll() {
  {
    std::lock_guard<std::mutex> lock(queueLock_);
    LoadStagedLocked();
  }
  std::lock_guard<std::mutex> flush(flushLock_);
  for (;;) {
    if (closing_.load()) return false;
    {
      std::lock_guard<std::mutex> lock(queueLock_);
      if (closed_) return false;
      if (queue_.empty()) return true;
    }
    if (!FlushBatchLocked()) return false;
  }
}

void RecordConsumer::BeginClose() { closing_.store(true); }

void RecordConsumer::Close() {
  BeginClose();
  // Waits for the batch in flight: it either arrived or is back in the
  // queue before the queue is written out.
  std::lock_guard<std::mutex> flush(flushLock_);
  std::lock_guard<std::mutex> lock(queueLock_);
  if (closed_) return;
  LoadStagedLocked();
  DumpStagedLocked();
  closed_ = true;
  sender_.reset();
}

size_t RecordConsumer::QueueLength() const {
  std::lock_guard<std::mutex> lock(queueLock_);
  return queue_.size();
}

std::vector<std::string> RecordConsumer::QueuedRecords() const {
  std::lock_guard<std::mutex> lock(queueLock_);
  return std::vector<std::string>(queue_.begin(), queue_.end());
}

}  // namespace analytics_sdk
