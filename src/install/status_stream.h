// The package status stream: the key=value lines an installation package
// (and an old version's uninstaller) writes to its standard output.
//
// Everything here is pure: one chunk of text in, the notifications it asks
// for and the new stream state out. The runners do the reading, the code
// page conversion and the sending.
//
// A chunk is what one read returned. Lines are cut at line feeds only; a
// carriage return before the line feed stays with its line, so untrimmed
// values keep it. A line split across two reads is two partial lines.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "install/pipeline_codes.h"

namespace Install {

// Values passed as text hold at most this many characters; longer ones
// are cut here.
constexpr size_t kStatusValueCapacity = 771;

// What the package runner's Parse returns.
constexpr int kStreamNoState = 0;
constexpr int kStreamSuccess = 1;
constexpr int kStreamFailure = 1000;

// The failure texts sent for "State=Fail" by the package and by an old
// version's uninstaller.
extern const wchar_t kPackageFailText[];
extern const wchar_t kUninstallFailText[];

struct PackageStreamState {
  int32_t codePage = 0;  // 0: the system ANSI code page
  int32_t version[3] = {0, 0, 0};
};

struct StatusEvent {
  int code;
  double value;
  std::wstring text;
  const wchar_t* key;  // the key of the line that asked for it
};

// One chunk of the package's stream. Appends the notifications in line
// order and returns kStreamNoState, kStreamSuccess or kStreamFailure (the
// last final line of the chunk decides). Encode= changes state->codePage,
// which the caller applies to the next chunk.
int ParsePackageChunk(const std::wstring& chunk, PackageStreamState* state, std::vector<StatusEvent>* events);

// One chunk of an old version's uninstaller, which knows four keys:
// "Progress=" (5002), "Error=" (5005 with the text), "State=" (5003 for
// Success, 5005 for Fail) and "Encode=" (65001 for "UTF8", else 0, into
// *codePage). Returns as ParsePackageChunk does.
int ParseUninstallChunk(const std::wstring& chunk, int32_t* codePage, std::vector<StatusEvent>* events);

// The rules the lines use.
std::vector<std::wstring> SplitStatusLines(const std::wstring& chunk);
// White space (space, tab, CR, LF, VT, FF) off both ends.
std::wstring TrimStatusValue(const std::wstring& value);
// A value as passed on: cut to kStatusValueCapacity characters.
std::wstring StatusText(const std::wstring& value);
// A decimal floating-point number at the start (after white space), 0.0
// when there is none.
double LeadingDouble(const std::wstring& value);
// strtol's reading on a 32-bit long: white space, a sign, digits; 0 when
// there are none. *ok tells whether digits were found; a number beyond
// the 32-bit range saturates and leaves *inRange false.
int32_t LeadingInteger(const std::wstring& value, bool* ok = nullptr, bool* inRange = nullptr);
// "UTF8" -> 65001, "ACP" -> 0, else the number; no number or one beyond
// the 32-bit range -> 0. The value is trimmed first.
int32_t EncodeCodePage(const std::wstring& value);
// "NonStartup" 0, "AutoStartup" 1, "UserStartup" 2, anything else 0.
int StartupStyleNumber(const std::wstring& value);
// Up to three numbers "a.b.c" into version; a number that cannot be read
// ends the reading and keeps its earlier value (and those after it).
void ReadInstallVersion(const std::wstring& value, int32_t version[3]);

}  // namespace Install
