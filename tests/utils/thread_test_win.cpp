#include <windows.h>

#include <gtest/gtest.h>

#include "thread_test_platform.h"
#include "utils/thread.h"
#include "utils/utf8.h"

namespace quillon_test {

std::string CurrentThreadName() {
  using GetDescription = HRESULT(WINAPI*)(HANDLE, PWSTR*);
  auto get = reinterpret_cast<GetDescription>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetThreadDescription")));
  if (!get) return "<no GetThreadDescription>";
  PWSTR text = nullptr;
  if (FAILED(get(GetCurrentThread(), &text)) || !text) return "<failed>";
  std::string name = Utils::WideToUtf8(text);
  LocalFree(text);
  return name;
}

std::string AsSystemKeepsIt(const std::string& name) { return name; }

}  // namespace quillon_test

namespace {

unsigned long ReturnsSeventySeven(void*) { return 77; }

}  // namespace

TEST(WorkerThread, ExitCodeIsZeroWhateverTheProcedureReturns) {
  Utils::Thread worker(nullptr, L"ABDEF", ReturnsSeventySeven);
  ASSERT_TRUE(worker.Resume());
  auto handle = static_cast<HANDLE>(worker.NativeHandle());
  ASSERT_EQ(WaitForSingleObject(handle, 20000), WAIT_OBJECT_0);
  DWORD code = 12345;
  ASSERT_TRUE(GetExitCodeThread(handle, &code));
  EXPECT_EQ(code, 0u);
}
