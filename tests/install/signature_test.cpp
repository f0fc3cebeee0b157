// The publisher check: the PE layout and image digest ranges on made-up
// images, the pieces of DER it reads itself, and the whole check on
// packages signed during the build by a test CA (tests/install/
// sign_packages.sh), each spoiled in one way. The same files give the same
// verdicts with OpenSSL (Linux) and CryptoAPI (Windows).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "install/signature.h"
#include "support/scratch_dir.h"
#include "utils/file_io.h"
#include "utils/files.h"
#include "utils/utf8.h"
#include "utils/process.h"

namespace {

namespace fs = std::filesystem;
using Install::SignatureVerdict;

void Put16(std::string& b, size_t at, uint16_t v) {
  b[at] = static_cast<char>(v & 0xff);
  b[at + 1] = static_cast<char>(v >> 8);
}
void Put32(std::string& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xff);
}

// MZ at 0, PE header at 0x80, an optional header of `magic` with
// `directories` entries; the security entry (when there is one) points at
// `table`/`tableSize`.
std::string Image(uint16_t magic, uint32_t directories, size_t size, uint32_t table = 0, uint32_t tableSize = 0) {
  // Built whole, then cut to `size`: a short image keeps what fits.
  std::string b(size < 0x400 ? 0x400 : size, '\0');
  b[0] = 'M';
  b[1] = 'Z';
  Put32(b, 0x3c, 0x80);
  b[0x80] = 'P';
  b[0x81] = 'E';
  const size_t optional = 0x80 + 24;
  const size_t dirs = magic == 0x20b ? 112 : 96;
  Put16(b, 0x80 + 4 + 16, static_cast<uint16_t>(dirs + 8 * directories));
  Put16(b, optional, magic);
  Put32(b, optional + (magic == 0x20b ? 108 : 92), directories);
  if (directories > 4) {
    Put32(b, optional + dirs + 32, table);
    Put32(b, optional + dirs + 36, tableSize);
  }
  b.resize(size);
  return b;
}

const uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

TEST(PeLayout, FindsTheFieldsTheDigestLeavesOut) {
  struct Case {
    const char* name;
    uint16_t magic;
    size_t checksum, entry;
  } cases[] = {
      {"PE32", 0x10b, 0x80 + 24 + 64, 0x80 + 24 + 96 + 32},
      {"PE32+", 0x20b, 0x80 + 24 + 64, 0x80 + 24 + 112 + 32},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string image = Image(c.magic, 16, 0x400, 0x300, 0x100);
    Install::PeLayout layout;
    ASSERT_TRUE(Install::ParsePeLayout(Bytes(image), image.size(), &layout));
    EXPECT_EQ(layout.checksumOffset, c.checksum);
    EXPECT_EQ(layout.certEntryOffset, c.entry);
    EXPECT_EQ(layout.certTableOffset, 0x300u);
    EXPECT_EQ(layout.certTableSize, 0x100u);
    const auto ranges = Install::ImageDigestRanges(layout, image.size());
    ASSERT_EQ(ranges.size(), 3u);
    EXPECT_EQ(ranges[0].offset, 0u);
    EXPECT_EQ(ranges[0].length, c.checksum);
    EXPECT_EQ(ranges[1].offset, c.checksum + 4);
    EXPECT_EQ(ranges[1].offset + ranges[1].length, c.entry);
    EXPECT_EQ(ranges[2].offset, c.entry + 8);
    EXPECT_EQ(ranges[2].offset + ranges[2].length, 0x300u);
  }
}

TEST(PeLayout, RefusesWhatIsNoImage) {
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"ELF", std::string("\x7f" "ELF") + std::string(0x200, '\0')},
      {"MZ only", std::string("MZ") + std::string(0x3e, '\0')},
      {"header offset past the end", [] { std::string b = Image(0x10b, 16, 0x400); Put32(b, 0x3c, 0x7fffffff); return b; }()},
      {"no PE signature", [] { std::string b = Image(0x10b, 16, 0x400); b[0x81] = 'X'; return b; }()},
      {"ROM magic", Image(0x107, 16, 0x400)},
      {"four directories: no security entry", Image(0x10b, 4, 0x400)},
      {"optional header cut off", Image(0x10b, 16, 0x80 + 24 + 100)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Install::PeLayout layout;
    EXPECT_FALSE(Install::ParsePeLayout(Bytes(c.bytes), c.bytes.size(), &layout));
    // And the whole check calls that unsigned.
    EXPECT_EQ(Install::CheckSignature(Bytes(c.bytes), c.bytes.size(), {}, 0).verdict, SignatureVerdict::kUnsigned);
  }
}

