// The PNG corpus of tests/uikit/corpus/png, compiled in.
#pragma once

#include <string>
#include <vector>

namespace skinui_test {

struct CorpusFile {
  const char* name;
  std::string bytes;
};
const std::vector<CorpusFile>& PngCorpus();

}  // namespace skinui_test
