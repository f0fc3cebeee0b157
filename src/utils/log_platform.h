// What each target supplies to the trace-line facility (log_win.cpp,
// log_posix.cpp). Internal to src/utils.
#pragma once

#include <cstdarg>
#include <string>

#include "log.h"

namespace Utils::log::platform {

// Formats with the target's wide printf family into *out. False when the
// size overflows or memory runs out; *out is then unspecified.
bool FormatLine(const wchar_t* format, va_list args, std::wstring* out);

// Hands one complete line to the debugger channel.
void EmitLine(const std::wstring& line);

LogOrigin Now();

}  // namespace Utils::log::platform
