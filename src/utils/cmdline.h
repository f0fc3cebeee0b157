// Windows command-line tokenising.
//
// The package and uninstaller command lines are written for Windows; the
// Linux build splits them with the same rules, so that one string means the
// same arguments on both targets.
#pragma once

#include <string>
#include <vector>

namespace Utils {

// The rules of CommandLineToArgvW: the first token (the program) ends at
// the next quote when it starts with one, else at the first space or tab,
// with no backslash rules; afterwards quotes group, 2n backslashes before a
// quote are n backslashes and the quote toggles grouping, 2n+1 are n and a
// literal quote, a quote that follows a closing quote inside a group is
// literal, and other backslashes are literal. An empty line gives no tokens.
std::vector<std::wstring> SplitCommandLine(const std::wstring& line);

// Quotes one argument so that SplitCommandLine (and CommandLineToArgvW)
// give it back unchanged: left as it is without blanks or quotes.
std::wstring QuoteCommandLineArgument(const std::wstring& argument);

// The system's own tokenising: CommandLineToArgvW on Windows (an empty line
// gives the program's path there), SplitCommandLine on Linux.
std::vector<std::wstring> SystemSplitCommandLine(const std::wstring& line);

// The running process's arguments, program first: its command line split
// by the system on Windows, its argv (from /proc/self/cmdline) on Linux.
std::vector<std::wstring> ProcessArguments();

}  // namespace Utils
