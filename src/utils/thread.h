// A named worker thread that starts suspended and is always joined.
//
// Ownership: the owner creates the object, resumes it, and joins or destroys
// it, all on one thread; the object has no lock. The procedure runs on the
// new thread and must not touch the object. The parameter is not owned.
//
// The destructor waits for the procedure to return; it does not stop it.
// Two cases that would otherwise wait forever are answered instead:
//  - a worker that was never resumed is released without running the
//    procedure;
//  - Join or destruction from the worker's own thread does not wait (the
//    thread is let go and finishes by itself).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace Utils {

class Thread {
 public:
  using Procedure = std::function<unsigned long(void*)>;
  static constexpr uint32_t kNoThread = 0xFFFFFFFF;

  Thread(void* parameter, const std::wstring& name, Procedure procedure);
  ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // Lets the suspended thread run. False when there is no thread or it
  // already runs.
  bool Resume();
  // Waits without time limit, then releases the thread. No-op without one.
  void Join();

  bool HasThread() const { return handle_ != nullptr; }
  uint32_t Id() const { return id_; }
  // The platform handle (a HANDLE on Windows), for platform-specific callers.
  void* NativeHandle() const { return handle_; }
  // The debugger name the thread was given.
  const std::string& DebuggerName() const { return debuggerName_; }

  // Entry of the native thread; writes "THREAD BEGIN" / "THREAD END".
  static unsigned long CallBack(void* object);

  static uint32_t CurrentId();

 private:
  bool CreateSuspended();  // sets handle_ and id_
  void ApplyDebuggerName();
  bool ResumeNative();
  void WaitAndRelease();   // handle_ is set; resumes a never-started thread
  void DetachNative();     // let a thread go without waiting (own thread)
  void WaitAndReleaseOrLetGo();

  uint32_t id_ = kNoThread;
  void* handle_ = nullptr;
  Procedure procedure_;
  void* parameter_ = nullptr;
  std::wstring name_;
  std::string debuggerName_;
  bool resumed_ = false;
  // Read by the worker when it is released before it was ever resumed.
  std::atomic<bool> cancelled_{false};
};

// The owners' restart pattern: join and free the previous worker, create a
// new one and resume it. Safe from the previous worker's own thread (it is
// then let go instead of joined).
void RestartThread(std::unique_ptr<Thread>* slot, void* parameter, const std::wstring& name,
                   Thread::Procedure procedure);

// Runs `work` on a new thread that nobody joins; false (and `work` not run)
// when no thread could be had. The thread owns `work`; whatever else it
// touches must outlive it. Native threads rather than std::thread::detach:
// MinGW's winpthreads can free a thread detached right after its creation
// before the thread has read its start routine.
bool RunDetached(std::function<void()> work);

}  // namespace Utils
