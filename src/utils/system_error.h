// The system's error codes (GetLastError on Windows, errno on Linux) as they
// reach trace lines, and the exception that carries one.
//
// Every trace line that reports a failed system call ends its cause the same
// way, so a reader (or a grep) can tell a missing program from a failed pipe:
//
//   uninstaller did not start: "C:\...\uninst.exe" /S ...; CreateProcessW (error 2: File not found)
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace Utils {

// The calling thread's last system error; read it before any other call
// can overwrite it.
uint32_t LastSystemError();

// The system's own words for `code`: one line, without a trailing line end
// or full stop; empty when the system has none.
std::wstring SystemErrorText(uint32_t code);

// " (error 2: The system cannot find the file specified)"; " (error N)"
// when the system has no words for N; empty for 0, so a caller appends it
// whether or not a code was known.
std::wstring SystemErrorNote(uint32_t code);

// A failure of this floor. `operation` names the step that failed (a
// string literal: it is kept, not copied) and is what() answers; `code` is
// the system's error code, 0 when no system call failed (a refused
// argument, say).
class Exception : public std::exception {
 public:
  Exception() noexcept = default;
  explicit Exception(const char* operation, uint32_t code = 0) noexcept : operation_(operation), code_(code) {}

  const char* what() const noexcept override { return operation_; }
  uint32_t Code() const noexcept { return code_; }

 private:
  const char* operation_ = "";
  uint32_t code_ = 0;
};

// What a trace line says about a caught exception: its what() and, for an
// Exception, SystemErrorNote of its code.
//   "CreateProcessW (error 2: File not found)"
std::wstring TraceText(const std::exception& e);

}  // namespace Utils