TEST(PeLayout, TheCertificateTableMustBeWholeAndLast) {
  auto with = [](uint32_t table, uint32_t size, uint32_t length, uint16_t revision, uint16_t type) {
    std::string b = Image(0x10b, 16, 0x400, table, size);
    if (table + 8 <= b.size()) {
      Put32(b, table, length);
      Put16(b, table + 4, revision);
      Put16(b, table + 6, type);
      b[table + 8] = 0x30;  // SEQUENCE of 4 bytes
      b[table + 9] = 0x04;
    }
    return b;
  };
  struct Case {
    const char* name;
    std::string bytes;
    Install::CertificateTable expected;
  } cases[] = {
      {"no entry", Image(0x10b, 16, 0x400), Install::CertificateTable::kNone},
      {"whole", with(0x300, 0x100, 0x100, 0x200, 2), Install::CertificateTable::kSignedData},
      {"past the end", with(0x300, 0x200, 0x100, 0x200, 2), Install::CertificateTable::kDamaged},
      {"data after it", with(0x300, 0x80, 0x80, 0x200, 2), Install::CertificateTable::kDamaged},
      {"entry longer than the table", with(0x300, 0x100, 0x101, 0x200, 2), Install::CertificateTable::kDamaged},
      {"revision 1", with(0x300, 0x100, 0x100, 0x100, 2), Install::CertificateTable::kDamaged},
      {"X.509 type", with(0x300, 0x100, 0x100, 0x200, 1), Install::CertificateTable::kDamaged},
      {"inside the headers", with(0x40, 0x3c0, 0x3c0, 0x200, 2), Install::CertificateTable::kDamaged},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Install::PeLayout layout;
    ASSERT_TRUE(Install::ParsePeLayout(Bytes(c.bytes), c.bytes.size(), &layout));
    std::string blob;
    EXPECT_EQ(Install::FindSignedData(Bytes(c.bytes), c.bytes.size(), layout, &blob), c.expected);
    if (c.expected == Install::CertificateTable::kSignedData) {
      EXPECT_EQ(blob.size(), 6u);
    }
  }
}

TEST(PinnedKeys, ListsOfHexKeys) {
  const std::string a(32, '\xaa'), b(32, '\x01');
  const std::wstring ha(64, L'a'), hb = [] {
    std::wstring s;
    for (int i = 0; i < 32; ++i) s += L"01";
    return s;
  }();
  std::wstring upperA(64, L'A');
  EXPECT_TRUE(Install::ParsePinnedKeys(L"").empty());
  EXPECT_TRUE(Install::ParsePinnedKeys(L" , ").empty());
  EXPECT_EQ(Install::ParsePinnedKeys(ha), std::vector<std::string>{a});
  EXPECT_EQ(Install::ParsePinnedKeys(L" " + upperA + L" ,\t" + hb + L","), (std::vector<std::string>{a, b}));
  // A typo pins nothing but still turns the check on.
  const auto typo = Install::ParsePinnedKeys(ha.substr(1) + L"g");
  ASSERT_EQ(typo.size(), 1u);
  EXPECT_NE(typo[0], a);
  EXPECT_EQ(Install::ParsePinnedKeys(ha.substr(2)).size(), 1u);
  EXPECT_EQ(Install::HexOf(a), std::string(64, 'a'));
}

std::string Der(uint8_t tag, const std::string& value) {
  std::string out(1, static_cast<char>(tag));
  if (value.size() < 0x80) {
    out.push_back(static_cast<char>(value.size()));
  } else {
    out.push_back('\x82');
    out.push_back(static_cast<char>(value.size() >> 8));
    out.push_back(static_cast<char>(value.size() & 0xff));
  }
  return out + value;
}

