// Fixtures shared by the analytics SDK tests.
#pragma once

#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "sdk/error_log.h"

namespace quillon_test {

// Captures the SDK error stream for the lifetime of the object.
class ErrorCapture : public analytics_sdk::ErrorSink {
 public:
  ErrorCapture() { analytics_sdk::SetErrorSink(this); }
  ~ErrorCapture() override { analytics_sdk::SetErrorSink(nullptr); }
  void Write(const std::string& message) override {
    std::lock_guard<std::mutex> lock(mutex_);
    messages_.push_back(message);
  }
  std::vector<std::string> Messages() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return messages_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> messages_;
};

// A fresh folder under the system temp folder, removed at the end.
class TempFolder {
 public:
  TempFolder() {
    static int counter = 0;
    const auto base = std::filesystem::temp_directory_path();
    for (int i = 0; i < 1000; ++i) {
      path_ = base / ("quillon-sdk-" + std::to_string(std::rand()) + "-" + std::to_string(++counter));
      if (std::filesystem::create_directory(path_)) return;
    }
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  // The folder with a trailing '/'.
  std::string Slash() const { return path_.generic_string() + "/"; }
  std::string File(const std::string& name) const { return Slash() + name; }

 private:
  std::filesystem::path path_;
};

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::istringstream in(ReadText(path));
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

inline void WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

// A record-shaped line numbered n, for queue tests that do not need real records.
inline std::string NumberedRecord(int n) { return "{\"n\":" + std::to_string(n) + "}"; }

}  // namespace quillon_test
