// Stands in for an installed older version's uninstaller. It takes the
// command line the installer gives it ("/S -adminact=.. -authorizationact=..
// -console=show _?=<folder>") and follows "<folder>/script.txt", one step a
// line:
//   write:TEXT   writes TEXT and a line feed to standard output (one write)
//   raw:TEXT     writes TEXT without a line feed
//   sleep:MS     sleeps
//   remove       removes the installation folder
//   hold:FILE    starts a copy of itself that keeps standard output open
//                for a minute and writes its process id to FILE
//   exit:CODE    exits with CODE at once
// Without a script it removes the folder. Its arguments, one a line, go to
// "<folder>.args" beside the folder, the program first.
// Started as "old_uninstaller hold", it sleeps for a minute.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "old_uninstaller_platform.h"
#include "utils/cmdline.h"
#include "utils/utf8.h"

namespace fs = std::filesystem;

int main() {
  const std::vector<std::wstring> args = Utils::ProcessArguments();
  if (args.size() >= 2 && args[1] == L"hold") {
    std::this_thread::sleep_for(std::chrono::seconds(60));
    return 0;
  }
  // "_?=" takes the rest of the line, spaces and all.
  std::wstring folder;
  bool inFolder = false;
  for (size_t i = 1; i < args.size(); ++i) {
    if (inFolder) {
      folder += L" " + args[i];
    } else if (args[i].compare(0, 3, L"_?=") == 0) {
      folder = args[i].substr(3);
      inFolder = true;
    }
  }
  if (folder.empty()) return 2;
  const fs::path root(folder);
  {
    std::ofstream out(fs::path(folder + L".args"), std::ios::binary);
    for (const std::wstring& a : args) out << Utils::WideToUtf8(a) << "\n";
  }

  std::vector<std::string> steps;
  {
    // Closed before the steps run: an open file could not be removed.
    std::ifstream script(root / "script.txt", std::ios::binary);
    for (std::string line; std::getline(script, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      steps.push_back(line);
    }
    if (!script.is_open()) steps.push_back("remove");
  }
  // The status stream is bytes: no line-end translation.
  BinaryOutput();

  for (const std::string& step : steps) {
    const std::string::size_type colon = step.find(':');
    const std::string verb = step.substr(0, colon);
    const std::string rest = colon == std::string::npos ? "" : step.substr(colon + 1);
    if (verb == "write" || verb == "raw") {
      const std::string bytes = verb == "write" ? rest + "\n" : rest;
      fwrite(bytes.data(), 1, bytes.size(), stdout);
      fflush(stdout);
    } else if (verb == "sleep") {
      std::this_thread::sleep_for(std::chrono::milliseconds(std::atol(rest.c_str())));
    } else if (verb == "remove") {
      std::error_code ignored;
      fs::remove_all(root, ignored);
    } else if (verb == "hold") {
      const unsigned long id = StartHolder(Utils::Utf8ToWide(rest));
      if (id == 0) return 3;
    } else if (verb == "exit") {
      fflush(stdout);
      return std::atoi(rest.c_str());
    }
  }
  return 0;
}
