#include "utils/files.h"

#include <gtest/gtest.h>

#include "support/scratch_dir.h"
#include "utils/md5.h"
#include "utils/text.h"

namespace {

using quillon_test::ScratchDir;

TEST(CreateDirectoryTree, WalksThePathFromTheLeft) {
  EXPECT_EQ(Utils::DirectoryTreePrefixes(L"C:\\a\\b\\c", L'\\'),
            (std::vector<std::wstring>{L"C:\\", L"C:\\a\\", L"C:\\a\\b\\", L"C:\\a\\b\\c"}));
  EXPECT_EQ(Utils::DirectoryTreePrefixes(L"C:\\a\\b\\", L'\\'),
            (std::vector<std::wstring>{L"C:\\", L"C:\\a\\", L"C:\\a\\b\\"}));
  EXPECT_EQ(Utils::DirectoryTreePrefixes(L"/tmp/a", L'/'), (std::vector<std::wstring>{L"/", L"/tmp/", L"/tmp/a"}));
}

TEST(CreateDirectoryTree, CreatesEveryMissingLevel) {
  ScratchDir dir;
  const wchar_t sep = Utils::PathSeparator();
  const std::wstring deep = dir.Wide() + sep + L"one" + sep + L"two" + sep + L"three";
  ASSERT_TRUE(Utils::CreateDirectoryTree(deep));
  EXPECT_TRUE(Utils::PathExists(deep));
  EXPECT_TRUE(Utils::CreateDirectoryTree(deep + sep));  // all there already
}

TEST(CreateDirectoryTree, RefusesLongPathsAndFailedLevels) {
  ScratchDir dir;
  const wchar_t sep = Utils::PathSeparator();
  std::wstring tooLong = dir.Wide() + sep + L"x";
  tooLong += std::wstring(261 - tooLong.size(), L'y');
  ASSERT_EQ(tooLong.size(), 261u);
  EXPECT_FALSE(Utils::CreateDirectoryTree(tooLong));
  EXPECT_FALSE(Utils::PathExists(dir.Wide() + sep + L"x"));
  // A file where a folder should be.
  dir.Write(L"file", "x");
  EXPECT_FALSE(Utils::CreateDirectoryTree(dir.Wide() + sep + L"file" + sep + L"sub"));
  EXPECT_FALSE(Utils::CreateDirectoryTree(dir.Wide() + sep + L"file"));
  EXPECT_FALSE(Utils::CreateDirectoryTree(dir.Wide() + sep + L"file" + sep));
}

TEST(TempWorkFolder, SamePathEveryTime) {
  const std::wstring first = Utils::TempWorkFolder();
  ASSERT_FALSE(first.empty());
  EXPECT_NE(first.find(L"~TarVixTemp.92482B06FB471E17"), std::wstring::npos);
  EXPECT_EQ(first.back(), Utils::PathSeparator());
  EXPECT_TRUE(Utils::PathExists(first));
  EXPECT_EQ(Utils::TempWorkFolder(), first);
}

TEST(Md5, Rfc1321Vectors) {
  EXPECT_EQ(Utils::Md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(Utils::Md5Hex("a"), "0cc175b9c0f1b6a831c399e269772661");
  EXPECT_EQ(Utils::Md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(Utils::Md5Hex("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
  EXPECT_EQ(Utils::Md5Hex("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
  EXPECT_EQ(Utils::Md5Hex("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
            "d174ab98d277d9f5a5611c2c9f419d9f");
  EXPECT_EQ(Utils::Md5Hex("12345678901234567890123456789012345678901234567890123456789012345678901234567890"),
            "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(Md5, FedInPiecesEqualsAllAtOnce) {
  std::string data;
  for (int i = 0; i < 100000; ++i) data += static_cast<char>(i * 7);
  Utils::Md5 pieces;
  for (size_t at = 0, step = 1; at < data.size(); at += step, step = step % 131 + 1) {
    pieces.Update(data.data() + at, std::min(step, data.size() - at));
  }
  EXPECT_EQ(pieces.FinalHex(), Utils::Md5Hex(data));
}

TEST(FileMd5Hex, DigestOfARealFileAndEmptyWhenUnreadable) {
  ScratchDir dir;
  std::string big(5 * 1024 * 1024 + 3, 'q');
  dir.Write(L"big.bin", big);
  dir.Write(L"abc.txt", "abc");
  const std::string folder = Utils::WideToMultiByte(dir.Wide(), Utils::kCodePageAnsi);
  const std::string sep = Utils::WideToMultiByte(std::wstring(1, Utils::PathSeparator()), 0);
  EXPECT_EQ(Utils::FileMd5Hex(folder + sep + "abc.txt"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(Utils::FileMd5Hex(folder + sep + "big.bin"), Utils::Md5Hex(big));
  EXPECT_EQ(Utils::FileMd5Hex(folder + sep + "missing"), "");
  EXPECT_EQ(Utils::FileMd5Hex(""), "");
}

}  // namespace
