#include "process.h"

#include <utility>

namespace Utils {

AnonymousPipe::AnonymousPipe(AnonymousPipe&& other) noexcept
    : read_(std::exchange(other.read_, kNoHandle)), write_(std::exchange(other.write_, kNoHandle)) {}

AnonymousPipe& AnonymousPipe::operator=(AnonymousPipe&& other) noexcept {
  if (this != &other) {
    Close();
    read_ = std::exchange(other.read_, kNoHandle);
    write_ = std::exchange(other.write_, kNoHandle);
  }
  return *this;
}

void AnonymousPipe::Close() {
  CloseRead();
  CloseWrite();
}

PipedProcess::PipedProcess() = default;

PipedProcess::~PipedProcess() { CloseAll(); }

PipedProcess::PipedProcess(PipedProcess&& other) noexcept
    : commandLine_(std::move(other.commandLine_)),
      output_(std::move(other.output_)),
      input_(std::move(other.input_)),
      process_(std::exchange(other.process_, AnonymousPipe::kNoHandle)),
      thread_(std::exchange(other.thread_, AnonymousPipe::kNoHandle)),
      processId_(std::exchange(other.processId_, 0)),
      threadId_(std::exchange(other.threadId_, 0)),
      reaped_(other.reaped_),
      exitCode_(other.exitCode_) {}

PipedProcess& PipedProcess::operator=(PipedProcess&& other) noexcept {
  if (this != &other) {
    CloseAll();
    commandLine_ = std::move(other.commandLine_);
    output_ = std::move(other.output_);
    input_ = std::move(other.input_);
    process_ = std::exchange(other.process_, AnonymousPipe::kNoHandle);
    thread_ = std::exchange(other.thread_, AnonymousPipe::kNoHandle);
    processId_ = std::exchange(other.processId_, 0);
    threadId_ = std::exchange(other.threadId_, 0);
    reaped_ = other.reaped_;
    exitCode_ = other.exitCode_;
  }
  return *this;
}

}  // namespace Utils