TEST(Der, IndirectDataAndTimeStampInfo) {
  const std::string sha256Oid("\x60\x86\x48\x01\x65\x03\x04\x02\x01", 9);
  const std::string digest(32, '\x5a');
  const std::string indirect =
      Der(0x30, Der(0x30, Der(0x06, "\x2b\x06\x01\x04\x01\x82\x37\x02\x01\x0f")) +
                    Der(0x30, Der(0x30, Der(0x06, sha256Oid) + Der(0x05, "")) + Der(0x04, digest)));
  std::string algorithm, got;
  ASSERT_TRUE(Install::ParseIndirectData(indirect, &algorithm, &got));
  EXPECT_EQ(algorithm, "2.16.840.1.101.3.4.2.1");
  EXPECT_EQ(got, digest);
  EXPECT_FALSE(Install::ParseIndirectData(indirect.substr(0, indirect.size() - 1), &algorithm, &got));
  EXPECT_FALSE(Install::ParseIndirectData(Der(0x30, Der(0x30, "")), &algorithm, &got));

  auto tst = [&](const std::string& time) {
    return Der(0x30, Der(0x02, "\x01") + Der(0x06, "\x2a\x03") +
                         Der(0x30, Der(0x30, Der(0x06, sha256Oid)) + Der(0x04, digest)) + Der(0x02, "\x07") +
                         Der(0x18, time));
  };
  int64_t when = 0;
  std::string imprint;
  ASSERT_TRUE(Install::ParseTimeStampInfo(tst("20200701000000Z"), &algorithm, &imprint, &when));
  EXPECT_EQ(when, 1593561600);
  EXPECT_EQ(imprint, digest);
  ASSERT_TRUE(Install::ParseTimeStampInfo(tst("20240229235959.123Z"), &algorithm, &imprint, &when));
  EXPECT_EQ(when, 1709251199);
  ASSERT_TRUE(Install::ParseTimeStampInfo(tst("19691231235959Z"), &algorithm, &imprint, &when));
  EXPECT_EQ(when, -1);
  EXPECT_FALSE(Install::ParseTimeStampInfo(tst("20201301000000Z"), &algorithm, &imprint, &when));
  EXPECT_FALSE(Install::ParseTimeStampInfo(tst("20200701000000"), &algorithm, &imprint, &when));
}

fs::path SignedFolder() { return quillon_test::BuiltProgram(L"tests", L"x").parent_path() / "signed"; }

std::string PinnedKey() {
  std::string key = quillon_test::ReadBytes(SignedFolder() / "publisher.key.txt");
  while (!key.empty() && (key.back() == '\n' || key.back() == '\r')) key.pop_back();
  return key;
}

// 2026-01-01: the test CA's publisher certificate is valid, the short one
// (2020-01-01 to 2021-01-01) expired long before.
constexpr int64_t kNow = 1767225600;

