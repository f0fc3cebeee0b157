// What the demo package needs from the system, one file per target.
#pragma once

#include <string>
#include <vector>

namespace demo {

// Writes the bytes to standard output in one call, unbuffered and
// untranslated. False when the output is gone.
bool WriteOut(const std::string& bytes);
void SleepMilliseconds(unsigned milliseconds);
unsigned long CurrentProcessId();
// Ends the process the way a crash does, without a dialog or a core file:
// an access violation's exit code on Windows, SIGSEGV on Linux.
[[noreturn]] void Crash();
// Starts `arguments` (program first) as a detached descendant that
// inherits this process's standard output. False when it cannot start.
bool StartInheritingChild(const std::vector<std::wstring>& arguments);
// Prepares the process: binary standard output, a broken pipe is a failed
// write rather than a signal.
void Initialise();

}  // namespace demo
