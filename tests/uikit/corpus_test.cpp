// Replays the malformed inputs kept under corpus/ (hand-written cases and
// whatever fuzzing found) through each parser: every one must come back
// with an answer, not a crash, a hang or a runaway allocation.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/scratch_dir.h"
#include "uikit/markup.h"
#include "uikit/package.h"
#include "uikit/values.h"

namespace SkinUI {
namespace {

std::vector<std::string> CorpusOf(const char* kind) {
  std::vector<std::string> inputs;
  std::filesystem::path dir = std::filesystem::u8path(std::string(SKINUI_TEST_CORPUS) + "/" + kind);
  for (const auto& item : std::filesystem::directory_iterator(dir))
    if (item.is_regular_file()) inputs.push_back(quillon_test::ReadBytes(item.path()));
  return inputs;
}

TEST(Corpus, MarkupAnswersEveryInput) {
  auto inputs = CorpusOf("markup");
  ASSERT_FALSE(inputs.empty());
  for (const std::string& input : inputs) {
    MarkupNode root;
    std::string error;
    size_t offset = 0;
    if (!ParseMarkup(input, &root, &error, &offset)) {
      EXPECT_FALSE(error.empty());
      EXPECT_TRUE(root.name.empty());
    }
    EXPECT_LE(offset, input.size());
  }
}

TEST(Corpus, PackageAnswersEveryInput) {
  auto inputs = CorpusOf("package");
  ASSERT_FALSE(inputs.empty());
  for (const std::string& input : inputs) {
    std::string error;
    auto package = SkinPackage::Open(input.data(), input.size(), &error);
    if (!package) {
      EXPECT_TRUE(error == "Error opening zip file" || error == "Could not unzip file") << error;
      continue;
    }
    uint64_t total = 0;
    for (const auto& entry : package->Entries()) total += entry.bytes.size();
    EXPECT_LE(total, kMaxPackageUnpackedSize);
  }
}

// Value inputs are one per line.
std::vector<std::string> Lines(const std::vector<std::string>& files) {
  std::vector<std::string> lines;
  for (const std::string& file : files) {
    size_t start = 0;
    while (start <= file.size()) {
      size_t end = file.find('\n', start);
      if (end == std::string::npos) end = file.size();
      lines.push_back(file.substr(start, end - start));
      start = end + 1;
    }
  }
  return lines;
}

TEST(Corpus, ValuesAnswerEveryInput) {
  auto lines = Lines(CorpusOf("values"));
  ASSERT_FALSE(lines.empty());
  for (const std::string& line : lines) {
    int i;
    Rect r;
    Size s;
    Point p;
    uint32_t c;
    if (!ParseInt(line, &i)) {
      EXPECT_EQ(i, 0) << line;
    }
    if (!ParseRect(line, &r)) {
      EXPECT_EQ(r, Rect{}) << line;
    }
    if (!ParseSize(line, &s)) {
      EXPECT_EQ(s.cx, 0) << line;
    }
    if (!ParsePoint(line, &p)) {
      EXPECT_EQ(p.x, 0) << line;
    }
    if (!ParseColour(line, &c)) {
      EXPECT_EQ(c, 0u) << line;
    }
  }
}

TEST(Corpus, DescriptorsAnswerEveryInput) {
  auto lines = Lines(CorpusOf("descriptor"));
  ASSERT_FALSE(lines.empty());
  for (const std::string& line : lines) {
    ImageDescriptor d;
    if (!ParseImageDescriptor(line, &d)) {
      EXPECT_TRUE(d.IsEmpty()) << line;
    }
    EXPECT_GE(d.fade, 0);
    EXPECT_LE(d.fade, 255);
  }
}

}  // namespace
}  // namespace SkinUI
