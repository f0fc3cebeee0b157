// Publisher check of a downloaded package: its Authenticode signature,
// pinned to the publisher's key.
//
// A package passes when it is a PE image carrying a PKCS#7 SignedData in
// its certificate table whose signed content names the SHA-256 image
// digest of the file, whose signature verifies with the signer's
// certificate, whose signer's key (the SHA-256 of its
// SubjectPublicKeyInfo) is one of the pinned keys, and whose certificate
// was valid at the signing time: the time stamp's, when a time stamp
// countersigns the signature, else now. Trust rests on the pin alone; no
// root store is asked.
//
// The file layout and the image digest's ranges are worked out here; the
// digest and the PKCS#7 work are the system's cryptography
// (signature_posix.cpp: OpenSSL; signature_win.cpp: CryptoAPI and CNG).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Install {

enum class SignatureVerdict {
  kValid,
  kUnsigned,           // no PE image, or no certificate table
  kInvalidSignature,   // the table or its SignedData is damaged, or the signature does not verify
  kPublisherMismatch,  // signed, but by a key that is not pinned
  kExpired,            // the signer's certificate was not valid at the signing time
  kDigestMismatch,     // the signed image digest is not the file's
  kUnreadable,         // the file could not be read
};

// The words of the step report: "未签名", "签名无效", "发布者不符", ...
const wchar_t* SignatureVerdictText(SignatureVerdict verdict);
// What a refused package's failure (2004) says: "安装包未通过签名校验：" and
// the verdict's words. Analytics receives it as it is; the window shows
// the refusal in the user's language.
std::wstring SignatureRefusalText(SignatureVerdict verdict);
// The same in ASCII for developer output: "unsigned", "invalid signature", ...
const char* SignatureVerdictName(SignatureVerdict verdict);

// Where the parts the image digest leaves out sit in a PE file.
struct PeLayout {
  size_t checksumOffset = 0;    // the optional header's CheckSum (4 bytes)
  size_t certEntryOffset = 0;   // the certificate table's directory entry (8 bytes)
  uint32_t certTableOffset = 0; // the table itself, a file offset (0: none)
  uint32_t certTableSize = 0;
};

// False for anything that is not a PE32 or PE32+ image with a security
// directory entry.
bool ParsePeLayout(const uint8_t* data, size_t size, PeLayout* layout);

struct ByteRange {
  size_t offset;
  size_t length;
};
// The ranges the Authenticode image digest covers, in order: everything
// but the checksum, the certificate table's directory entry and the table.
// A table that does not lie inside the file leaves out nothing past the
// headers' own fields (the caller decides what such a table means).
std::vector<ByteRange> ImageDigestRanges(const PeLayout& layout, size_t fileSize);

// The first WIN_CERTIFICATE of the table when it is a PKCS#7 SignedData
// (revision 2.0, type 2) lying wholly inside the file.
enum class CertificateTable { kNone, kDamaged, kSignedData };
CertificateTable FindSignedData(const uint8_t* data, size_t size, const PeLayout& layout, std::string* signedData);

// SpcIndirectDataContent (DER): the digest algorithm's OID, in dotted
// text, and the digest. False when it is not that structure.
bool ParseIndirectData(const std::string& der, std::string* algorithm, std::string* digest);

// The pinned keys: comma-separated SHA-256 values in hex (64 digits, any
// case, spaces around each allowed). A malformed entry pins nothing; it is
// kept as an entry that no key matches, so a typo never turns the check off.
std::vector<std::string> ParsePinnedKeys(const std::wstring& list);

std::string HexOf(const std::string& bytes);

// The SubjectPublicKeyInfo's DER inside a certificate's DER; empty when it
// is not an X.509 certificate.
std::string SubjectPublicKeyInfoOf(const std::string& certificate);

// RFC 3161 TSTInfo (DER): the imprint's algorithm (dotted OID), the
// imprint and the time, seconds since 1970.
bool ParseTimeStampInfo(const std::string& der, std::string* algorithm, std::string* imprint, int64_t* when);

// What the platform's cryptography found in a SignedData.
struct SignedDataFacts {
  bool parsed = false;          // a SignedData with one signer and its certificate
  bool signatureValid = false;  // the signer's signature over the content (and its attributes)
  std::string contentType;      // dotted OID of the signed content
  std::string content;          // the signed content's DER
  std::string signer;           // the certificate's subject, for people
  std::string keySha256;        // SHA-256 of its SubjectPublicKeyInfo (raw bytes)
  int64_t notBefore = 0;        // the certificate's validity, seconds since 1970
  int64_t notAfter = 0;
  bool timestamped = false;     // a valid countersignature gave the signing time
  int64_t signingTime = 0;
};
bool ReadSignedData(const std::string& signedData, SignedDataFacts* facts);
// SHA-256 over the ranges of `data`.
std::string Sha256Ranges(const uint8_t* data, const std::vector<ByteRange>& ranges);

struct SignatureReport {
  SignatureVerdict verdict = SignatureVerdict::kUnsigned;
  std::string signer;
  std::string keySha256Hex;
  enum class Digest { kNotChecked, kMatches, kDiffers } digest = Digest::kNotChecked;
  bool timestamped = false;
  int64_t signingTime = 0;
};

// The whole check over a file's bytes; `now` is seconds since 1970 (the
// caller's clock, so tests choose it). No pins: any signer passes the key
// step (tools/sign-check without --key).
SignatureReport CheckSignature(const uint8_t* data, size_t size, const std::vector<std::string>& pins, int64_t now,
                               bool checkPins = true);

// A package held for its start: opened so that nobody can change or
// replace what was checked until the process is created from it. Windows:
// the file stays open without write or delete sharing, the process is
// created from the same path. Linux: the bytes are copied into a sealed
// memory file, checked there and executed from it.
class HeldPackage {
 public:
  HeldPackage();
  ~HeldPackage();
  HeldPackage(const HeldPackage&) = delete;
  HeldPackage& operator=(const HeldPackage&) = delete;

  // False when the file cannot be opened so (in use, missing).
  bool Open(const std::wstring& path);
  const uint8_t* Data() const;
  size_t Size() const;
  // What the process start executes: -1 on Windows (the path), the sealed
  // descriptor on Linux.
  std::intptr_t ExecutableHandle() const;
  void Close();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

int64_t SecondsNow();

}  // namespace Install
