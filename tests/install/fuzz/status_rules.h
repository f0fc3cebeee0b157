// What the status stream promises for any output of a package or of an
// old version's uninstaller, checked by the fuzz target and by the suite's
// replay of corpus/status. The output is read as the runners read it:
// chunk by chunk, each decoded in the code page the stream asked for so
// far. Returns the first promise broken, empty when all hold.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "install/status_stream.h"
#include "utils/text.h"

namespace quillon_fuzz {

inline std::string CheckEvents(int result, const std::vector<Install::StatusEvent>& events, int succeeded,
                               int failed) {
  int verdict = Install::kStreamNoState;
  for (const Install::StatusEvent& e : events) {
    if (!e.key) return "an event without its key";
    if (e.text.size() > Install::kStatusValueCapacity) return "a text beyond the capacity";
    if (!std::isfinite(e.value)) return "a value that is not a number";
    if (e.code == succeeded) verdict = Install::kStreamSuccess;
    if (e.code == failed) verdict = Install::kStreamFailure;
  }
  // The chunk's last final line decides.
  if (result != verdict) return "the chunk's result is not its last final line";
  return "";
}

// `chunkSize` bytes per read; 0 reads the whole output at once.
inline std::string CheckStatusOutput(const std::string& output, size_t chunkSize) {
  if (chunkSize == 0) chunkSize = output.size() + 1;
  Install::PackageStreamState package;
  int32_t uninstallPage = 0;
  for (size_t at = 0; at < output.size(); at += chunkSize) {
    const std::string bytes = output.substr(at, chunkSize);
    std::vector<Install::StatusEvent> events;
    int result = Install::ParsePackageChunk(Utils::MultiByteToWide(bytes, static_cast<unsigned>(package.codePage)),
                                            &package, &events);
    std::string broken = CheckEvents(result, events, kInstallSucceeded, kInstallFailed);
    if (!broken.empty()) return "package: " + broken;

    events.clear();
    result = Install::ParseUninstallChunk(Utils::MultiByteToWide(bytes, static_cast<unsigned>(uninstallPage)),
                                          &uninstallPage, &events);
    broken = CheckEvents(result, events, kUninstallSucceeded, kUninstallFailed);
    if (!broken.empty()) return "uninstaller: " + broken;
    if (uninstallPage != 0 && uninstallPage != 65001) return "uninstaller: a code page other than ANSI or UTF-8";
  }
  return "";
}

// Whole, a byte per read (every line split across reads) and an odd size
// in between.
inline std::string CheckStatusOutput(const std::string& output) {
  for (size_t chunkSize : {size_t{0}, size_t{1}, size_t{7}}) {
    const std::string broken = CheckStatusOutput(output, chunkSize);
    if (!broken.empty()) return broken + " (reads of " + std::to_string(chunkSize) + ")";
  }
  return "";
}

}  // namespace quillon_fuzz
