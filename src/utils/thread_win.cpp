#include <windows.h>
#include <process.h>

#include <memory>
#include <mutex>

#include "thread.h"

namespace Utils {
namespace {

constexpr DWORD kSetThreadNameException = 0x406D1388;

#pragma pack(push, 8)
struct THREADNAME_INFO {
  DWORD dwType;      // 0x1000
  LPCSTR szName;
  DWORD dwThreadID;
  DWORD dwFlags;
};
#pragma pack(pop)

LONG CALLBACK SwallowThreadNameException(EXCEPTION_POINTERS* info) {
  return info->ExceptionRecord->ExceptionCode == kSetThreadNameException
             ? EXCEPTION_CONTINUE_EXECUTION
             : EXCEPTION_CONTINUE_SEARCH;
}

// GCC has no __try/__except: a vectored handler accepts the naming
// exception after an attached debugger has had its first look at it.
void RaiseThreadNameException(const std::string& name, DWORD threadId) {
  static std::once_flag installed;
  std::call_once(installed, [] { AddVectoredExceptionHandler(1, SwallowThreadNameException); });
  THREADNAME_INFO info{0x1000, name.c_str(), threadId, 0};
  RaiseException(kSetThreadNameException, 0, sizeof(info) / sizeof(ULONG_PTR),
                 reinterpret_cast<const ULONG_PTR*>(&info));
}

std::string AnsiName(const std::wstring& name) {
  const int n = WideCharToMultiByte(CP_ACP, 0, name.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return std::string();
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, name.c_str(), -1, &out[0], n, nullptr, nullptr);
  out.resize(static_cast<size_t>(n) - 1);
  return out;
}

unsigned __stdcall DetachedEntry(void* argument) {
  std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(argument));
  (*work)();
  work.reset();
  _endthreadex(0);
  return 0;
}

unsigned __stdcall Entry(void* object) {
  Thread::CallBack(object);
  _endthreadex(0);
  return 0;
}

}  // namespace

uint32_t Thread::CurrentId() { return GetCurrentThreadId(); }

bool Thread::CreateSuspended() {
  unsigned id = 0;
  const uintptr_t h = _beginthreadex(nullptr, 0, Entry, this, CREATE_SUSPENDED, &id);
  if (h == 0) return false;
  handle_ = reinterpret_cast<void*>(h);
  id_ = id;
  return true;
}

void Thread::ApplyDebuggerName() {
  const std::wstring wide = name_.empty() ? L"t" + std::to_wstring(id_) : name_;
  debuggerName_ = name_.empty() ? "t" + std::to_string(id_) : AnsiName(name_);
  // Windows 10 keeps the name with the thread, for every later debugger.
  using SetDescription = HRESULT(WINAPI*)(HANDLE, PCWSTR);
  if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll")) {
    if (auto set = reinterpret_cast<SetDescription>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "SetThreadDescription")))) {
      set(static_cast<HANDLE>(handle_), wide.c_str());
    }
  }
  // Debuggers attached now, on any version, read the naming exception.
  RaiseThreadNameException(debuggerName_, id_);
}

bool Thread::ResumeNative() { return ResumeThread(static_cast<HANDLE>(handle_)) != static_cast<DWORD>(-1); }

void Thread::WaitAndRelease() {
  if (!resumed_) ResumeNative();
  WaitForSingleObject(static_cast<HANDLE>(handle_), INFINITE);
  CloseHandle(static_cast<HANDLE>(handle_));
}

void Thread::DetachNative() { CloseHandle(static_cast<HANDLE>(handle_)); }

bool RunDetached(std::function<void()> work) {
  auto* owned = new std::function<void()>(std::move(work));
  const uintptr_t h = _beginthreadex(nullptr, 0, DetachedEntry, owned, 0, nullptr);
  if (h == 0) {
    delete owned;
    return false;
  }
  CloseHandle(reinterpret_cast<HANDLE>(h));
  return true;
}

}  // namespace Utils
