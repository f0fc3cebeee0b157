#include "uikit/package.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/scratch_dir.h"

namespace SkinUI {
namespace {

std::string Fixture(const char* name) { return quillon_test::ReadBytes(std::string(SKINUI_TEST_FIXTURES) + "/" + name); }

std::unique_ptr<SkinPackage> OpenFixture(const char* name, std::string* error) {
  std::string bytes = Fixture(name);
  EXPECT_FALSE(bytes.empty()) << name;
  return SkinPackage::Open(bytes.data(), bytes.size(), error);
}

class SkinFixture : public testing::Test {
 protected:
  void SetUp() override {
    bytes_ = Fixture("skin.7z");
    std::string error;
    package_ = SkinPackage::Open(bytes_.data(), bytes_.size(), &error);
    ASSERT_NE(package_, nullptr) << error;
  }
  std::string bytes_;
  std::unique_ptr<SkinPackage> package_;
};

TEST_F(SkinFixture, HoldsEveryFileButNoDirectoriesInArchiveOrder) {
  std::vector<std::string> paths;
  uint32_t lastIndex = 0;
  for (const auto& entry : package_->Entries()) {
    paths.push_back(entry.path);
    EXPECT_TRUE(paths.size() == 1 || entry.index > lastIndex);
    lastIndex = entry.index;
  }
  std::vector<std::string> sorted = paths;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, (std::vector<std::string>{"mainWnd.xml", "res/common/closebtn1.png", "res/common/empty.txt",
                                               "res/mainWnd/bg1.png", "\xE5\xAD\x97\xE4\xBD\x93/\xE5\x90\x8D\xE5\xAD\x97.txt"}));
}

TEST_F(SkinFixture, FindsEntriesIgnoringCaseAndSlashForm) {
  std::string bytes, error;
  ASSERT_TRUE(package_->ReadEntry("MainWnd.xml", &bytes, &error)) << error;
  EXPECT_NE(bytes.find("<Window"), std::string::npos);
  std::string forward, backward;
  ASSERT_TRUE(package_->ReadEntry("res/mainWnd/bg1.png", &forward, &error));
  ASSERT_TRUE(package_->ReadEntry("res\\mainWnd\\bg1.png", &backward, &error));
  EXPECT_EQ(forward, "bg1 placeholder");
  EXPECT_EQ(forward, backward);
  EXPECT_EQ(package_->Find("RES\\MAINWND/BG1.PNG"), package_->Find("res/mainWnd/bg1.png"));
  ASSERT_TRUE(package_->ReadEntry("\xE5\xAD\x97\xE4\xBD\x93\\\xE5\x90\x8D\xE5\xAD\x97.txt", &bytes, &error));
  EXPECT_EQ(bytes, "\xE4\xB8\xAD\xE6\x96\x87");
}

TEST_F(SkinFixture, MissingOrEmptyEntriesAreErrors) {
  std::string bytes = "stale", error;
  for (const char* absent : {"mainWnd.xm", "mainWnd.xml ", "/mainWnd.xml", "res/mainWnd", "res/mainWnd/", "", "bg1.png"}) {
    EXPECT_FALSE(package_->ReadEntry(absent, &bytes, &error)) << absent;
    EXPECT_EQ(error, "Could not find ziped file") << absent;
    EXPECT_TRUE(bytes.empty());
  }
  EXPECT_FALSE(package_->ReadEntry("res/common/empty.txt", &bytes, &error));
  EXPECT_EQ(error, "File is empty");
}

TEST(SkinPackage, EntriesOverFourMebibytesAreRefused) {
  std::string error;
  auto package = OpenFixture("large.7z", &error);
  ASSERT_NE(package, nullptr) << error;
  std::string bytes;
  ASSERT_TRUE(package->ReadEntry("limit.bin", &bytes, &error)) << error;
  EXPECT_EQ(bytes.size(), kMaxEntrySize);
  EXPECT_FALSE(package->ReadEntry("over.bin", &bytes, &error));
  EXPECT_EQ(error, "File too large");
  EXPECT_TRUE(bytes.empty());
}

TEST(SkinPackage, RefusesWhatItCannotOrMustNotUnpack) {
  struct Case {
    const char* fixture;
    const char* error;
  };
  for (const Case& c : {Case{"huge.7z", "Could not unzip file"}, Case{"encrypted.7z", "Could not unzip file"},
                        Case{"encrypted_headers.7z", "Error opening zip file"},
                        Case{"ppmd_greedy.7z", "Could not unzip file"}}) {
    std::string error;
    EXPECT_EQ(OpenFixture(c.fixture, &error), nullptr) << c.fixture;
    EXPECT_EQ(error, c.error) << c.fixture;
  }
  std::string error;
  EXPECT_EQ(SkinPackage::Open(nullptr, 0, &error), nullptr);
  EXPECT_EQ(error, "Error opening zip file");
  std::string notArchive = "<Window/>";
  EXPECT_EQ(SkinPackage::Open(notArchive.data(), notArchive.size(), &error), nullptr);
  EXPECT_EQ(error, "Error opening zip file");
}

// Every prefix of a real archive, and every single-byte change of a stored
// one, either opens with the right contents or fails; none may crash.
TEST(SkinPackage, TruncatedAndCorruptArchivesFailCleanly) {
  for (const char* name : {"skin.7z", "copy.7z"}) {
    std::string good = Fixture(name);
    ASSERT_FALSE(good.empty());
    std::string error;
    for (size_t length = 0; length < good.size(); ++length) {
      EXPECT_EQ(SkinPackage::Open(good.data(), length, &error), nullptr) << name << " cut at " << length;
    }
    std::string reference;
    ASSERT_TRUE(SkinPackage::Open(good.data(), good.size(), &error)->ReadEntry("mainWnd.xml", &reference, &error));
    for (size_t at = 0; at < good.size(); ++at) {
      std::string bad = good;
      bad[at] = static_cast<char>(bad[at] ^ 0x5A);
      auto package = SkinPackage::Open(bad.data(), bad.size(), &error);
      if (!package) continue;
      // A change the CRCs cannot see: only bytes outside the checked data.
      std::string bytes;
      if (package->ReadEntry("mainWnd.xml", &bytes, &error)) {
        EXPECT_EQ(bytes, reference) << name << " at " << at;
      }
    }
  }
}

// The process's package: a failed open leaves none, the first good open
// wins, and the package does not depend on the caller's buffer.
TEST(SkinPackage, OpenedOnceFromACopy) {
  std::string error;
  std::string garbage = "not an archive";
  EXPECT_EQ(OpenPackageOnce(garbage.data(), garbage.size(), &error), nullptr);
  EXPECT_EQ(error, "Error opening zip file");
  EXPECT_EQ(OpenedPackage(), nullptr);

  std::string bytes = Fixture("skin.7z");
  SkinPackage* first = OpenPackageOnce(bytes.data(), bytes.size(), &error);
  ASSERT_NE(first, nullptr) << error;
  std::fill(bytes.begin(), bytes.end(), '\0');
  EXPECT_EQ(OpenedPackage(), first);
  EXPECT_EQ(OpenPackageOnce(garbage.data(), garbage.size(), &error), first);
  std::string entry;
  EXPECT_TRUE(first->ReadEntry("mainwnd.XML", &entry, &error));
}

}  // namespace
}  // namespace SkinUI