TEST(SignedPackages, EachSpoilingHasItsVerdict) {
  const std::string key = PinnedKey();
  ASSERT_EQ(key.size(), 64u) << "signed packages missing in " << SignedFolder().u8string();
  const std::vector<std::string> pins = Install::ParsePinnedKeys(Utils::Utf8ToWide(key));
  struct Case {
    const char* file;
    SignatureVerdict verdict;
    Install::SignatureReport::Digest digest;
  } cases[] = {
      {"signed.exe", SignatureVerdict::kValid, Install::SignatureReport::Digest::kMatches},
      {"unsigned.exe", SignatureVerdict::kUnsigned, Install::SignatureReport::Digest::kNotChecked},
      {"other-key.exe", SignatureVerdict::kPublisherMismatch, Install::SignatureReport::Digest::kMatches},
      {"flipped.exe", SignatureVerdict::kDigestMismatch, Install::SignatureReport::Digest::kDiffers},
      {"cut.exe", SignatureVerdict::kInvalidSignature, Install::SignatureReport::Digest::kNotChecked},
      {"expired.exe", SignatureVerdict::kExpired, Install::SignatureReport::Digest::kMatches},
      {"bad-signature.exe", SignatureVerdict::kInvalidSignature, Install::SignatureReport::Digest::kMatches},
      {"timestamped-expired.exe", SignatureVerdict::kValid, Install::SignatureReport::Digest::kMatches},
      {"timestamp-late.exe", SignatureVerdict::kExpired, Install::SignatureReport::Digest::kMatches},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    Install::HeldPackage held;
    ASSERT_TRUE(held.Open((SignedFolder() / c.file).wstring()));
    const Install::SignatureReport r = Install::CheckSignature(held.Data(), held.Size(), pins, kNow);
    EXPECT_EQ(r.verdict, c.verdict) << Install::SignatureVerdictName(r.verdict);
    EXPECT_EQ(r.digest, c.digest);
    if (c.digest == Install::SignatureReport::Digest::kMatches && c.verdict != SignatureVerdict::kPublisherMismatch) {
      EXPECT_EQ(r.keySha256Hex, key);
      EXPECT_NE(r.signer.find("Quillon Test Publisher"), std::string::npos) << r.signer;
    }
  }
  Install::HeldPackage held;
  ASSERT_TRUE(held.Open((SignedFolder() / "expired.exe").wstring()));
  // Inside its validity the short certificate passes; a time stamp, not
  // the clock, decides once there is one.
  EXPECT_EQ(Install::CheckSignature(held.Data(), held.Size(), pins, 1593561600).verdict, SignatureVerdict::kValid);
  ASSERT_TRUE(held.Open((SignedFolder() / "timestamp-late.exe").wstring()));
  const Install::SignatureReport late = Install::CheckSignature(held.Data(), held.Size(), pins, 1593561600);
  EXPECT_TRUE(late.timestamped);
  EXPECT_EQ(late.signingTime, 1640995200);
  EXPECT_EQ(late.verdict, SignatureVerdict::kExpired);
  // The second key of a key change.
  ASSERT_TRUE(held.Open((SignedFolder() / "signed.exe").wstring()));
  EXPECT_EQ(Install::CheckSignature(held.Data(), held.Size(),
                                    Install::ParsePinnedKeys(std::wstring(64, L'0') + L"," + Utils::Utf8ToWide(key)), kNow)
                .verdict,
            SignatureVerdict::kValid);
  EXPECT_EQ(Install::CheckSignature(held.Data(), held.Size(), Install::ParsePinnedKeys(std::wstring(64, L'0')), kNow)
                .verdict,
            SignatureVerdict::kPublisherMismatch);
}

// What was checked is what starts: the package's path cannot be made to
// name other bytes between the check and the process's creation. On
// Windows the held file refuses to be replaced or deleted; on Linux the
// replacement succeeds but the held bytes run all the same.
TEST(HeldPackage, TheCheckedBytesAreTheOnesThatStart) {
  quillon_test::ScratchDir scratch;
  const fs::path package = scratch.Path() / "__Package_velmotranslate.exe";
  const fs::path other = scratch.Path() / "other.exe";
  fs::copy_file(quillon_test::BuiltProgram(L"tools", L"demo-package"), package);
  fs::copy_file(quillon_test::BuiltProgram(L"tests", L"old_uninstaller"), other);
  const std::string checked = quillon_test::ReadBytes(package);

  Install::HeldPackage held;
  ASSERT_TRUE(held.Open(package.wstring()));
  ASSERT_EQ(std::string(reinterpret_cast<const char*>(held.Data()), held.Size()), checked);
  std::error_code ec;
  fs::rename(other, package, ec);
  const bool windows = quillon_test::ExecutableSuffix() == L".exe";
  if (windows) {
    EXPECT_TRUE(ec) << "the held package was replaced";
    EXPECT_FALSE(Utils::DeleteFileAt(package.wstring()));
    EXPECT_EQ(quillon_test::ReadBytes(package), checked);
  } else {
    ASSERT_FALSE(ec) << ec.message();
  }
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(held.Data()), held.Size()), checked);

  // The demo package in its product role prints the product's name.
  Utils::PipedProcess child;
  child.Start(quillon_test::Quoted(package), held.ExecutableHandle());
  held.Close();
  std::string output;
  char buffer[256];
  for (int i = 0; i < 300; ++i) {
    size_t got = 0;
    const auto status = child.ReadOutputFor(buffer, sizeof buffer, &got, 100);
    if (status == Utils::PipedProcess::ReadStatus::kEnded) break;
    output.append(buffer, got);
  }
  uint32_t code = 0;
  EXPECT_TRUE(child.WaitFor(30000, &code));
  EXPECT_EQ(output.substr(0, 14), "velmotranslate");
  // Once the process exists the hold is gone and the file can go.
  EXPECT_TRUE(child.ExitCode() != Utils::PipedProcess::kStillActive);
  EXPECT_TRUE(Utils::DeleteFileAt(package.wstring()));
}

}  // namespace
