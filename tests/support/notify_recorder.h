// Records (code, value, text) notifications from any thread and lets a test
// wait, with a bound, for a final one.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace quillon_test {

struct Notification {
  int code;
  double value;
  std::wstring text;
};

class NotifyRecorder {
 public:
  // Called after each notification is recorded, on the notifying thread.
  std::function<void(const Notification&)> onNotify;

  void operator()(int code, double value, const wchar_t* text) {
    Notification n{code, value, text ? text : L""};
    {
      std::lock_guard<std::mutex> lock(mutex_);
      seen_.push_back(n);
    }
    if (onNotify) onNotify(n);
    std::lock_guard<std::mutex> lock(mutex_);
    changed_.notify_all();
  }

  // Waits until a notification with one of `codes` has been recorded
  // `count` times, at most `limit`.
  bool WaitFor(std::vector<int> codes, int count = 1, std::chrono::seconds limit = std::chrono::seconds(60)) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, limit, [&] {
      int n = 0;
      for (const auto& s : seen_) {
        for (int c : codes) n += s.code == c;
      }
      return n >= count;
    });
  }

  std::vector<Notification> All() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
  }
  // The codes in order, with runs of 1002 folded into one.
  std::vector<int> Codes() const {
    std::vector<int> codes;
    for (const auto& n : All()) {
      if (n.code == 1002 && !codes.empty() && codes.back() == 1002) continue;
      codes.push_back(n.code);
    }
    return codes;
  }
  // The codes in order without progress: whether a short transfer reports
  // progress at all depends on the machine's speed.
  std::vector<int> CodesWithoutProgress() const {
    std::vector<int> codes;
    for (const auto& n : All()) {
      if (n.code != 1002) codes.push_back(n.code);
    }
    return codes;
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Notification> seen_;
};

}  // namespace quillon_test
