// The process-wide analytics SDK: Init once, Track from any thread, Flush
// when the caller decides, Shutdown at the end (queued records go to the
// staging file for the next run).
//
// Lifetime and threads: every operation may be called from any thread at
// any time, before Init, concurrently with Shutdown and after it; while no
// SDK exists they do nothing and report false. Shutdown waits for the
// operations in progress (a flush stops after its current batch, which the
// post timeout bounds), then stages and frees everything. A detached thread
// that calls in afterwards, or while the process exits, touches only state
// that is never freed.
#pragma once

#include <string>

#include "properties_node.h"

namespace analytics_sdk {

class RecordConsumer;

class Sdk {
 public:
  // `stagingPath` is a file, or a folder ending with a path separator (the
  // file kStagingFileName in it). False when the distinct id is invalid.
  // True without change when an SDK already exists.
  static bool Init(const std::string& stagingPath, const std::string& serverUrl,
                   const std::string& distinctId, bool isLogin);
  // Builds, validates and queues one record.
  static bool Track(const std::string& event, const utils::PropertiesNode& properties);
  // Added to every later record (overwriting keys already registered).
  static void RegisterSuperProperties(const utils::PropertiesNode& properties);
  // Posts every queued record; true when the queue is empty afterwards.
  static bool Flush();
  static void Shutdown();

  // Tests: the number of queued records (0 without an SDK).
  static size_t QueueLengthForTest();

  struct Impl;  // the instance; defined in sdk.cpp

 private:
  class Use;
};

}  // namespace analytics_sdk
