// The malformed inputs kept beside a suite (hand-written cases and whatever
// fuzzing found), one file each, for the suite to replay through the
// parser the fuzz target drives.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/scratch_dir.h"

namespace quillon_test {

struct CorpusInput {
  std::string name;   // the file's name, for failure messages
  std::string bytes;
};

// Every file of `root`/`kind`, in name order so that failures read the same
// on every run.
inline std::vector<CorpusInput> CorpusOf(const std::string& root, const std::string& kind) {
  std::vector<CorpusInput> inputs;
  const std::filesystem::path dir = std::filesystem::u8path(root + "/" + kind);
  for (const auto& item : std::filesystem::directory_iterator(dir))
    if (item.is_regular_file()) inputs.push_back({item.path().filename().u8string(), ReadBytes(item.path())});
  std::sort(inputs.begin(), inputs.end(),
            [](const CorpusInput& a, const CorpusInput& b) { return a.name < b.name; });
  return inputs;
}

inline const CorpusInput* FindInput(const std::vector<CorpusInput>& inputs, const std::string& name) {
  for (const CorpusInput& input : inputs)
    if (input.name == name) return &input;
  return nullptr;
}

}  // namespace quillon_test
