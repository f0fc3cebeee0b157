// Child processes with piped standard handles.
//
// Ownership: a PipedProcess owns its pipe ends and the handle of the child
// it started; it belongs to one thread at a time. Destroying it closes what
// it owns but does not stop the child, and does not wait for it.
//
// The child's standard output is a pipe the owner reads; its standard
// input is a pipe nothing writes to; its standard error goes to the null
// device. (Nothing would read an error pipe, so a child that wrote more
// than the pipe holds to it would block forever, and with it the owner
// waiting for the child.)
//
// On Linux the command line is split with the Windows rules
// (SplitCommandLine) and the program is looked up like execvp does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "system_error.h"

namespace Utils {

// Both ends of one anonymous pipe, none until Create. Handles are the
// system's own (HANDLE on Windows, a file descriptor on Linux), kNoHandle
// when not set. Destruction closes what is set.
class AnonymousPipe {
 public:
  using Handle = std::intptr_t;
  static constexpr Handle kNoHandle = -1;

  AnonymousPipe() = default;
  ~AnonymousPipe() { Close(); }
  AnonymousPipe(AnonymousPipe&& other) noexcept;
  AnonymousPipe& operator=(AnonymousPipe&& other) noexcept;
  AnonymousPipe(const AnonymousPipe&) = delete;
  AnonymousPipe& operator=(const AnonymousPipe&) = delete;

  // Both ends inheritable (Windows) with the system's default size.
  // Throws Exception with the system's code; nothing stays open then.
  void Create();
  void Close();
  void CloseRead();
  void CloseWrite();
  // The end stays with the parent: not passed to children.
  void KeepFromChildren(Handle end);

  Handle ReadEnd() const { return read_; }
  Handle WriteEnd() const { return write_; }

 private:
  Handle read_ = kNoHandle;
  Handle write_ = kNoHandle;
};

class PipedProcess {
 public:
  static constexpr size_t kCommandLineCapacity = 1024;
  // The code GetExitCodeProcess answers for a child still running.
  static constexpr uint32_t kStillActive = 259;

  PipedProcess();
  ~PipedProcess();
  PipedProcess(PipedProcess&& other) noexcept;
  PipedProcess& operator=(PipedProcess&& other) noexcept;
  PipedProcess(const PipedProcess&) = delete;
  PipedProcess& operator=(const PipedProcess&) = delete;

  // Starts the child. Throws Exception for a command line of 1024
  // characters or more, when a pipe cannot be made, when the program cannot
  // be started, or when a child was started already; the system's code
  // comes with the failures of system calls.
  void Start(const std::wstring& commandLine);
  // The same, with the program taken from `image` when it is not
  // kNoHandle: on Linux a descriptor of the program's bytes that is
  // executed instead of a file looked up by name (the command line's first
  // token is still the child's argv[0]); on Windows the program is always
  // the command line's path, held open by the caller.
  void Start(const std::wstring& commandLine, std::intptr_t image);

  // Reads what the child wrote to its standard output; blocks until there
  // is some. False when the pipe has ended (the child and everything that
  // inherited it closed it) or fails; *got is then 0.
  bool ReadOutput(void* buffer, size_t size, size_t* got);
  // What a bounded read found.
  enum class ReadStatus {
    kData,     // *got bytes were read
    kNothing,  // the time ran out with nothing to read
    kEnded,    // the pipe has ended or fails; it never gives data again
  };
  // Reads what is there, waiting at most `milliseconds` (0: only looks).
  // Never blocks longer, whoever else holds the pipe open (a descendant
  // of the child that inherited it, say).
  ReadStatus ReadOutputFor(void* buffer, size_t size, size_t* got, uint32_t milliseconds);

  // The child's exit code once it has ended, kStillActive while it runs
  // (on Linux: while it is not yet reaped). A child killed by a signal on
  // Linux ends with 128 + the signal number.
  uint32_t ExitCode();
  // Waits for the end of the child without time limit; its exit code.
  uint32_t Wait();
  // Waits at most `milliseconds`; true with *code when the child ended.
  bool WaitFor(uint32_t milliseconds, uint32_t* code);
  // Ends the child at once (tests and emergencies). False without a child.
  bool Terminate();

  uint32_t ProcessId() const { return processId_; }
  const std::wstring& CommandLine() const { return commandLine_; }

 private:
  void CloseAll();

  std::wstring commandLine_;
  AnonymousPipe output_, input_;
  std::intptr_t process_ = AnonymousPipe::kNoHandle;  // HANDLE; unused on Linux
  std::intptr_t thread_ = AnonymousPipe::kNoHandle;   // HANDLE; unused on Linux
  uint32_t processId_ = 0;
  uint32_t threadId_ = 0;
  bool reaped_ = false;  // Linux: waitpid has collected the child
  uint32_t exitCode_ = kStillActive;
};

}  // namespace Utils
