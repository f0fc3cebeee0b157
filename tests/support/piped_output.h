// The standard output of a child started with Utils::PipedProcess, read
// until the child ends or `limit` passes. Once the child has ended, what is
// left in the pipe is taken without waiting for descendants that may still
// hold its other end.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "utils/process.h"

namespace quillon_test {

inline std::string ReadUntilEnd(Utils::PipedProcess& child, std::chrono::milliseconds limit) {
  std::string output;
  std::vector<char> buffer(4096);
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    size_t got = 0;
    const auto status = child.ReadOutputFor(buffer.data(), buffer.size(), &got, 100);
    if (status == Utils::PipedProcess::ReadStatus::kData) output.append(buffer.data(), got);
    if (status == Utils::PipedProcess::ReadStatus::kEnded) break;
    uint32_t code = 0;
    if (status == Utils::PipedProcess::ReadStatus::kNothing && child.WaitFor(0, &code)) {
      while (child.ReadOutputFor(buffer.data(), buffer.size(), &got, 0) == Utils::PipedProcess::ReadStatus::kData) {
        output.append(buffer.data(), got);
      }
      break;
    }
  }
  return output;
}

}  // namespace quillon_test
