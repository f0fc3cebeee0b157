#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <condition_variable>
#include <memory>
#include <mutex>

#include "thread.h"
#include "utf8.h"

namespace Utils {
namespace {

// What stands for a thread handle on Linux: the pthread and the latch that
// holds it until the owner resumes it.
struct PosixThread {
  pthread_t thread{};
  Thread* owner = nullptr;
  std::mutex mutex;
  std::condition_variable changed;
  uint32_t tid = 0;
  bool published = false;  // tid is known
  bool released = false;   // the owner resumed the thread
};

void* Entry(void* argument) {
  auto* state = static_cast<PosixThread*>(argument);
  Thread* owner;
  {
    std::unique_lock<std::mutex> lock(state->mutex);
    state->tid = static_cast<uint32_t>(syscall(SYS_gettid));
    state->published = true;
    state->changed.notify_all();
    state->changed.wait(lock, [state] { return state->released; });
    owner = state->owner;
  }
  // From here on the state may be freed by the owner's wait.
  Thread::CallBack(owner);
  return nullptr;
}

PosixThread* State(void* handle) { return static_cast<PosixThread*>(handle); }

// The kernel keeps 15 bytes of a name; cut at a character boundary.
std::string KernelName(const std::string& name) {
  size_t n = name.size() < 15 ? name.size() : 15;
  while (n > 0 && n < name.size() && (static_cast<unsigned char>(name[n]) & 0xC0) == 0x80) --n;
  return name.substr(0, n);
}

}  // namespace

uint32_t Thread::CurrentId() { return static_cast<uint32_t>(syscall(SYS_gettid)); }

bool Thread::CreateSuspended() {
  auto* state = new PosixThread;
  state->owner = this;
  if (pthread_create(&state->thread, nullptr, Entry, state) != 0) {
    delete state;
    return false;
  }
  {
    std::unique_lock<std::mutex> lock(state->mutex);
    state->changed.wait(lock, [state] { return state->published; });
    id_ = state->tid;
  }
  handle_ = state;
  return true;
}

void Thread::ApplyDebuggerName() {
  debuggerName_ = name_.empty() ? "t" + std::to_string(id_) : WideToUtf8(name_);
  pthread_setname_np(State(handle_)->thread, KernelName(debuggerName_).c_str());
}

bool Thread::ResumeNative() {
  PosixThread* state = State(handle_);
  std::lock_guard<std::mutex> lock(state->mutex);
  state->released = true;
  state->changed.notify_all();
  return true;
}

void Thread::WaitAndRelease() {
  PosixThread* state = State(handle_);
  if (!resumed_) ResumeNative();
  pthread_join(state->thread, nullptr);
  delete state;
}

void Thread::DetachNative() {
  // Only called on the worker itself, which is past the latch.
  PosixThread* state = State(handle_);
  pthread_detach(state->thread);
  delete state;
}

namespace {
void* DetachedEntry(void* argument) {
  std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(argument));
  (*work)();
  return nullptr;
}
}  // namespace

bool RunDetached(std::function<void()> work) {
  auto* owned = new std::function<void()>(std::move(work));
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) {
    delete owned;
    return false;
  }
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  pthread_t thread;
  const int error = pthread_create(&thread, &attributes, DetachedEntry, owned);
  pthread_attr_destroy(&attributes);
  if (error != 0) {
    delete owned;
    return false;
  }
  return true;
}

}  // namespace Utils
