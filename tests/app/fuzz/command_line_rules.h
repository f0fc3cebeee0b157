// What the command line's rules promise for any line, checked by the fuzz
// target and by the suite's replay of corpus/command_line. Returns the
// first promise broken, empty when all hold.
#pragma once

#include <string>
#include <vector>

#include "app/installer_config.h"
#include "utils/cmdline.h"
#include "utils/utf8.h"

namespace quillon_fuzz {

inline std::string CheckCommandLine(const std::wstring& line, InstallerConfig* config) {
  const std::vector<std::wstring> tokens = Utils::SplitCommandLine(line);
  if (line.empty() != tokens.empty()) return "an empty line and no tokens go together";

  // Every argument, quoted, comes back as it was: the package's and the
  // uninstaller's command lines are built that way.
  std::wstring rebuilt = L"prog";
  for (size_t i = 1; i < tokens.size(); ++i) rebuilt += L" " + Utils::QuoteCommandLineArgument(tokens[i]);
  std::vector<std::wstring> again = Utils::SplitCommandLine(rebuilt);
  if (again.empty() || again[0] != L"prog") return "the rebuilt line lost its program";
  again[0] = tokens.empty() ? L"prog" : tokens[0];
  if (tokens.size() > 1 && again != tokens) return "a quoted argument did not come back unchanged";

  // Every argument is a switch of the map, by itself or up to its "=".
  const CommandLineMap map = BuildCommandLineMap(tokens);
  for (size_t i = 1; i < tokens.size(); ++i) {
    const std::wstring& t = tokens[i];
    const size_t eq = t.find(L'=');
    if (!map.count(!t.empty() && t[0] == L'-' && eq != std::wstring::npos ? t.substr(0, eq) : t))
      return "an argument is missing from the map";
  }

  ApplyCommandLine(*config, tokens);
  return "";
}

}  // namespace quillon_fuzz
