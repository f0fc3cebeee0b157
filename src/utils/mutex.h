// A system-wide single-instance guard.
//
// Windows: the named mutex "D1A547DB89C0BC61_" + name. Linux: an exclusive
// lock on the file of that name in $XDG_RUNTIME_DIR (else /tmp); the lock
// goes away with the process. Either way a second holder, in this process
// or another, is refused.
//
// Ownership: the object holds the guard from a successful Acquire until
// Release or destruction; one thread at a time.
#pragma once

#include <cstdint>
#include <string>

namespace Utils {

class SingleInstanceMutex {
 public:
  static const wchar_t kPrefix[];

  SingleInstanceMutex() = default;
  ~SingleInstanceMutex() { Release(); }
  SingleInstanceMutex(const SingleInstanceMutex&) = delete;
  SingleInstanceMutex& operator=(const SingleInstanceMutex&) = delete;

  // Takes the guard unless this object holds one already. True exactly
  // when it is held afterwards.
  bool Acquire(const std::wstring& name);
  void Release();
  bool IsHeld() const { return handle_ != kNone; }
  const std::wstring& Name() const { return name_; }

 private:
  static constexpr std::intptr_t kNone = -1;
  std::wstring name_;
  std::intptr_t handle_ = kNone;  // HANDLE on Windows, a descriptor on Linux
};

}  // namespace Utils
