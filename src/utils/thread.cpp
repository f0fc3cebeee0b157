#include "thread.h"

#include <utility>

#include "log.h"

namespace Utils {

Thread::Thread(void* parameter, const std::wstring& name, Procedure procedure)
    : procedure_(std::move(procedure)), parameter_(parameter), name_(name) {
  if (CreateSuspended()) ApplyDebuggerName();
}

Thread::~Thread() {
  if (handle_) WaitAndReleaseOrLetGo();
  id_ = kNoThread;
  name_.clear();
  procedure_ = nullptr;
}

void Thread::Join() {
  if (!handle_) return;
  WaitAndReleaseOrLetGo();
}

void Thread::WaitAndReleaseOrLetGo() {
  if (id_ == CurrentId()) {
    DetachNative();
  } else {
    if (!resumed_) {
      cancelled_.store(true, std::memory_order_release);
    }
    WaitAndRelease();
  }
  handle_ = nullptr;
  id_ = kNoThread;
}

bool Thread::Resume() {
  if (!handle_ || resumed_) return false;
  resumed_ = ResumeNative();
  return resumed_;
}

unsigned long Thread::CallBack(void* object) {
  auto* self = static_cast<Thread*>(object);
  if (self->cancelled_.load(std::memory_order_acquire)) return 0;
  // The procedure may free the object (an owner restarting its worker from
  // inside it), so the thread works on its own copies from here on.
  Procedure procedure = self->procedure_;
  void* parameter = self->parameter_;
  UTILS_LOG(L"THREAD BEGIN");
  if (procedure) procedure(parameter);
  UTILS_LOG(L"THREAD END");
  return 0;
}

void RestartThread(std::unique_ptr<Thread>* slot, void* parameter, const std::wstring& name,
                   Thread::Procedure procedure) {
  if (*slot) {
    (*slot)->Join();
    slot->reset();
  }
  *slot = std::make_unique<Thread>(parameter, name, std::move(procedure));
  if ((*slot)->HasThread()) (*slot)->Resume();
}

}  // namespace Utils
